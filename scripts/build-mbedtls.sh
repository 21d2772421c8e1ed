#!/usr/bin/env bash
# Builds the TLS library (mbedTLS) as static mingw-w64 libraries from Debian's own
# source package into $1 (include/ and lib/). Its sources are fetched here, at build
# time, and never kept in the repository. Does nothing once the libraries are there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
# AES-GCM comes from the program's own wininet/TlsGcm.cpp (see wininet/mbedtls_alt).
# Threading: the SSH library shares one random generator between the sessions of all
# threads and refuses to start without the library's locks. Whatever includes mbedTLS's
# headers must see the same definitions (CMakeLists.txt, scripts/build-libssh.sh).
cflags="-O2 -DMBEDTLS_GCM_ALT -DMBEDTLS_THREADING_C -DMBEDTLS_THREADING_PTHREAD -I$root/wininet/mbedtls_alt"
stamp="$cflags $(sha256sum <"$root/wininet/mbedtls_alt/gcm_alt.h" | cut -c1-16)"
[ -f "$out/lib/libmbedtls.a" ] && [ "$(cat "$out/stamp" 2>/dev/null)" = "$stamp" ] && exit 0

work=$out/source
rm -rf "$out/include" "$out/lib" "$out/stamp"
mkdir -p "$work"
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'mbedtls-*' | head -n 1)
if [ -n "$src" ]; then
    make -C "$src/library" clean >/dev/null 2>&1 || true
elif ! (cd "$work" && apt-get source -qq mbedtls >"$work/fetch.log" 2>&1); then
    echo "Fetching mbedTLS's Debian source failed (is there a deb-src entry? run scripts/setup.sh):" >&2
    cat "$work/fetch.log" >&2
    exit 1
fi
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'mbedtls-*' | head -n 1)
echo "Building mbedTLS from $(basename "$src") (Debian source)"
if ! make -C "$src/library" -j "$(nproc)" WINDOWS_BUILD=1 \
    CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
    CFLAGS="$cflags" libmbedcrypto.a libmbedx509.a libmbedtls.a >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
fi
mkdir -p "$out/lib"
cp -r "$src/include" "$out/include"
cp "$src/library/libmbedtls.a" "$src/library/libmbedx509.a" "$src/library/libmbedcrypto.a" "$out/lib/"
echo "$stamp" >"$out/stamp"
