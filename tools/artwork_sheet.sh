#!/usr/bin/env bash
# Photographs the artwork as Windows draws it: runs the sheet program of the 32-bit build under Wine on a
# virtual screen and saves a screenshot. Usage: tools/artwork_sheet.sh [display number] [output png]
# Needs the win32 build (cmake --build build/win32 --target resources_sheet).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DISPLAY_NUMBER=${1:-22}
OUT=${2:-$ROOT/build/artwork-sheet.png}
EXE=$ROOT/build/win32/tests/resources/resources_sheet.exe
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix} WINEDEBUG=-all WINEARCH=win32
export DISPLAY=:$DISPLAY_NUMBER

own_xvfb=
if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    own_xvfb=$!
    sleep 1
fi
# A plain desktop colour behind the keyed window, so its see-through corners show.
xsetroot -solid '#6d8fb3' 2>/dev/null || true
wine "$EXE" &
sheet=$!
sleep 4
import -window root -crop 752x400+0+0 "$OUT"
wait "$sheet" || true
[ -n "$own_xvfb" ] && kill "$own_xvfb"
echo "$OUT"
