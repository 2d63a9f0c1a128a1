#!/usr/bin/env bash
# Builds the three trees:
#   build/i686    the shipped product, build/i686/orbelle-setup.exe, with the
#                 tests that run it under Wine 10's WoW64
#   build/x64     the same code for x86-64, with its tests (pointer-size faults)
#   build/native  the pure logic with the sanitizers, with its tests
# Usage: scripts/build.sh [i686|x64|native ...]   (default: all three)
# ORBELLE_I686_PROGRAMS_ONLY=1 builds only the shipped programs in build/i686.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

trees=("$@")
[ ${#trees[@]} -eq 0 ] && trees=(i686 x64 native)
jobs=$(nproc)

configure() { # DIR ARGS...
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -G Ninja -DORBELLE_WERROR=ON "$@" >/dev/null
}

for tree in "${trees[@]}"; do
  case $tree in
    i686)   configure i686 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" \
                           -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON ;;
    x64)    configure x64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" ;;
    native) configure native ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
  esac
  echo "build: $tree"
  if [ "$tree" = i686 ] && [ -n "${ORBELLE_I686_PROGRAMS_ONLY:-}" ]; then
    # The shipped programs alone, where their tests cannot run (scripts/test.sh).
    ninja -C "$root/build/$tree" -j "$jobs" --quiet orbelle-setup.exe
  else
    ninja -C "$root/build/$tree" -j "$jobs" --quiet
  fi
done
