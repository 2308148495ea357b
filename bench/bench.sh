#!/usr/bin/env bash
# Times zendra-cli against the standard tools in one run and prints the median ratios.
# Usage: bench/bench.sh [path/to/zendra-cli] [rounds]
#   BENCH_SIZE_MIB (512) and BENCH_PIECE_MIB (64) set the file; BENCH_DIR where it lies.
#   bench/bench.sh --sparse [zendra-cli]: a 5 GiB sparse file against a 1 GiB one of the same make.
#   bench/bench.sh --checksum [zendra-cli] [rounds]: split and join of a 1 GiB file with and without
#   the checksum file.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SPARSE=0 CHECKSUM=0
if [ "${1:-}" = --sparse ]; then SPARSE=1; shift; fi
if [ "${1:-}" = --checksum ]; then CHECKSUM=1; BENCH_SIZE_MIB=${BENCH_SIZE_MIB:-1024}; shift; fi
CLI=${1:-$ROOT/build/native/cli/zendra-cli}
ROUNDS=${2:-5}
SIZE_MIB=${BENCH_SIZE_MIB:-512}
PIECE=$(( ${BENCH_PIECE_MIB:-64} << 20 ))

[ -x "$CLI" ] || { echo "build first: $CLI is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
work=$(mktemp -d "${BENCH_DIR:-$ROOT/build}/bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Appends "name seconds peak_KiB" of one command to the results (time's own clock has 10 ms steps).
measure() {
    local name=$1 start end; shift
    sync # the previous command's write-back must not be charged to this one
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/peak" "$@" >/dev/null
    end=$EPOCHREALTIME
    echo "$name $(echo "$end - $start" | bc) $(cat "$work/peak")" >> "$work/results"
}

if [ "$SPARSE" = 1 ]; then
    # 1 MiB of data every 256 MiB, the rest holes: the same make at both sizes; pieces of 256 MiB.
    make_sparse() {
        local file=$1 gib=$2 at
        truncate -s "${gib}G" "$file"
        for at in $(seq 0 256 $(( (gib << 10) - 1 ))); do
            head -c 1M /dev/urandom | dd of="$file" bs=1M seek="$at" conv=notrunc status=none
        done
    }
    for gib in 1 5; do
        mkdir -p "$work/$gib/out"
        make_sparse "$work/$gib/s.bin" $gib
        for round in $(seq 1 "$ROUNDS"); do
            measure "split.${gib}GiB" "$CLI" split "$work/$gib/s.bin" --size 256M --quiet
            measure "join.${gib}GiB" "$CLI" join "$work/$gib/s.bin.tpl" --output "$work/$gib/out" --quiet
        done
        cmp "$work/$gib/s.bin" "$work/$gib/out/s.bin"
        echo "$gib GiB: $(du -sh "$work/$gib" | cut -f1) on disk for source, pieces and joined copy" >&2
    done
    python3 - "$work/results" <<'PY'
import collections, statistics, sys
rows = collections.defaultdict(list)
for name, sec, kib in (line.split() for line in open(sys.argv[1])):
    rows[name].append((float(sec), int(kib)))
print("sparse files (1 MiB of data every 256 MiB), median seconds, seconds per GiB, peak memory")
for name, values in sorted(rows.items()):
    sec = statistics.median(v[0] for v in values)
    gib = int(name.split(".")[1].rstrip("GiB"))
    print(f"  {name:12} {sec:7.3f} s  {sec / gib:6.3f} s/GiB  {max(v[1] for v in values) / 1024:5.1f} MiB")
PY
    exit 0
fi

# Prints the median per-pair ratio of each pair of result names given as "ours:theirs:label".
report() {
    python3 - "$work/results" "$@" <<'PY'
import collections, statistics, sys
rows = collections.defaultdict(list)
for name, sec, kib in (line.split() for line in open(sys.argv[1])):
    rows[name].append((float(sec), int(kib)))
for pair in sys.argv[2:]:
    ours, theirs, label = pair.split(":", 2)
    a, b = rows[ours], rows[theirs]
    ratio = statistics.median(x[0] / y[0] for x, y in zip(a, b))
    print(f"  {label:40} {statistics.median(x[0] for x in a):6.3f} s vs {statistics.median(y[0] for y in b):6.3f} s"
          f"  ratio {ratio:4.2f}x  peak {max(x[1] for x in a) / 1024:5.1f} MiB")
PY
}

if [ "$CHECKSUM" = 1 ]; then
    mkdir -p "$work/src" "$work/out"
    head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/src/big.bin"
    "$CLI" split "$work/src/big.bin" --size $PIECE --quiet --checksum
    cp "$work/src/big.bin.xxh128" "$work/sums"
    "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
    for round in $(seq 1 "$ROUNDS"); do
        measure split.plain "$CLI" split "$work/src/big.bin" --size $PIECE --quiet
        measure split.checked "$CLI" split "$work/src/big.bin" --size $PIECE --quiet --checksum
        rm "$work/src/big.bin.xxh128"
        measure join.plain "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
        cp "$work/sums" "$work/src/big.bin.xxh128"
        measure join.checked "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
        echo "round $round of $ROUNDS done" >&2
    done
    echo "$SIZE_MIB MiB file, pieces of $((PIECE >> 20)) MiB, warm cache; median of $ROUNDS pairs"
    report "split.checked:split.plain:split --checksum vs split" "join.checked:join.plain:join checking vs join without"
    exit 0
fi

mkdir -p "$work/src" "$work/gnu" "$work/out" "$work/empty"
head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/src/big.bin"
cp "$work/src/big.bin" "$work/gnu/big.bin"
# A first, unmeasured round: from then on every output replaces an existing file, as in real use.
"$CLI" split "$work/src/big.bin" --size $PIECE --quiet
split -b $PIECE "$work/gnu/big.bin" "$work/gnu/x"
"$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
cat "$work/gnu"/x* > "$work/out/cat.bin"

zendra_split() { measure split.zendra "$CLI" split "$work/src/big.bin" --size $PIECE --quiet; }
gnu_split() { measure split.gnu split -b $PIECE "$work/gnu/big.bin" "$work/gnu/x"; }
zendra_join() { measure join.zendra "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet; }
cat_join() { measure join.cat sh -c "cat '$work/gnu'/x* > '$work/out/cat.bin'"; }
zendra_join_new() { rm -f "$work/empty"/*; measure join-new.zendra "$CLI" join "$work/src/big.bin.tpl" --output "$work/empty" --quiet; }
cat_join_new() { rm -f "$work/empty"/*; measure join-new.cat sh -c "cat '$work/gnu'/x* > '$work/empty/cat.bin'"; }

for round in $(seq 1 "$ROUNDS"); do
    # Pairs alternate which side goes first, so that a drift of the machine favours neither.
    if [ $((round % 2)) = 1 ]; then
        zendra_split; gnu_split; zendra_join; cat_join; zendra_join_new; cat_join_new
    else
        gnu_split; zendra_split; cat_join; zendra_join; cat_join_new; zendra_join_new
    fi
    cmp -s "$work/src/big.bin" "$work/out/big.bin" || { echo "joined file differs" >&2; exit 1; }
    echo "round $round of $ROUNDS done" >&2
done

echo "$SIZE_MIB MiB file, pieces of $((PIECE >> 20)) MiB, warm cache; median of $ROUNDS pairs"
report "split.zendra:split.gnu:split over existing pieces vs GNU split" \
    "join.zendra:join.cat:join over an existing file vs cat" \
    "join-new.zendra:join-new.cat:join into an empty folder vs cat"
