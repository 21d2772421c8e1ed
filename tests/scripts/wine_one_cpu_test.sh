#!/usr/bin/env bash
# scripts/wine-one-cpu.sh: the prefix's running Wine server moves to the chosen
# CPU and the program runs; "any" leaves the server where it is. Afterwards the
# server may use every CPU again, so the tests after this one run as before.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
if [ "$(nproc)" -lt 2 ]; then
    echo "one CPU: nothing to place"
    exit 0
fi
last=$(($(nproc) - 1))
every_mask=$(printf '%x' $(((1 << (last + 1)) - 1)))
last_mask=$(printf '%x' $((1 << last)))

free_server() { taskset -a -p "$every_mask" "$(wine_server_pid)" >/dev/null; }

# A server that runs already answers "already running"; a new one takes a moment to settle.
# Wine's processes get no output of the test's: they would keep the test's
# output open, and the test running, until the server ends.
wineserver -p5 </dev/null >/dev/null 2>&1 || true
for _ in $(seq 50); do
    [ -n "$(wine_server_pid)" ] && break
    sleep 0.1
done
free_server
trap free_server EXIT
fail=0
check() {
    local setting=$1 expected=$2 found
    if ! CORVANE_WINE_CPU=$setting "$root/scripts/wine-one-cpu.sh" cmd /c exit 0 \
        </dev/null >/dev/null 2>&1; then
        echo "CORVANE_WINE_CPU=$setting: the program did not run"
        fail=1
    fi
    found=$(taskset -p "$(wine_server_pid)" | sed 's/.*: //')
    if [ "$found" != "$expected" ]; then
        echo "CORVANE_WINE_CPU=$setting: the server's CPU mask is $found, expected $expected"
        fail=1
    fi
}
check any "$every_mask"
check "$last" "$last_mask"
exit $fail
