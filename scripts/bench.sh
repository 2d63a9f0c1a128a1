#!/usr/bin/env bash
# bench.sh [SECONDS]: builds the x64 tree and runs the frame benchmark under
# 64-bit Wine the way the tests run programs (fresh prefix, private 1024x768
# Xvfb, Mesa llvmpipe), printing one table row per case. SECONDS is each
# timed round's length (default 0.6). Then the saver full screen, paced and
# uncapped; the hot-corners service's cost (bench/service_bench.cpp, a
# minute); the installer's start to Preview; and the package's sizes
# (bench/install_bench.cpp, scripts/sizes.py). The figures and how to read
# them: docs/bench.md.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" x64
echo "bench: $(nproc) cores, $(wine --version 2>/dev/null || echo 'wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
# Eight cases of a few seconds each; the default 240 s limit is too tight
# for long rounds.
WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/x64/frame_bench.exe" "$@"

# The saver full screen at the default settings for 20 s (after a 3 s
# warm-up), paced as shipped and then uncapped, each on a display of its own
# whose server's CPU time the saver_bench program reads as well.
saver_round() { # UNCAPPED
  local work; work=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-bench.XXXXXX")
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
  local xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  DISPLAY=:$(head -n1 "$work/display") ORBELLE_DISPLAY=1 ORBELLE_BENCH_UNCAPPED=$1 \
    ORBELLE_BENCH_DISPLAY_PID=$xvfb WINE_TIMEOUT=120 \
    "$root/scripts/wine-exec.sh" "$root/build/x64/saver_bench.exe" "${SAVER_SECONDS:-20}" || true
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
echo "saver full screen, default settings, ${SAVER_SECONDS:-20} s:"
saver_round 0
saver_round 1
# The hot-corners service: a minute of idle ticks, then one tick in-process.
echo
WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/x64/service_bench.exe"
# The package: the installer's start to Preview under Wine (x64 build, three
# runs, each in a fresh prefix) and the sizes of the shipped 32-bit programs.
for run in 1 2 3; do
  "$root/scripts/wine-exec.sh" "$root/build/x64/install_bench.exe" "$root/build/x64/orbelle-setup-x64.exe"
done
"$root/scripts/build.sh" i686
python3 "$root/scripts/sizes.py" "$root/build/i686"
