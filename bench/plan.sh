#!/usr/bin/env bash
# Times the plan of a join of many small parts: `zendra-cli info PART`, which lists the folder and
# reads the set as a join would without joining, by the Linux build and by the 32-bit Windows
# build under Wine, on the same folder with a warm cache; prints each side's median of 5 (least and
# largest) and the ratio of the medians.
# Usage: bench/plan.sh [path/to/zendra-cli] [parts]
#   BENCH_WIN_CLI the Windows program (build/win32/cli/zendra-cli.exe); BENCH_DIR where the parts lie.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
CLI=$(realpath "${1:-$NATIVE_BUILD/cli/zendra-cli}")
PARTS=${2:-100000}
WIN_CLI=$(realpath "${BENCH_WIN_CLI:-$WIN_BUILD/cli/zendra-cli.exe}")
[ -x "$CLI" ] && [ -f "$WIN_CLI" ] || { echo "build both flavours first" >&2; exit 1; }
ensure_wine_prefix
wineserver -p 2>/dev/null || true # one Wine server for the whole run, as Windows has its own
work=$(mktemp -d "${BENCH_DIR:-$BUILD}/bench-plan.XXXXXX")
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
cd "$work"
head -c "$PARTS" /dev/urandom > data.bin
split -b 1 -d -a ${#PARTS} data.bin data.bin.
rm data.bin
first=$(printf 'data.bin.%0*d' ${#PARTS} 0)

time_runs() { # label command...: five runs after one to warm the cache
    local label=$1; shift
    "$@" info "$first" > "$work/out.$label" 2>&1
    grep -q "^Set: *$PARTS parts" "$work/out.$label" || { cat "$work/out.$label" >&2; exit 1; }
    for _ in 1 2 3 4 5; do
        local start=$EPOCHREALTIME
        "$@" info "$first" > /dev/null 2>&1
        echo "$label $(echo "$EPOCHREALTIME - $start" | bc)" >> "$work/times"
    done
}
time_runs linux "$CLI"
time_runs wine wine "$WIN_CLI"

python3 - "$work/times" "$PARTS" <<'PY'
import collections, statistics, sys
times = collections.defaultdict(list)
for label, seconds in (line.split() for line in open(sys.argv[1])):
    times[label].append(float(seconds))
for label, name in (("linux", "Linux build"), ("wine", "Windows build under Wine")):
    t = times[label]
    print(f"  planning {sys.argv[2]} parts, {name}: {statistics.median(t):.2f} s ({min(t):.2f}-{max(t):.2f})")
print(f"  Windows under Wine vs Linux: {statistics.median(times['wine']) / statistics.median(times['linux']):.2f}x")
PY
