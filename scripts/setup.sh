#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing, and
# makes the Wine 10 root the tests run in (scripts/setup-wine.sh).
# Idempotent: when everything is present it returns in well under a second.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

pkgs=(
  cmake ninja-build make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  debootstrap bubblewrap
  xvfb xauth x11-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libgl1-mesa-dri libglx-mesa0
  googletest
  imagemagick
  g++ clang
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q >/dev/null
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  # The posix thread model is what GoogleTest needs; make it the default too.
  for arch in i686 x86_64; do
    for tool in gcc g++; do
      [ -x /usr/bin/$arch-w64-mingw32-$tool-posix ] &&
        $SUDO update-alternatives --set $arch-w64-mingw32-$tool /usr/bin/$arch-w64-mingw32-$tool-posix >/dev/null 2>&1 || true
    done
  done
  echo "setup: done"
fi
# Wine itself is not the host's: Debian 12's 32-bit Wine cannot start here.
"$here/setup-wine.sh"
