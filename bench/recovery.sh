#!/usr/bin/env bash
# Times zendra-cli's recovery data in one run, side by side on the same file, and prints the median
# ratios of the rounds (7 by default, their order alternating) with the least and the largest: a split with 10 % recovery data by the Linux build against `par2 create -r10` on the same
# pieces with the same slice size, and against the 32-bit Windows build under Wine; the repair of
# one missing piece likewise against `par2 repair` and the Windows build.
# Usage: bench/recovery.sh [path/to/zendra-cli] [rounds]
#   BENCH_SIZE_MIB (256) and BENCH_PIECE_MIB (16) set the file; BENCH_DIR where it lies;
#   BENCH_WIN_CLI the Windows program (build/win32/cli/zendra-cli.exe; "none" leaves it out).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
CLI=${1:-$NATIVE_BUILD/cli/zendra-cli}
ROUNDS=${2:-7}
SIZE_MIB=${BENCH_SIZE_MIB:-256}
PIECE_MIB=${BENCH_PIECE_MIB:-16}
WIN_CLI=${BENCH_WIN_CLI:-$WIN_BUILD/cli/zendra-cli.exe}

# 10 % recovery data rebuilds one missing piece only when it is under a tenth of the file.
[ $((SIZE_MIB / PIECE_MIB)) -ge 11 ] || { echo "BENCH_SIZE_MIB must hold at least 11 pieces" >&2; exit 1; }
[ -x "$CLI" ] || { echo "build first: $CLI is missing" >&2; exit 1; }
CLI=$(realpath "$CLI")
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
command -v par2 >/dev/null || { echo "needs par2 (Debian package par2)" >&2; exit 1; }
if [ "$WIN_CLI" != none ]; then
    [ -f "$WIN_CLI" ] || { echo "build first: $WIN_CLI is missing (BENCH_WIN_CLI=none leaves it out)" >&2; exit 1; }
    WIN_CLI=$(realpath "$WIN_CLI")
    ensure_wine_prefix
    # One Wine server for the whole run (or the one already running), as Windows has its
    # services running already.
    wineserver -p 2>/dev/null || true
fi
work=$(mktemp -d "${BENCH_DIR:-$BUILD}/bench-recovery.XXXXXX")
cleanup() {
    rm -rf "$work"
    if [ "$WIN_CLI" != none ]; then wineserver -k 2>/dev/null || true; fi
}
trap cleanup EXIT

# Appends "name seconds peak_KiB cpu_seconds" of one command to the results: the time on the
# clock, and the processor time of the program (not of the Wine server beside it), which a busy
# machine disturbs less.
measure() {
    local name=$1 start end; shift
    sync
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M %U %S" -o "$work/usage" "$@" >/dev/null
    end=$EPOCHREALTIME
    read -r peak user system < "$work/usage"
    echo "$name $(echo "$end - $start" | bc) $peak $(echo "$user + $system" | bc)" >> "$work/results"
}

head -c $((SIZE_MIB << 20)) /dev/urandom > "$work/big.bin"
cd "$work"
"$CLI" split big.bin --size "${PIECE_MIB}M" --recovery 10 --quiet
# par2 gets the slice size Zendra chose: the first 8 bytes of the main packet's body.
slice=$(od -A n -t u8 -j 64 -N 8 big.bin.par2 | tr -d ' ')
pieces=(big.bin.[0-9]*)
echo "$SIZE_MIB MiB in ${#pieces[@]} pieces of $PIECE_MIB MiB, slice size $slice, warm cache;" \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), $(nproc) cores;" \
     "$(par2 --version 2>&1 | head -1) with its default threads (one per core: $(nproc))" >&2

zendra_split() { measure split.zendra "$CLI" split big.bin --size "${PIECE_MIB}M" --recovery 10 --quiet; }
wine_split() { measure split.wine wine "$WIN_CLI" split big.bin --size "${PIECE_MIB}M" --recovery 10 --quiet; }
par2_create() { rm -f set.*par2; measure create.par2 par2 create -q -q -s"$slice" -r10 set.par2 "${pieces[@]}"; }
zendra_repair() { rm big.bin.005; measure repair.zendra "$CLI" repair big.bin.tpl --quiet; }
wine_repair() { rm big.bin.005; measure repair.wine wine "$WIN_CLI" repair big.bin.tpl --quiet; }
par2_repair() { rm big.bin.005; measure repair.par2 par2 repair -q -q set.par2; }

for round in $(seq 1 "$ROUNDS"); do
    # Rounds alternate the order, so that a drift of the machine favours no side.
    splits=(zendra_split par2_create) repairs=(zendra_repair par2_repair)
    if [ "$WIN_CLI" != none ]; then splits+=(wine_split) repairs+=(wine_repair); fi
    if [ $((round % 2)) = 0 ]; then
        mapfile -t splits < <(printf '%s\n' "${splits[@]}" | tac)
        mapfile -t repairs < <(printf '%s\n' "${repairs[@]}" | tac)
    fi
    for step in "${splits[@]}" "${repairs[@]}"; do "$step"; done
    par2 verify -q -q big.bin.par2 || { echo "par2 rejects Zendra's recovery data" >&2; exit 1; }
    echo "round $round of $ROUNDS done" >&2
done

python3 - "$work/results" <<'PY'
import collections, statistics, sys
rows = collections.defaultdict(list)
for name, sec, kib, cpu in (line.split() for line in open(sys.argv[1])):
    rows[name].append((float(sec), int(kib), float(cpu)))
print("  median of the rounds' ratios (least-largest); wall clock, then processor time; peak memory")
for ours, theirs, label in (("split.zendra", "create.par2", "split + 10 % recovery vs par2 create -r10"),
                            ("split.wine", "split.zendra", "the same split, Windows build under Wine vs Linux"),
                            ("repair.zendra", "repair.par2", "repair of one missing piece vs par2 repair"),
                            ("repair.wine", "repair.zendra", "the same repair, Windows build under Wine vs Linux")):
    a, b = rows[ours], rows[theirs]
    if not a:
        continue
    def ratios(i):
        r = [x[i] / y[i] for x, y in zip(a, b)]
        return f"{statistics.median(r):4.2f}x ({min(r):4.2f}-{max(r):4.2f})"
    print(f"  {label}:\n"
          f"    {statistics.median(x[0] for x in a):6.2f} s vs {statistics.median(y[0] for y in b):6.2f} s, {ratios(0)};"
          f" processor {statistics.median(x[2] for x in a):6.2f} s vs {statistics.median(y[2] for y in b):6.2f} s, {ratios(2)};"
          f" peak {max(x[1] for x in a) / 1024:5.1f} MiB vs {max(y[1] for y in b) / 1024:5.1f} MiB")
PY
