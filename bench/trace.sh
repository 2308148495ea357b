#!/usr/bin/env bash
# Shows with strace what one split and one join ask of the system: each input byte read once, each
# new file flushed (fdatasync, on the flusher's thread through a duplicate of its descriptor)
# before it is renamed into place, the folder flushed (fsync) after.
# Usage: bench/trace.sh [path/to/zendra-cli]   (BENCH_SIZE_MIB, default 64; pieces of a quarter)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CLI=${1:-$ROOT/build/native/cli/zendra-cli}
SIZE_MIB=${BENCH_SIZE_MIB:-64}
command -v strace >/dev/null || { echo "needs strace: apt-get install strace" >&2; exit 1; }
[ -x "$CLI" ] || { echo "build first: $CLI is missing" >&2; exit 1; }
work=$(mktemp -d "${BENCH_DIR:-$ROOT/build}/trace.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/t.bin"
calls=openat,fcntl,read,pread64,fdatasync,fsync,syncfs,rename,renameat,renameat2,close
strace -f -qq -e trace=$calls -o "$work/split.trace" "$CLI" split "$work/t.bin" --size $((SIZE_MIB / 4))M --quiet
strace -f -qq -e trace=$calls -o "$work/join.trace" "$CLI" join "$work/t.bin.tpl" --output "$work/out" --quiet
cmp "$work/t.bin" "$work/out/t.bin"
python3 - "$work" <<'PY'
import os, re, sys
work = sys.argv[1]
call = re.compile(r'^\d+\s+(\w+)\((.*)\)\s+=\s+(-?\d+)')
def lines(path):
    # Threads interleave: a call cut by another thread's is joined again.
    pending = {}
    for line in open(path):
        pid, rest = line.split(None, 1)
        if rest.rstrip().endswith("<unfinished ...>"):
            pending[pid] = rest.rstrip()[:-len("<unfinished ...>")].rstrip()
        elif rest.startswith("<..."):
            yield pid + " " + pending.pop(pid, "") + rest.split("resumed>", 1)[1]
        else:
            yield line
def summary(name, inputs):
    fds, read, flushed, order = {}, {}, set(), []
    for line in lines(os.path.join(work, name + ".trace")):
        m = call.match(line)
        if not m: continue
        fn, args, result = m.group(1), m.group(2), int(m.group(3))
        path = re.search(r'"([^"]*)"', args)
        if fn == "openat" and result >= 0: fds[result] = path.group(1)
        elif fn == "fcntl" and "F_DUPFD" in args and result >= 0:
            fds[result] = fds.get(int(args.split(",")[0]), "")
        elif fn in ("read", "pread64") and result > 0:
            at = fds.get(int(args.split(",")[0]), "")
            read[at] = read.get(at, 0) + result
        elif fn == "fdatasync" and result == 0: flushed.add(fds.get(int(args), ""))
        elif fn == "fsync" and result == 0: order.append(("folder flushed", fds.get(int(args), "")))
        elif fn.startswith("rename") and result == 0:
            a, b = re.findall(r'"([^"]*)"', args)[:2]
            order.append(("renamed", b, a in flushed))
    print(f"{name}:")
    for path in inputs:
        size = os.path.getsize(path)
        print(f"  {os.path.basename(path):14} {size:>10} bytes, read {read.get(path, 0):>10} "
              f"({read.get(path, 0) / size:.2f}x)")
    for step in order:
        if step[0] == "renamed":
            print(f"  renamed into {os.path.basename(step[1]):16} flushed before: {'yes' if step[2] else 'NO'}")
        else:
            print(f"  {step[0]}")
pieces = sorted(os.path.join(work, f) for f in os.listdir(work) if re.match(r"t\.bin\.\d{3}$", f))
summary("split", [os.path.join(work, "t.bin")])
summary("join", pieces)
PY
