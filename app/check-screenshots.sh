#!/usr/bin/env bash
# Pictures of the join pane's Check as a user sees it, on a prefix that reports Windows 10 and on
# one that reports Windows XP (where the shadows show): a 3 MiB file split into 1 MiB pieces with
# recovery data for one piece, its second piece gone; the program started with the index, Check
# clicked, the box photographed over the window.
#   app/check-screenshots.sh [OUT_DIR]      (default: app/screenshots)
# Writes, for KIND win10 and winxp, OUT_DIR/join-pane-KIND.png (the pane with Check),
# OUT_DIR/check-KIND.png (Check's box) and OUT_DIR/repaired-KIND.png (after Yes: the repair's box). Needs the 32-bit Windows build
# (Zendra, zendra-cli), Xvfb, openbox, xcompmgr, xdotool and imagemagick.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/app/screenshots}")
build=$root/build/win32
exe=$build/app/Zendra.exe
cli=$build/cli/zendra-cli.exe
export WINEARCH=win32 WINEDEBUG=-all
win10=${ZENDRA_WINEPREFIX:-$root/build/wineprefix}
winxp=$build/wineprefix-xp
mkdir -p "$out"
"$root/tests/shadow/wine-xp-run" "$winxp" >/dev/null 2>&1 || true

work=$(mktemp -d)
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 +extension Composite -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work" "$number"' EXIT
for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$number")"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
xcompmgr >/dev/null 2>&1 &

# The same bytes every time.
awk 'BEGIN { srand(7); for (i = 0; i < 3 * 1048576 / 8; i++) printf "%08x", int(rand() * 4294967295) }' \
    | head -c 3145728 >"$work/holiday.mkv"
WINEPREFIX=$win10 wine "$cli" split "$(WINEPREFIX=$win10 winepath -w "$work/holiday.mkv")" \
    --size 1M --recovery-pieces 1 -q
rm "$work/holiday.mkv"

# Around the windows titled "Zendra" (the main window, the box), with room for the shadows.
shoot() {
    local x0=100000 y0=100000 x1=0 y1=0 shown X Y WIDTH HEIGHT SCREEN WINDOW
    import -window root "$work/screen.png"
    for shown in $(xdotool search --onlyvisible --name '^Zendra$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$shown")"
        x0=$((X < x0 ? X : x0)) y0=$((Y < y0 ? Y : y0))
        x1=$((X + WIDTH > x1 ? X + WIDTH : x1)) y1=$((Y + HEIGHT > y1 ? Y + HEIGHT : y1))
    done
    x0=$((x0 > 30 ? x0 - 30 : 0)) y0=$((y0 > 30 ? y0 - 30 : 0))
    convert "$work/screen.png" -crop "$((x1 - x0 + 30))x$((y1 - y0 + 30))+$x0+$y0" +repage "$1"
    echo "$1"
}

# Waits for the box: the work's progress window (shown after half a second) gives way to it; a
# box already there after a second is waited for in vain (a minute), then taken as it is.
await_box() {
    local before
    sleep 1
    before=$(xdotool search --onlyvisible --name '^Zendra$' 2>/dev/null | sort)
    for _ in $(seq 600); do
        [ "$(xdotool search --onlyvisible --name '^Zendra$' 2>/dev/null | sort)" != "$before" ] && break
        sleep 0.1
    done
    sleep 1
}

for kind in win10 winxp; do
    prefix=$win10
    [ "$kind" = winxp ] && prefix=$winxp
    rm -f "$work/holiday.mkv.001"
    index=$(WINEPREFIX=$prefix winepath -w "$work/holiday.mkv.tpl")
    WINEPREFIX=$prefix wine "$exe" "$index" >/dev/null 2>&1 &
    window=
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --name '^Zendra$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 1
    shoot "$out/join-pane-$kind.png"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # Check's middle: the join pane at (2, 54) pixels, the button at (330, 110) in it, 75 x 23.
    xdotool mousemove $((X + 2 + 330 + 37)) $((Y + 54 + 110 + 11)) click 1
    await_box
    shoot "$out/check-$kind.png"
    # Y answers Yes: the repair, then its box.
    xdotool key y
    await_box
    shoot "$out/repaired-$kind.png"
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    sleep 1
done
