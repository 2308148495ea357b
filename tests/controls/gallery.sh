#!/usr/bin/env bash
# Opens the control gallery under Wine in a virtual screen, saves a screenshot and prints its path.
# Usage: tests/controls/gallery.sh [output.png]   (builds build/win32 first if needed)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
OUT=${1:-$BUILD/gallery.png}
EXE=$(build_win_program zendra-gallery)
start_xvfb
trap stop_xvfb EXIT
ensure_wine_prefix
wine "$EXE" 8 >/dev/null 2>&1 &
GALLERY_PID=$!
sleep 5
import -window root -crop 1000x680+0+0 "$OUT"
wait "$GALLERY_PID" || true
echo "$OUT"
