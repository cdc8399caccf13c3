# Shared by scripts/run and scripts/test: installing what is missing, the
# virtual X server and the Wine prefix. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

log() { printf '==> %s\n' "$*"; }

# Installs the Debian packages in "$@" that are not installed yet.
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake ninja-build g++ googletest libbenchmark-dev zlib1g-dev g++-mingw-w64-x86-64-posix
                binutils-mingw-w64-x86-64)
# GTK 3 and XTEST, for quorvel-lock (the linux preset); a private bus with a
# stand-in logind, for its power page tests.
GTK_PACKAGES=(libgtk-3-dev libxtst-dev python3-dbusmock dbus-daemon dbus-bin)
# clang with its sanitizer and libFuzzer runtimes, for scripts/fuzz.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
WINE_PACKAGES=(wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei python3 python3-pil libxtst6)
# The end-to-end scenarios' other worlds: a real window manager, and Xorg's
# dummy driver with xrandr for two monitors.
WORLD_PACKAGES=(openbox xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

# Starts a virtual X server on a free display and exports DISPLAY; it is
# stopped when the calling script exits. -noreset: when the readiness check
# leaves as the first client, the server would reset and turn the next client
# away for a moment.
start_virtual_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the virtual X server did not start" >&2
    return 1
}

stop_virtual_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Prepares the Wine prefix in $WINEPREFIX once. With "unmanaged", Wine
# places its windows itself: on a virtual display there is no window manager
# (a managed window would wait two seconds for one at every hide), and on a
# desktop the manager would stack the full-screen curtain above the unlock
# row and leave its panels uncovered.
ensure_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || true
    fi
    # Wine draws its own dialogs (message boxes) in Tahoma, which has no
    # Chinese glyphs: link a CJK face to the dialog fonts.
    local face
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
            /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    done
    if [ "${1:-}" = "unmanaged" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    fi
}
