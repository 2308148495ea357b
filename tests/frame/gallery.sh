#!/usr/bin/env bash
# Opens the frame gallery under Wine in a virtual screen and photographs its four poses (each
# window in turn active, the pointer on its close button, its zoom button, nowhere, its minimise
# button; the others inactive) into one picture, two by two, and prints its path.
# Usage: tests/frame/gallery.sh [output.png]   (builds build/win32 first if needed)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
OUT=${1:-$BUILD/frame-gallery.png}
EXE=$(build_win_program zendra-frame-gallery)
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    trap stop_xvfb EXIT
fi
ensure_wine_prefix
SHOTS=$(mktemp -d)
wine "$EXE" 3 >/dev/null 2>&1 &
GALLERY_PID=$!
# One pose every 3 s; each photographed 2 s in, once its tooltip is up.
sleep 2.5
for pose in 0 1 2 3; do
    import -window root -crop 760x480+0+0 +repage "$SHOTS/pose$pose.png"
    [ "$pose" -lt 3 ] && sleep 3
done
wait "$GALLERY_PID" || true
montage "$SHOTS"/pose0.png "$SHOTS"/pose1.png "$SHOTS"/pose2.png "$SHOTS"/pose3.png \
    -tile 2x2 -geometry +4+4 -background '#303030' "$OUT"
rm -rf "$SHOTS"
echo "$OUT"
