#!/usr/bin/env bash
# setup-wine.sh: makes, once, the Debian 13 root that holds Wine 10 in WoW64
# mode, under which the shipped 32-bit programs run as 64-bit Windows runs
# them: a 64-bit Wine that loads its own 32-bit PE side and thunks each call.
#
# This machine's kernel runs 32-bit code inside a 64-bit process but starts
# no 32-bit Linux program, so 32-bit Wine cannot run here; WoW64 needs no
# 32-bit Linux side. Debian 13's amd64 Wine has the WoW64 layer but ships its
# i386-windows folder empty: the 32-bit PE DLLs come from the i386 libwine
# package, unpacked (not installed) into it. Wine 10 needs Debian 13's C
# library, so all of it lives in a root of its own, entered with bubblewrap
# (scripts/wine.sh); nothing on the host is upgraded.
#
# The root is kept outside the work tree (ORBELLE_WINE_ROOT, default
# /var/cache/orbelle/wine10), so a clean build keeps it. Idempotent: a ready
# root returns at once; a half-made one is made again.
set -euo pipefail
root=${ORBELLE_WINE_ROOT:-/var/cache/orbelle/wine10}
# Bumped whenever the recipe below changes, so old roots are made again.
recipe="wine10-wow64 3"
stamp=$root/.orbelle-ready
[ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ -n "$SUDO" ]; then
  # The lock and the log below are written as the user: the cache folder is
  # theirs (the root inside it stays root's).
  $SUDO install -d -o "$(id -u)" -g "$(id -g)" "$(dirname "$root")"
else
  mkdir -p "$(dirname "$root")"
fi
exec 9>>"$(dirname "$root")/.$(basename "$root").lock"
flock 9
[ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ] && exit 0

new=$root.new
echo "setup-wine: making the Debian 13 root with Wine 10 (WoW64) in $root (about 2 minutes)"
$SUDO rm -rf "$new"
$SUDO debootstrap --variant=minbase trixie "$new" >"$(dirname "$root")/debootstrap.log" 2>&1 || {
  echo "setup-wine: debootstrap failed, see $(dirname "$root")/debootstrap.log" >&2; exit 1; }

# The X extension libraries are only recommended by Wine's X11 driver, which
# loads them at run time; without them everything runs, several times slower.
packages=(wine64 libwine libgl1 libgl1-mesa-dri libglx-mesa0 fonts-dejavu-core
  libxrender1 libxrandr2 libxcomposite1 libxinerama1 libxi6 libxcursor1 libxfixes3
  libxxf86vm1 libxext6)
$SUDO bwrap --bind "$new" / --proc /proc --dev-bind /dev /dev \
  --ro-bind /etc/resolv.conf /etc/resolv.conf \
  --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin --setenv DEBIAN_FRONTEND noninteractive \
  /bin/sh -ec "
    dpkg --add-architecture i386
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends ${packages[*]} >/dev/null
    cd /tmp
    apt-get download -q -o APT::Sandbox::User=root libwine:i386 >/dev/null
    mkdir i386 && dpkg -x libwine_*_i386.deb i386
    cp -a i386/usr/lib/i386-linux-gnu/wine/i386-windows/. /usr/lib/x86_64-linux-gnu/wine/i386-windows/
    rm -rf i386 libwine_*_i386.deb
    apt-get clean
    test -f /usr/lib/x86_64-linux-gnu/wine/i386-windows/kernel32.dll
    test -x /usr/lib/wine/wine64"
echo "$recipe" | $SUDO tee "$new/.orbelle-ready" >/dev/null
$SUDO rm -rf "$root"
$SUDO mv "$new" "$root"
echo "setup-wine: $("$(dirname "${BASH_SOURCE[0]}")/wine.sh" wine --version) ready"
