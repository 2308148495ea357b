#!/usr/bin/env bash
# Screenshots of the drop shadow as a user sees it: a main-sized and an About-sized window with
# their soft shadows over a light desktop, and a window in the middle of a fade-out. Runs the demo
# under Wine in the prefix that reports Windows XP, inside a virtual screen with a compositing
# manager (per-pixel alpha needs one); and plain beside key-coloured windows (the title bars key
# theirs). Also prints what following the owner's moves costs.
# Usage: shadow-look.sh [OUTPUT-FOLDER]   (DISPLAY=:n to use a running virtual screen)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$here/../.." && pwd)
BUILD=${ZENDRA_BUILD:-$ROOT/build}
demo=$BUILD/win32/tests/shadow/shadow_demo.exe
xp=$BUILD/win32/wineprefix-xp
out=${1:-$BUILD/shadow-shots}
mkdir -p "$out"
[ -f "$demo" ] || { echo "build $demo first" >&2; exit 1; }

pids=()
cleanup() {
    WINEPREFIX=$xp wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 141 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 +extension Composite -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
# picom where installed: xcompmgr leaves a margin beside key-coloured windows unpainted (see
# the shadow README), so their shadows come out dark there. No shadows or fades of its own.
if command -v picom >/dev/null; then
    echo "compositing manager: picom"
    picom --config /dev/null --backend xrender >/dev/null 2>&1 &
else
    echo "compositing manager: xcompmgr"
    xcompmgr >/dev/null 2>&1 &
fi
pids+=($!)

"$here/wine-xp-run" "$xp"
export WINEPREFIX=$xp WINEDEBUG=-all WINEARCH=win32
log=$(mktemp)

wine "$demo" look 6 >"$log" 2>&1 </dev/null &
demo_pid=$!
sleep 4
import -window root "$out/shadow-windows.png"
wait "$demo_pid" || true
cat "$log"

# Plain and key-coloured windows side by side, with the X shapes Wine gives the keyed ones.
wine "$demo" keyed 6 >"$log" 2>&1 </dev/null &
demo_pid=$!
sleep 4
import -window root "$out/shadow-keyed.png"
for name in "keyed 444 x 319" "keyed 448 x 320" "keyed 232 x 193"; do
    id=$(xdotool search --name "^$name\$" | head -n 1)
    echo "$name: X shape $(xwininfo -shape -id "$id" | sed -n 's/.*shape extents: *//p')"
done
wait "$demo_pid" || true

flag=$(mktemp -u)
wine "$demo" fade "Z:${flag//\//\\}" >"$log" 2>&1 </dev/null &
demo_pid=$!
for _ in $(seq 1 200); do [ -e "$flag" ] && break; sleep 0.05; done
sleep 1.4
import -window root "$out/shadow-fading.png"
wait "$demo_pid" || echo "the fade did not end" >&2
rm -f "$flag"

wine "$demo" measure >"$log" 2>&1 </dev/null || true
cat "$log"
rm -f "$log"
echo "screenshots: $out/shadow-windows.png $out/shadow-keyed.png $out/shadow-fading.png"
