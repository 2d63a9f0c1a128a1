#!/usr/bin/env bash
# release.sh [--once]: builds the shipped 32-bit package build/i686/orbelle-setup.exe
# from scratch (a fresh build/i686, configured as the tests configure it, so
# the tests and the main job install these very bytes), checks the programs
# (scripts/check-binaries.py) and prints their sizes. Unless --once is given it
# then builds the same sources a second time in another folder
# (build/release-again) without the tests and compares the four programs byte
# for byte: two builds of one commit, with or without the tests beside them,
# must give identical files.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
programs=(orbelle-setup.exe orbelle.scr quadrix.dll unglimex.exe)

build_product() { # DIR TESTING
  rm -rf "$1"
  cmake -S "$root" -B "$1" -G Ninja -DORBELLE_WERROR=ON -DBUILD_TESTING="$2" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$1" -j "$jobs" --quiet installer
}

echo "release: building build/i686 from scratch"
build_product "$root/build/i686" ON
status=0
python3 "$root/scripts/check-binaries.py" "$root/build/i686" i386 || status=1
python3 "$root/scripts/sizes.py" "$root/build/i686"

[ "${1:-}" = --once ] && exit $status
echo "release: building again in build/release-again to compare"
build_product "$root/build/release-again" OFF
same=1
for program in "${programs[@]}"; do
  cmp "$root/build/i686/$program" "$root/build/release-again/$program" || same=0
done
if [ $same -eq 1 ]; then
  rm -rf "$root/build/release-again"
  echo "release: two builds gave identical bytes: $(cd "$root/build/i686" && sha256sum orbelle-setup.exe)"
else
  echo "release: the two builds differ (kept build/release-again for a look)" >&2
  status=1
fi
exit $status
