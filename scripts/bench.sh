#!/usr/bin/env bash
# bench.sh [SECONDS]: builds the x64 tree and runs the frame benchmark under
# 64-bit Wine the way the tests run programs (fresh prefix, private 1024x768
# Xvfb, Mesa llvmpipe), printing one table row per case. SECONDS is each
# timed round's length (default 0.6). Then the hot-corners service's cost
# (bench/service_bench.cpp, a minute). The figures and how to read them:
# docs/bench.md.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" x64
echo "bench: $(nproc) cores, $(wine --version 2>/dev/null || echo 'wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
# Eight cases of a few seconds each; the default 240 s limit is too tight
# for long rounds.
WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/x64/frame_bench.exe" "$@"
# The hot-corners service: a minute of idle ticks, then one tick in-process.
echo
WINE_TIMEOUT=${WINE_TIMEOUT:-900} exec "$root/scripts/wine-exec.sh" "$root/build/x64/service_bench.exe"
