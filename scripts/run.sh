#!/usr/bin/env bash
# The main job: builds the shipped 32-bit package build/i686/orbelle-setup.exe
# and runs it under Wine 10's WoW64, as 64-bit Windows runs a 32-bit program,
# in a private prefix, driven through "&Install" and the Preview dialog, and
# saves a screenshot of each stage under build/screens/. It uses your display
# when $DISPLAY is set (watch it run), a private Xvfb otherwise. At the end
# Wine's own add/remove-programs tool lists what the package registered.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" i686
mkdir -p "$root/build/screens"
[ -n "${DISPLAY:-}" ] && export ORBELLE_DISPLAY=1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-main.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
package=$root/build/i686/orbelle-setup.exe
echo "run: $(cd "$root/build/i686" && sha256sum orbelle-setup.exe)"
ORBELLE_PREFIX=$prefix "$root/scripts/wine-exec.sh" "$root/build/i686/tests/robot/tour.exe" \
  "$package" "Z:${root//\//\\}\\build\\screens"
echo "Wine's add/remove-programs tool lists:"
# It writes the list to the Unix standard error, beside Wine's own notes.
WINEPREFIX=$prefix WINEDEBUG=-all timeout -k 5 60 "$root/scripts/wine.sh" uninstaller --list \
  </dev/null 2>&1 | grep '|||' | sed 's/^/  /' || true
WINEPREFIX=$prefix timeout -k 2 20 "$root/scripts/wine.sh" wineserver -k >/dev/null 2>&1 || true
echo "screenshots: $root/build/screens/"
echo "the shipped 32-bit package: $package"
