#!/usr/bin/env bash
# The main job: builds the package and runs orbelle-setup-x64.exe under Wine
# in a private prefix, driven through "&Install" and the Preview dialog, and
# saves a screenshot of each stage under build/screens/. It uses your display
# when $DISPLAY is set (watch it run), a private Xvfb otherwise.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" i686 x64
mkdir -p "$root/build/screens"
[ -n "${DISPLAY:-}" ] && export ORBELLE_DISPLAY=1
"$root/scripts/wine-exec.sh" "$root/build/x64/tests/robot/tour.exe" \
  "$root/build/x64/orbelle-setup-x64.exe" "Z:${root//\//\\}\\build\\screens"
echo "screenshots: $root/build/screens/"
echo "the shipped 32-bit package: $root/build/i686/orbelle-setup.exe"
