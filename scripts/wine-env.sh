# Sourced by the scripts: a Wine prefix of the build's own, never the user's.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
build=${CORVANE_BUILD_DIR:-$root/build}
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi
# Without a window manager (a bare Xvfb) Wine waits 2 s on every hidden
# top-level window for a state change that no one makes; unmanaged windows
# skip the wait. The virtual desktop that scripts/run.sh opens never waits.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
fi
# A crashing program must end with a failure, not wait in the crash dialog.
if ! grep -q '^"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wineserver -w || true
fi

# The running Wine server of this prefix (empty when none runs): the one whose
# folder names the prefix's device and inode.
wine_server_pid() {
    local folder pid
    folder=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for pid in $(pgrep -u "$(id -u)" -x 'wineserver(64)?' || true); do
        if [ "$(basename "$(readlink "/proc/$pid/cwd")")" = "$folder" ]; then echo "$pid"; fi
    done
}
