#!/usr/bin/env bash
# bench.sh [SECONDS]: builds the x64 tree and runs the frame benchmark under
# 64-bit Wine the way the tests run programs (fresh prefix, private 1024x768
# Xvfb, Mesa llvmpipe), printing one table row per case. SECONDS is each
# timed round's length (default 0.6). Then the installer's start to Preview and
# the package's sizes (bench/install_bench.cpp, scripts/sizes.py). The figures:
# docs/bench.md.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" x64
echo "bench: $(nproc) cores, $(wine --version 2>/dev/null || echo 'wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
# Eight cases of a few seconds each; the default 240 s limit is too tight
# for long rounds.
WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/x64/frame_bench.exe" "$@"

# The package: the installer's start to Preview under Wine (x64 build, three
# runs, each in a fresh prefix) and the sizes of the shipped 32-bit programs.
for run in 1 2 3; do
  "$root/scripts/wine-exec.sh" "$root/build/x64/install_bench.exe" "$root/build/x64/orbelle-setup-x64.exe"
done
"$root/scripts/build.sh" i686
python3 "$root/scripts/sizes.py" "$root/build/i686"
