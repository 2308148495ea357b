# Shared helpers for the project's scripts. Source it; do not run it.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ZENDRA_BUILD:-$ROOT/build}
NATIVE_BUILD=$BUILD/native
WIN_BUILD=$BUILD/win32
export WINEPREFIX=${ZENDRA_WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win32

# Everything the build, the tests and the screenshots need, all from Debian's archive.
PACKAGES=(cmake ninja-build g++ libgtest-dev googletest
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xauth xdotool imagemagick x11-utils xcompmgr
          fonts-wqy-zenhei fonts-liberation time coreutils zip libxxhash-dev xxhash picom
          zlib1g-dev libz-mingw-w64-dev libmd-dev cksfv rhash busybox dash par2 7zip mksh posh)

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local cmd="dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        log "missing packages: ${missing[*]}"
        log "install them as root with: $cmd"
        exit 1
    fi
    log "installing ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

configure_win() {
    cmake -S "$ROOT" -B "$WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
}

# Builds one Windows program (configuring the tree first if needed) and prints its path.
build_win_program() {
    [ -f "$WIN_BUILD/build.ninja" ] || configure_win
    cmake --build "$WIN_BUILD" --target "$1" -j 2 >/dev/null
    find "$WIN_BUILD" -name "$1.exe" | head -n 1
}

configure_and_build() {
    local jobs
    jobs=$(nproc)
    # Configured every time: a folder that appeared since the last run must join the build.
    cmake -S "$ROOT" -B "$NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    configure_win
    log "building (native)"
    cmake --build "$NATIVE_BUILD" -j "$jobs"
    log "building (32-bit Windows)"
    cmake --build "$WIN_BUILD" -j "$jobs"
}

# A virtual screen for the Windows programs, with compositing so per-pixel alpha blends. The
# server picks a free display itself (-displayfd): lock files in /tmp do not show displays that
# other sessions on the machine hold.
start_xvfb() {
    local number i
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension Composite -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    XVFB_PID=$!
    for i in $(seq 1 100); do
        [ -s "$number" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$number")"
    rm -f "$number"
    for i in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    log "Xvfb did not start"
    return 1
}

stop_xvfb() {
    wineserver -k 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# The build's own Wine prefix: created once, with Chinese fonts mapped onto the UI faces and
# otherwise as Wine makes it; one made to an older recipe is made again.
ensure_wine_prefix() {
    local kind="stock colours, Windows 10"
    if [ "$(cat "$WINEPREFIX/.zendra-ready" 2>/dev/null)" = "$kind" ]; then
        return 0
    fi
    # Its Windows XP twin is a copy of it: made again after it.
    rm -rf "$WIN_BUILD/wineprefix-xp"
    log "creating Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    wine regedit /S "$ROOT/scripts/wine-fonts.reg" >/dev/null 2>&1
    # Wine's stock colour scheme, reporting Windows 10; tests/shadow/wine-xp-run makes the XP twin.
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
    # Without a window manager, Wine otherwise waits 2 s for one whenever an active window goes away.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    echo "$kind" >"$WINEPREFIX/.zendra-ready"
}
