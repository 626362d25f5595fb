#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only what is missing.
# Run as root. Safe to run again: it does nothing when everything is there.
#
# Package mirrors are sometimes caught mid-sync: one index fails to download
# ("File has unexpected size ... Mirror sync in progress?"), and with the
# security suite's i386 index missing apt mixes amd64 packages from one suite
# with their i386 twins from another, which Multi-Arch refuses. So the index
# update is retried and then taken as it is, and an install that fails is tried
# once more with the release's own main suite as the target release, where both
# architectures come from one index.
#
# DEPS_RETRY_PAUSE (seconds between update attempts, default 15) and
# DEPS_OS_RELEASE (default /etc/os-release) exist for the script's own test.
set -uo pipefail

packages=(
  cmake make g++ pkg-config googletest libgtest-dev zlib1g-dev   # native tree
  clang libclang-rt-14-dev                                       # fuzz targets
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev binutils-mingw-w64-i686
  wine wine64 wine32:i386                                        # Windows code under Wine
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales    # virtual display, screenshots, Chinese text
  osslsigncode openssl                                           # signed setup programs in tests
  util-linux coreutils diffutils file
)
update_attempts=3
pause=${DEPS_RETRY_PAUSE:-15}
os_release=${DEPS_OS_RELEASE:-/etc/os-release}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386 || { echo "deps.sh: dpkg --add-architecture i386 failed" >&2; exit 1; }
fi
export DEBIAN_FRONTEND=noninteractive

updated=0
for ((attempt = 1; attempt <= update_attempts; attempt++)); do
  if apt-get update -q; then updated=1; break; fi
  if ((attempt < update_attempts)); then
    echo "deps.sh: apt-get update failed (attempt $attempt of $update_attempts), trying again in ${pause}s"
    sleep "$pause"
  fi
done
if ((updated == 0)); then
  echo "deps.sh: apt-get update kept failing; going on with the indexes it has"
fi

# Codename of the running release (bookworm on Debian 12), never assumed.
codename=$(. "$os_release" 2>/dev/null && echo "${VERSION_CODENAME:-}")

install_with() {  # install_with [apt-get options...]
  apt-get install -y -q --no-install-recommends "$@" "${missing[@]}"
}

if install_with; then
  echo "deps.sh: installed from every suite apt knows"
  exit 0
fi
if [ -n "$codename" ]; then
  echo "deps.sh: install failed; trying again with the $codename main suite as the target release"
  if install_with -t "$codename"; then
    echo "deps.sh: installed with -t $codename (the release's main suite)"
    exit 0
  fi
fi

# Name what could not be installed: simulate each missing package on its own.
target=()
[ -n "$codename" ] && target=(-t "$codename")
failed=()
for p in "${missing[@]}"; do
  apt-get install -s -q --no-install-recommends "${target[@]}" "$p" >/dev/null 2>&1 || failed+=("$p")
done
[ ${#failed[@]} -eq 0 ] && failed=("${missing[@]}")
{
  echo "deps.sh: could not install: ${failed[*]}"
  echo "deps.sh: try by hand: apt-get update; apt-get install ${target[*]} --no-install-recommends ${failed[*]}"
} >&2
exit 1
