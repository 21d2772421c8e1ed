#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the program and the tests need and is missing.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth
          googletest python3-pyftpdlib vsftpd fonts-wqy-microhei imagemagick xdotool x11-utils curl
          make dpkg-dev openssl python3-openssl procps util-linux lftp openssh-server openssh-client
          passwd)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The TLS and SSH libraries are built from Debian's own source packages
# (scripts/build-mbedtls.sh, scripts/build-libssh.sh), which apt-get fetches only through a
# deb-src entry.
if ! apt-get source --print-uris mbedtls >/dev/null 2>&1; then
    echo "Adding deb-src entries for apt-get source"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            >/etc/apt/sources.list.d/corvane-deb-src.sources
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/corvane-deb-src.list
    fi
    apt-get update -qq
fi
