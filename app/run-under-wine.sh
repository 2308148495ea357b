#!/usr/bin/env bash
# Starts the built Zendra.exe under Wine with the build's own prefix.
#   app/run-under-wine.sh [--screenshot FILE] [BUILD_DIR]
# Without a display it says how to get one; with --screenshot it runs the program in a private
# Xvfb for a few seconds, saves a picture of the screen to FILE and ends the program.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot=
if [ "${1:-}" = "--screenshot" ]; then
    shot=$(realpath -m "$2")
    shift 2
fi
build=${1:-$root/build/win32}
exe=$build/app/Zendra.exe
[ -f "$exe" ] || { echo "No $exe: build the 32-bit Windows tree first (scripts/test does)." >&2; exit 1; }
[ -f "$build/app/WinSubHook.tlb" ] || echo "Note: no WinSubHook.tlb beside Zendra.exe; the program will say so and end." >&2
export WINEPREFIX=${WINEPREFIX:-${ZENDRA_WINEPREFIX:-$root/build/wineprefix}}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}

if [ -n "$shot" ]; then
    # The server picks a free display itself.
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$number")"
    rm -f "$number"
    trap 'kill $app 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    wine "$exe" >/dev/null 2>&1 &
    app=$!
    for _ in $(seq 200); do xdotool search --onlyvisible --name '^Zendra$' >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
    import -window root "$shot"
    echo "Screenshot: $shot"
    exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set). Run it on a desktop session, or start a virtual one:" >&2
    echo "  Xvfb :25 -screen 0 1280x1024x24 & DISPLAY=:25 $0" >&2
    echo "or take a picture without a display: $0 --screenshot zendra.png" >&2
    exit 2
fi
exec wine "$exe"
