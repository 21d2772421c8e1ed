#!/usr/bin/env bash
# Installs what is missing, builds, and starts Corvane under Wine. Without an X
# display it starts Xvfb on :77 and draws the program in a Wine virtual desktop;
# look at it with: DISPLAY=:77 import -window root shot.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"

if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:77
    if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 800x700x24 >/dev/null 2>&1 &
        sleep 1
    fi
    echo "Corvane runs on the virtual display $DISPLAY (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
fi
exec wine explorer /desktop=corvane,520x680 "$build/corvane.exe"
