#!/usr/bin/env bash
# Builds the SSH library (libssh, with its mbedTLS back end) as a static mingw-w64
# library from Debian's own source package into $1 (include/ and lib/), on the mbedTLS
# that scripts/build-mbedtls.sh built into $2. Its sources are fetched here, at build
# time, and never kept in the repository. Does nothing once the library is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
mbedtls=$2
# The same definitions mbedTLS was built with, or its structures differ between the two.
cflags="-O2 -DMBEDTLS_GCM_ALT -DMBEDTLS_THREADING_C -DMBEDTLS_THREADING_PTHREAD -I$root/wininet/mbedtls_alt"
# The library reads its socket MAX_BUF_SIZE bytes at a time, after a poll; at its 4 KiB
# a download under Wine spent most of its time in those calls (13 times sftp's time
# for 100 MiB, against 1.5 times for the upload), so it reads up to 256 KiB at once.
cflags="$cflags -DMAX_BUF_SIZE=262144"
# Its waits go through WSAPoll (ssh/libssh_poll/poll.h) instead of its select-and-peek
# emulation, which under Wine cost two more server round trips per wait.
cflags="$cflags -DHAVE_POLL -I$root/ssh/libssh_poll"
options=(-DWITH_MBEDTLS=ON -DBUILD_SHARED_LIBS=OFF -DWITH_GSSAPI=OFF -DWITH_ZLIB=OFF
         -DWITH_SERVER=OFF -DWITH_PCAP=OFF -DWITH_EXAMPLES=OFF -DWITH_NACL=OFF
         -DWITH_SYMBOL_VERSIONING=OFF -DWITH_DEBUG_CALLTRACE=OFF -DUNIT_TESTING=OFF)
stamp="$cflags ${options[*]} $(cat "$mbedtls/stamp")"
[ -f "$out/lib/libssh.a" ] && [ "$(cat "$out/stamp" 2>/dev/null)" = "$stamp" ] && exit 0

work=$out/source
rm -rf "$out/include" "$out/lib" "$out/stamp" "$work/build"
mkdir -p "$work"
fetch() {
    # The newest source first; a security update whose files the mirror lacks falls back
    # to the release before it.
    local version
    (cd "$work" && apt-get source -qq libssh >"$work/fetch.log" 2>&1) && return 0
    for version in $(apt-cache showsrc libssh | sed -n 's/^Version: //p' | sort -rV); do
        (cd "$work" && apt-get source -qq "libssh=$version" >>"$work/fetch.log" 2>&1) && return 0
    done
    return 1
}
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libssh-*' | head -n 1)
if [ -z "$src" ] && ! fetch; then
    echo "Fetching libssh's Debian source failed (is there a deb-src entry? run scripts/setup.sh):" >&2
    cat "$work/fetch.log" >&2
    exit 1
fi
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libssh-*' | head -n 1)
echo "Building libssh from $(basename "$src") (Debian source)"
if ! { cmake -S "$src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS="$cflags" "${options[@]}" \
        -DMBEDTLS_INCLUDE_DIR="$mbedtls/include" \
        -DMBEDTLS_SSL_LIBRARY="$mbedtls/lib/libmbedtls.a" \
        -DMBEDTLS_CRYPTO_LIBRARY="$mbedtls/lib/libmbedcrypto.a" \
        -DMBEDTLS_X509_LIBRARY="$mbedtls/lib/libmbedx509.a" &&
    cmake --build "$work/build" -j "$(nproc)" --target ssh; } >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
fi
mkdir -p "$out/lib" "$out/include/libssh"
cp "$src"/include/libssh/{libssh.h,sftp.h,callbacks.h,legacy.h,ssh2.h} "$work/build/include/libssh/libssh_version.h" \
    "$out/include/libssh/"
find "$work/build" -name 'libssh.a' -exec cp {} "$out/lib/" \;
echo "$stamp" >"$out/stamp"
