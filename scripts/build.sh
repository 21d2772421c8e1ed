#!/usr/bin/env bash
# Configures (once) and builds corvane.exe, the tests and the benchmarks into build/;
# CORVANE_TARGETS="corvane" builds only the named targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}

"$root/scripts/build-mbedtls.sh" "$build/mbedtls"
"$root/scripts/build-libssh.sh" "$build/libssh" "$build/mbedtls"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
read -r -a targets <<<"${CORVANE_TARGETS:-all}"
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
