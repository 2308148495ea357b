#!/usr/bin/env bash
# Times zendra-cli against the standard tools in one run and prints the per-pair ratios.
# Usage: bench/bench.sh [path/to/zendra-cli] [rounds (at least 7)]
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
            measure "join.${gib}GiB" "$CLI" join "$work/$gib/s.bin.tpl" --output "$work/$gib/out" --force --quiet
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
    "$CLI" split "$work/src/big.bin" --size $PIECE --quiet
    cp "$work/src/big.bin.xxh128" "$work/sums"
    "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --quiet
    for round in $(seq 1 "$ROUNDS"); do
        sync; measure split.plain "$CLI" split "$work/src/big.bin" --size $PIECE --quiet --no-checksum
        sync; measure split.checked "$CLI" split "$work/src/big.bin" --size $PIECE --quiet
        rm -f "$work/src/big.bin.xxh128"
        sync; measure join.plain "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --force --quiet
        cp "$work/sums" "$work/src/big.bin.xxh128"
        sync; measure join.checked "$CLI" join "$work/src/big.bin.tpl" --output "$work/out" --force --quiet
        echo "round $round of $ROUNDS done" >&2
    done
    echo "$SIZE_MIB MiB file, pieces of $((PIECE >> 20)) MiB, warm cache; median of $ROUNDS pairs"
    report "split.checked:split.plain:split vs split --no-checksum" "join.checked:join.plain:join checking vs join without"
    exit 0
fi

mkdir -p "$work/src" "$work/gnu" "$work/out"
head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/src/big.bin"
cp "$work/src/big.bin" "$work/gnu/big.bin"

# Each case runs once per pair for each tool, with defaults (Zendra writes its checksum file and
# flushes each file before renaming it). "over" cases replace the previous round's files, as in
# real use; "new" ones write into an emptied folder. With SYNC=1 the time includes the `sync` that
# gets the data onto the disk, which is what a user waits for before pulling a stick.
prepare() { # case: empties what a "new" case writes into, unmeasured
    case $1 in
    split-new) rm -f "$work/src"/big.bin.* "$work/gnu"/x*;;
    join-new) rm -f "$work/out"/*;;
    split-over) [ -e "$work/src/big.bin.tpl" ] || "$CLI" split "$work/src/big.bin" --size $PIECE --quiet
                [ -e "$work/gnu/xaa" ] || split -b $PIECE "$work/gnu/big.bin" "$work/gnu/x";;
    join-over) [ -e "$work/out/big.bin" ] || cp "$work/src/big.bin" "$work/out/big.bin"
               [ -e "$work/out/cat.bin" ] || cp "$work/src/big.bin" "$work/out/cat.bin";;
    esac
    sync
}
run() { # case tool sync
    local then=""; [ "$3" = 1 ] && then="; sync"
    case $1-$2 in
    split-*-zendra) measure "$1.$3.zendra" sh -c "'$CLI' split '$work/src/big.bin' --size $PIECE --quiet$then";;
    split-*-gnu) measure "$1.$3.gnu" sh -c "split -b $PIECE '$work/gnu/big.bin' '$work/gnu/x'$then";;
    join-*-zendra) measure "$1.$3.zendra" sh -c "'$CLI' join '$work/src/big.bin.tpl' --output '$work/out' --force --quiet$then";;
    join-*-gnu) measure "$1.$3.gnu" sh -c "cat '$work/gnu'/x* > '$work/out/cat.bin'$then";;
    esac
}
# The joins read pieces that exist: made once, unmeasured.
"$CLI" split "$work/src/big.bin" --size $PIECE --quiet
split -b $PIECE "$work/gnu/big.bin" "$work/gnu/x"

pairs() { # rounds
    local round c first second
    for round in $(seq 1 "$1"); do
        for c in split-new split-over join-new join-over; do
            for s in 1 0; do
                # Pairs alternate which side goes first, so that a drift favours neither.
                if [ $((round % 2)) = 1 ]; then first=zendra second=gnu; else first=gnu second=zendra; fi
                prepare $c; run $c $first $s
                prepare $c; run $c $second $s
            done
        done
        cmp -s "$work/src/big.bin" "$work/out/big.bin" || { echo "joined file differs" >&2; exit 1; }
        echo "round $round of $1 done" >&2
    done
}
ROUNDS=$(( ROUNDS < 7 ? 7 : ROUNDS ))
pairs "$ROUNDS"

# Prints median, least and largest per-pair ratio; a case whose ratios spread wider than 2x (the
# virtual disk is noisy) asks for another set of pairs by its exit status.
summary() {
    python3 - "$work/results" <<'PY'
import collections, statistics, sys
rows = collections.defaultdict(list)
for name, sec, kib in (line.split() for line in open(sys.argv[1])):
    rows[name].append((float(sec), int(kib)))
labels = {"split-new": "split into an empty folder vs GNU split",
          "split-over": "split over its previous pieces vs GNU split",
          "join-new": "join into an empty folder vs cat",
          "join-over": "join over an existing output vs cat"}
wide = False
for sync, title in (("1", "with sync (what a user waits for)"), ("0", "without sync")):
    print(f" {title}:")
    for case, label in labels.items():
        a, b = rows[f"{case}.{sync}.zendra"], rows[f"{case}.{sync}.gnu"]
        ratios = sorted(x[0] / y[0] for x, y in zip(a, b))
        wide |= sync == "1" and ratios[-1] > 2 * ratios[0]
        print(f"  {label:44} {statistics.median(x[0] for x in a):6.3f} s vs {statistics.median(y[0] for y in b):6.3f} s"
              f"  ratio {statistics.median(ratios):4.2f}x (min {ratios[0]:4.2f}, max {ratios[-1]:4.2f})"
              f"  peak {max(x[1] for x in a) / 1024:5.1f} MiB")
sys.exit(3 if wide else 0)
PY
}
echo "$SIZE_MIB MiB of random data, pieces of $((PIECE >> 20)) MiB, tool defaults; per-pair ratios over $ROUNDS pairs"
if ! summary; then
    echo "a spread wider than 2x: another $ROUNDS pairs" >&2
    pairs "$ROUNDS"
    echo "after $((2 * ROUNDS)) pairs:"
    summary || true
fi
