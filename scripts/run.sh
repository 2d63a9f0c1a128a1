#!/usr/bin/env bash
# The main job: builds the shipped 32-bit package build/i686/orbelle-setup.exe
# and runs it under Wine 10's WoW64, as 64-bit Windows runs a 32-bit program,
# in a private prefix, driven through "&Install" and the Preview dialog, and
# saves a screenshot of each stage under build/screens/. It uses your display
# when $DISPLAY is set (watch it run), a private Xvfb otherwise. At the end
# Wine's own add/remove-programs tool lists what the package registered. Where
# the machine runs no 32-bit code, the x86-64 twin's package runs instead.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Where the kernel runs no 32-bit code, no 32-bit program starts under Wine:
# the x86-64 twin's package (the same sources) runs in its place, said so.
"$root/scripts/setup.sh"
tree=i686 package=orbelle-setup.exe
if ! "$root/scripts/runs-32bit.sh"; then
  echo "run: this machine runs no 32-bit code; the x86-64 twin's package runs in its place"
  tree=x64 package=orbelle-setup-x64.exe
fi
"$root/scripts/build.sh" $tree
mkdir -p "$root/build/screens"
[ -n "${DISPLAY:-}" ] && export ORBELLE_DISPLAY=1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-main.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
echo "run: $(cd "$root/build/$tree" && sha256sum $package)"
ORBELLE_PREFIX=$prefix "$root/scripts/wine-exec.sh" "$root/build/$tree/tests/robot/tour.exe" \
  "$root/build/$tree/$package" "Z:${root//\//\\}\\build\\screens"
echo "Wine's add/remove-programs tool lists:"
# It writes the list to the Unix standard error, beside Wine's own notes.
WINEPREFIX=$prefix WINEDEBUG=-all timeout -k 5 60 "$root/scripts/wine.sh" uninstaller --list \
  </dev/null 2>&1 | grep '|||' | sed 's/^/  /' || true
WINEPREFIX=$prefix timeout -k 2 20 "$root/scripts/wine.sh" wineserver -k >/dev/null 2>&1 || true
echo "screenshots: $root/build/screens/"
echo "the package that ran: $root/build/$tree/$package"
