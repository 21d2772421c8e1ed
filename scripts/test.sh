#!/usr/bin/env bash
# Installs what is missing, checks the include layers, builds, starts the test FTP servers on 127.0.0.1 and
# runs every test under Wine on a virtual X display. Fails before any test runs when a fixture
# server did not start, naming it and its log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
/usr/bin/python3 "$root/scripts/check_includes.py" "$root"
"$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"

state=$(mktemp -d)
cleanup() {
    [ -f "$state/pids" ] && xargs -r kill <"$state/pids" 2>/dev/null || true
    rm -rf "$state"
}
trap cleanup EXIT
source "$root/tests/fixtures/start_servers.sh" "$state"
corvane_fixture_check || exit 1

cd "$build"
xvfb-run -a -s "-screen 0 800x700x24" ctest --output-on-failure "$@"
