#!/usr/bin/env bash
# usage: wine-one-cpu.sh PROGRAM [ARGUMENTS]: wine, with the program and its Wine server on one CPU.
#
# Under Wine nearly every call the program makes (a socket, a file, a window)
# is a round trip to the Wine server process. Split over two CPUs each round
# trip wakes the other CPU, which on a virtual machine costs several times the
# call itself: a tree of 2,000 small files took 2.3-3.5 s to come down that way
# and 1.2-1.7 s with both on one CPU. CORVANE_WINE_CPU names the CPU (default:
# the first this script may use); "any" lets both run where the system puts them.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

cpu=${CORVANE_WINE_CPU:-$(taskset -cp $$ | sed 's/.*: //; s/[,-].*//')}
if [ "$cpu" = any ] || [ "$(nproc)" -eq 1 ]; then
    exec wine "$@"
fi

server=$(wine_server_pid)
if [ -n "$server" ]; then
    taskset -a -cp "$cpu" "$server" >/dev/null
else
    # Fails only when another start won the race; wine then uses that server.
    taskset -c "$cpu" wineserver || true
fi
exec taskset -c "$cpu" wine "$@"
