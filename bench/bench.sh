#!/usr/bin/env bash
# Times zendra-cli against the standard tools on one 1 GiB file, in one run, and prints the ratios.
# Usage: bench/bench.sh [path/to/zendra-cli] [rounds]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CLI=${1:-$ROOT/build/native/cli/zendra-cli}
ROUNDS=${2:-5}
SIZE_MIB=${BENCH_SIZE_MIB:-1024}
PIECE=104857600

[ -x "$CLI" ] || { echo "build first: $CLI is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
work=$(mktemp -d "${BENCH_DIR:-$ROOT/build}/bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/gnu" "$work/out"
head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/src/big.bin"
cp "$work/src/big.bin" "$work/gnu/big.bin"

# Appends "seconds peak_KiB" of one command to a result file.
measure() {
    local into=$1; shift
    sync # the previous command's write-back must not be charged to this one
    /usr/bin/time -f '%e %M' -o "$work/t" "$@" >/dev/null
    cat "$work/t" >> "$work/$into"
}

for round in $(seq 1 "$ROUNDS"); do
    rm -f "$work/src"/big.bin.* "$work/gnu"/x* "$work/out"/*
    measure split.zendra "$CLI" split "$work/src/big.bin" --size $PIECE --quiet
    measure split.gnu split -b $PIECE "$work/gnu/big.bin" "$work/gnu/x"
    measure copy cp "$work/src/big.bin" "$work/out/copy.bin"
    measure join.zendra "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
    cmp -s "$work/src/big.bin" "$work/out/big.bin" || { echo "joined file differs" >&2; exit 1; }
    measure join.cat sh -c "cat '$work/gnu'/x* > '$work/out/cat.bin'"
    echo "round $round of $ROUNDS done" >&2
done

python3 - "$work" "$SIZE_MIB" <<'PY'
import statistics, sys
work, size = sys.argv[1], sys.argv[2]
def load(name):
    rows = [line.split() for line in open(f"{work}/{name}")]
    return statistics.median(float(r[0]) for r in rows), max(int(r[1]) for r in rows)
t = {n: load(n) for n in ["split.zendra", "split.gnu", "copy", "join.zendra", "join.cat"]}
print(f"{size} MiB file, median of the rounds (seconds), peak memory (MiB)")
for name, (sec, kib) in t.items():
    print(f"  {name:13} {sec:7.3f} s  {kib / 1024:6.1f} MiB")
print(f"split: {t['split.zendra'][0] / t['split.gnu'][0]:.2f}x GNU split, {t['split.zendra'][0] / t['copy'][0]:.2f}x cp")
print(f"join:  {t['join.zendra'][0] / t['join.cat'][0]:.2f}x cat,       {t['join.zendra'][0] / t['copy'][0]:.2f}x cp")
PY
