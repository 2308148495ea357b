#!/usr/bin/env bash
# Times zendra-cli's recovery data against par2cmdline in one run and prints the median ratios:
# a split with 10 % recovery data against `par2 create -r10` on the same pieces with the same slice
# size, and the repair of one missing piece against `par2 repair`.
# Usage: bench/recovery.sh [path/to/zendra-cli] [rounds]
#   BENCH_SIZE_MIB (256) and BENCH_PIECES (16) set the file; BENCH_DIR where it lies.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CLI=${1:-$ROOT/build/native/cli/zendra-cli}
ROUNDS=${2:-3}
SIZE_MIB=${BENCH_SIZE_MIB:-256}
PIECES=${BENCH_PIECES:-16}

[ -x "$CLI" ] || { echo "build first: $CLI is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
command -v par2 >/dev/null || { echo "needs par2 (Debian package par2)" >&2; exit 1; }
work=$(mktemp -d "${BENCH_DIR:-$ROOT/build}/bench-recovery.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Appends "name seconds peak_KiB" of one command to the results.
measure() {
    local name=$1 start end; shift
    sync
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/peak" "$@" >/dev/null
    end=$EPOCHREALTIME
    echo "$name $(echo "$end - $start" | bc) $(cat "$work/peak")" >> "$work/results"
}

head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/big.bin"
piece=$(( (SIZE_MIB << 20) / PIECES ))
cd "$work"
"$CLI" split big.bin --size $piece --recovery 10 --quiet
# par2 gets the slice size Zendra chose: the first 8 bytes of the main packet's body.
slice=$(od -A n -t u8 -j 64 -N 8 big.bin.par2 | tr -d ' ')
pieces=(big.bin.[0-9]*)
echo "$SIZE_MIB MiB in ${#pieces[@]} pieces of $piece bytes, slice size $slice, warm cache" >&2

zendra_split() { measure split.zendra "$CLI" split big.bin --size $piece --recovery 10 --quiet; }
par2_create() { rm -f set.*par2; measure create.par2 par2 create -q -q -s"$slice" -r10 set.par2 "${pieces[@]}"; }
zendra_repair() { rm big.bin.005; measure repair.zendra "$CLI" repair big.bin.tpl --quiet; }
par2_repair() { rm big.bin.005; measure repair.par2 par2 repair -q -q set.par2; }

for round in $(seq 1 "$ROUNDS"); do
    # Pairs alternate which side goes first, so that a drift of the machine favours neither.
    if [ $((round % 2)) = 1 ]; then
        zendra_split; par2_create; zendra_repair; par2_repair
    else
        par2_create; zendra_split; par2_repair; zendra_repair
    fi
    par2 verify -q -q big.bin.par2 || { echo "par2 rejects Zendra's recovery data" >&2; exit 1; }
    echo "round $round of $ROUNDS done" >&2
done

python3 - "$work/results" <<'PY'
import collections, statistics, sys
rows = collections.defaultdict(list)
for name, sec, kib in (line.split() for line in open(sys.argv[1])):
    rows[name].append((float(sec), int(kib)))
for ours, theirs, label in (("split.zendra", "create.par2", "split + 10 % recovery vs par2 create -r10"),
                            ("repair.zendra", "repair.par2", "repair of one missing piece vs par2 repair")):
    a, b = rows[ours], rows[theirs]
    ratio = statistics.median(x[0] / y[0] for x, y in zip(a, b))
    print(f"  {label:44} {statistics.median(x[0] for x in a):6.2f} s vs {statistics.median(y[0] for y in b):6.2f} s"
          f"  ratio {ratio:4.2f}x  peak {max(x[1] for x in a) / 1024:5.1f} MiB vs {max(y[1] for y in b) / 1024:5.1f} MiB")
PY
