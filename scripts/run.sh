#!/usr/bin/env bash
# Installs what is missing, builds the program, starts a demo FTP server on 127.0.0.1 and
# then Corvane under Wine; the server stops when Corvane ends. Without an X
# display it starts Xvfb on :77 and draws the program in a Wine virtual desktop;
# look at it with: DISPLAY=:77 import -window root shot.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# The program alone: the demo server is a script, and the tests wait for scripts/test.sh.
CORVANE_TARGETS=corvane "$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"

demo=$build/demo-ftp
info=$build/demo-ftp.txt
rm -f "$info"
/usr/bin/python3 "$root/scripts/demo_ftp.py" "$demo" "$info" >"$build/demo-ftp.log" 2>&1 &
demo_pid=$!
trap 'kill "$demo_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -f "$info" ] && break
    sleep 0.1
done
if [ -f "$info" ]; then
    cat "$info"
else
    echo "The demo FTP server did not start (see $build/demo-ftp.log)" >&2
fi

if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:77
    if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 800x700x24 >/dev/null 2>&1 &
        sleep 1
    fi
    echo "Corvane runs on the virtual display $DISPLAY (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
fi
"$root/scripts/wine-one-cpu.sh" explorer /desktop=corvane,520x680 "$build/corvane.exe"
