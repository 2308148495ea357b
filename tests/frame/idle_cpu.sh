#!/usr/bin/env bash
# Measures the CPU time an idle window with a Leopard title bar costs under Wine: the program's
# own process and the wineserver that serves it, over a minute (after 5 s of settling), with the
# window active (hover poller) and then inactive (inactive-look poller), pointer off the buttons.
# Usage: tests/frame/idle_cpu.sh [seconds]   (default 60; builds build/win32 first if needed)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
SECONDS_MEASURED=${1:-60}
EXE=$(build_win_program zendra-frame-idle)
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    trap stop_xvfb EXIT
fi
ensure_wine_prefix
TICKS=$(getconf CLK_TCK)

# CPU ticks (user + system) of one process.
cpu_of() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# The wineserver of this prefix (found by its environment, not by name alone).
our_wineserver() {
    local pid
    for pid in $(pgrep -x "wineserver(64)?"); do
        if tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
            return
        fi
    done
}

measure() {
    local mode=$1
    wine "$EXE" $((SECONDS_MEASURED + 10)) $mode >/dev/null 2>&1 &
    local launcher=$!
    sleep 5
    local pid server
    pid=$(pgrep -n -f 'zendra-frame-idle.exe' || true)
    server=$(our_wineserver)
    [ -n "$pid" ] || { echo "program did not start"; return 1; }
    local p0 s0 p1 s1
    p0=$(cpu_of "$pid"); s0=$( [ -n "$server" ] && cpu_of "$server" || echo 0)
    sleep "$SECONDS_MEASURED"
    p1=$(cpu_of "$pid"); s1=$( [ -n "$server" ] && cpu_of "$server" || echo 0)
    wait "$launcher" || true
    awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v t="$TICKS" -v d="$SECONDS_MEASURED" -v m="$mode" \
        'BEGIN { printf "%-8s program %.2f %%  wineserver %.2f %%  together %.2f %% of one core over %d s\n",
                 m, 100 * p / t / d, 100 * s / t / d, 100 * (p + s) / t / d, d }'
}

measure active
measure inactive
