#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only what is missing.
# Run as root. Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  cmake make g++ pkg-config googletest libgtest-dev zlib1g-dev   # native tree
  clang libclang-rt-14-dev                                       # fuzz targets
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev binutils-mingw-w64-i686
  wine wine64 wine32:i386                                        # Windows code under Wine
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales    # virtual display, screenshots, Chinese text
  osslsigncode openssl                                           # signed setup programs in tests
  util-linux coreutils diffutils file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
