#!/usr/bin/env bash
# Zendra.exe as a user drives it: under Wine on $DISPLAY, only through the screen (xdotool).
# Split a file through the real open-file dialog, answer the message box, check the pieces byte
# for byte, join them into another folder, cancel a long split from its progress window (nothing
# left), tick two options, close, start again and find them ticked. Screenshots of every pane, the
# progress window and the About window go to the given folder.
# Usage: e2e.sh PATH/TO/Zendra.exe SCREENSHOT_DIR
set -euo pipefail

exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shots=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
wine_run=$root/scripts/wine-run
export WINEDEBUG=-all WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-${ZENDRA_WINEPREFIX:-$root/build/wineprefix}}

if [ -z "${DISPLAY:-}" ]; then
    echo "e2e: no DISPLAY; start an X server (e.g. Xvfb :25) and set DISPLAY" >&2
    exit 77
fi
for tool in xdotool import wine; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing" >&2; exit 77; }
done

mkdir -p "$shots"
work=$(mktemp -d /tmp/zendra-e2e.XXXXXX)
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    "$wine_run" reg delete 'HKCU\Software\VB and VBA Program Settings\Zendra' /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "e2e: FAILED: $*" >&2; exit 1; }
step() { echo "e2e: $*"; }

# Polls (every 50 ms, up to $2 seconds) until the command succeeds.
wait_for() {
    local command=$1 seconds=${2:-20} i
    for ((i = 0; i < seconds * 20; i++)); do
        eval "$command" && return 0
        sleep 0.05
    done
    return 1
}
# Visible top-level windows with exactly this title.
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
# Windows that were there before this run's program started are someone else's.
others=
ours_named() {
    local w
    for w in $(windows_named "$1"); do grep -qx "$w" <<<"$others" || echo "$w"; done
}
# Our visible "Zendra" window of the given size in pixels.
window_sized() {
    local w
    for w in $(ours_named Zendra); do
        xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: $1\$" && { echo "$w"; return 0; }
    done
    return 1
}
main_window() { window_sized 444x319; }
progress_window() { window_sized 340x122; }
# Our other "Zendra" windows: message boxes.
message_box() {
    local w
    for w in $(ours_named Zendra); do [ "$w" != "$W" ] && { echo "$w"; return 0; }; done
    return 1
}
# As a hand does it: the pointer arrives, then the button goes down. (A press in the same instant
# as a jump from another child window can be lost under Wine.)
click() {
    xdotool mousemove --window "$W" "$1" "$2"
    sleep 0.1
    xdotool click 1
}
shoot() {
    local geometry
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "$((WIDTH + 16))x$((HEIGHT + 16))+$((X - 8))+$((Y - 8))" "$shots/$2.png"
    step "screenshot $shots/$2.png"
}
# Answers the message box that the main window shows (a second "Zendra" window) with Return.
answer_box() {
    local box
    wait_for 'box=$(message_box)' 30 || fail "no message box after $1"
    sleep 0.2 # its first paint
    shoot "$box" "$2"
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for '! message_box >/dev/null' 10 || fail "the message box after $1 stayed"
}
# Types a path into the real open-file dialog and opens it.
open_in_dialog() {
    wait_for '[ -n "$(ours_named Open)" ]' 20 || fail "no open-file dialog"
    local dialog
    dialog=$(ours_named Open | head -1)
    sleep 0.3 # the dialog fills its file list before it takes keys
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    xdotool type --delay 5 "$1"
    xdotool key Return
    wait_for '[ -z "$(ours_named Open)" ]' 10 || fail "the open-file dialog stayed open"
}
start_app() {
    others=$(xdotool search --name . 2>/dev/null || true)
    "$wine_run" "$exe" >/dev/null 2>&1 &
    app_pid=$!
    wait_for 'W=$(main_window)' 30 || fail "the main window did not appear"
    sleep 0.3 # the first paint
}
# Whether a check box of the options pane shows its tick in a screenshot: bluish pixels in the
# box's square (an empty box is grey and white). $2 is the box's middle row in the window.
ticked() {
    local n
    n=$(convert "$shots/$1.png" +repage -crop "20x26+70+$((8 + $2 - 13))" +repage txt:- |
        awk -F'[(),]' 'NR > 1 && $5 + 0 > $3 + 40 { n++ } END { print n + 0 }')
    [ "$n" -gt 20 ]
}
winpath() { "$wine_run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Middles of tabs, buttons, fields and boxes, in pixels of the main window (its layout is fixed).
TAB_SPLIT="27 37"; TAB_JOIN="65 37"; TAB_PREFS="375 37"; TAB_ABOUT="413 37"
SPLIT_BROWSE="387 75"; SIZE_FIELD="140 139"; SPLIT_BUTTON="230 176"
JOIN_BROWSE="369 93"; JOIN_OUTPUT="220 139"; JOIN_BUTTON="232 176"
CHK_DEL_SOURCE="70 103"; CHK_DEL_SPLIT_CONFIRM="70 210"

"$wine_run" reg delete 'HKCU\Software\VB and VBA Program Settings\Zendra' /f >/dev/null 2>&1 || true

head -c 100000 /dev/urandom > "$work/sample.bin"
mkdir "$work/joined"
sample=$(winpath "$work/sample.bin")
joined=$(winpath "$work/joined")

step "start"
start_app
shoot "$W" 1-split-pane

step "split through the dialog"
click $SPLIT_BROWSE
open_in_dialog "$sample"
click $SIZE_FIELD
xdotool type --delay 5 "30000"
shoot "$W" 2-split-filled
click $SPLIT_BUTTON
answer_box "Split" 3-split-done
shoot "$W" 4-split-listed

step "check the pieces"
[ -f "$work/sample.bin.tpl" ] || fail "no index file"
: > "$work/rebuilt"
for n in 000 001 002 003; do
    piece=$work/sample.bin.$n
    [ -f "$piece" ] || fail "piece $n is missing"
    size=$(stat -c %s "$piece")
    tail -c +11 "$piece" | head -c $((size - 14)) >> "$work/rebuilt"
done
[ ! -e "$work/sample.bin.004" ] || fail "one piece too many"
[ "$(stat -c %s "$work/sample.bin.000")" -eq 30014 ] || fail "the first piece is not 30000 bytes"
cmp -s "$work/sample.bin" "$work/rebuilt" || fail "the pieces do not hold the file"

step "join into another folder"
click $TAB_JOIN
sleep 0.2
shoot "$W" 5-join-pane
click $JOIN_BROWSE
open_in_dialog "$sample.tpl"
click $JOIN_OUTPUT
xdotool key End shift+Home
xdotool type --delay 5 "$joined" # without its trailing "\"
click $JOIN_BUTTON
answer_box "Join Files" 6-join-done
shoot "$W" 7-join-listed
cmp -s "$work/sample.bin" "$work/joined/sample.bin" || fail "the joined file differs from the source"

step "a long split shows its progress, and Cancel leaves nothing"
# 4 GiB with holes: the pieces take room only for what is written before the cancel.
truncate -s 4G "$work/large.bin"
click $TAB_SPLIT
sleep 0.2
click $SPLIT_BROWSE
open_in_dialog "$(winpath "$work/large.bin")"
click $SIZE_FIELD
xdotool key End shift+Home
xdotool type --delay 5 "1000000000"
click $SPLIT_BUTTON
wait_for 'progress=$(progress_window)' 20 || fail "no progress window during a long split"
sleep 0.3 # some progress to show
shoot "$progress" 11-progress
xdotool mousemove --window "$progress" 280 99
sleep 0.1
xdotool click 1 # Cancel
answer_box "Cancel" 12-split-cancelled
[ "$(find "$work" -maxdepth 1 -name 'large.bin?*' | wc -l)" -eq 0 ] ||
    fail "a cancelled split left files: $(ls "$work")"
rm "$work/large.bin"

step "options"
click $TAB_PREFS
sleep 0.2
shoot "$W" 8-options-pane
click $CHK_DEL_SOURCE
click $CHK_DEL_SPLIT_CONFIRM
xdotool mousemove --window "$W" 300 290
sleep 0.1

step "about"
click $TAB_ABOUT
wait_for '[ -n "$(ours_named Form2)" ]' 10 || fail "no About window"
about=$(ours_named Form2 | head -1)
click $TAB_ABOUT # again: the same window comes forward, no second one
sleep 0.3
[ "$(ours_named Form2 | grep -c .)" -eq 1 ] || fail "a second About window opened"
shoot "$about" 9-about
xdotool mousemove --window "$about" 15 11 click 1 # its close button
wait_for '[ -z "$(ours_named Form2)" ]' 10 || fail "the About window stayed"

step "close without Save, start again"
xdotool mousemove --window "$W" 15 11 click 1 # the main window's close button
wait_for '! kill -0 $app_pid 2>/dev/null' 15 || fail "the program did not end with its last window"
app_pid=
start_app
click $TAB_PREFS
xdotool mousemove --window "$W" 300 290
sleep 0.3
shoot "$W" 10-options-kept
options=$("$wine_run" reg query 'HKCU\Software\VB and VBA Program Settings\Zendra\Options' 2>/dev/null | tr -d '\r')
grep -Eq 'DelSource[[:space:]]+REG_SZ[[:space:]]+1$' <<<"$options" || fail "DelSource was not kept: $options"
grep -Eq 'DelSplitConfirm[[:space:]]+REG_SZ[[:space:]]+1$' <<<"$options" || fail "DelSplitConfirm was not kept"
grep -Eq 'DelSplit[[:space:]]+REG_SZ[[:space:]]+0$' <<<"$options" || fail "DelSplit changed"
ticked 10-options-kept 103 || fail "the first box does not show its tick after the restart"
ticked 10-options-kept 210 || fail "the fourth box does not show its tick after the restart"
! ticked 10-options-kept 137 || fail "the second box shows a tick"
! ticked 10-options-kept 174 || fail "the third box shows a tick"
! ticked 8-options-pane 103 || fail "the first box was ticked before it was clicked"
xdotool mousemove --window "$W" 15 11 click 1
wait_for '! kill -0 $app_pid 2>/dev/null' 15 || fail "the program did not end"
app_pid=
step "passed"
