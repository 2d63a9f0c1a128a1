#!/usr/bin/env bash
# bench.sh [SECONDS]: builds the shipped 32-bit tree and the x86-64 twin and
# runs, for each, the frame benchmark under Wine 10 the way the tests run
# programs (fresh prefix, private 1024x768 Xvfb, Mesa llvmpipe): the 32-bit
# build under WoW64, every OpenGL call thunked to the 64-bit side, beside the
# 64-bit build, so that the cost of the 32-bit path is a ratio measured in one
# run. SECONDS is each timed round's length (default 0.6). Then the saver
# full screen, paced (after its floor: an empty paced loop, the same on the
# saver's animation timer, and a plain immediate-mode loop of its default
# frame, each measured in the same process for as long) and uncapped, for
# both builds; the hot-corners service's
# cost (bench/service_bench.cpp, a minute); the shipped installer's start to
# Preview; and the package's sizes (bench/install_bench.cpp,
# scripts/sizes.py). The figures and how to read them: docs/bench.md.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" i686 x64
echo "bench: $(nproc) cores, $("$root/scripts/wine.sh" wine --version 2>/dev/null || echo 'wine ?') (WoW64), $(date -u '+%Y-%m-%d %H:%M UTC')"
trees=(i686 x64)
# Eight cases of a few seconds each; the default 240 s limit is too tight
# for long rounds.
for tree in "${trees[@]}"; do
  echo
  echo "== frames, $tree build =="
  WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/$tree/frame_bench.exe" "$@" |
    tee "$root/build/$tree/frame-bench.txt"
done
# Each row of the 32-bit table against the same row of the 64-bit one.
python3 - "$root/build/i686/frame-bench.txt" "$root/build/x64/frame-bench.txt" <<'PY'
import re, sys
def rows(path):
    # "N15 3D   mono     32767 32768 198547 ours-fps ours-ms raw-fps ..."
    found = {}
    for line in open(path, errors="replace"):
        words = line.split()
        if len(words) > 8 and re.fullmatch(r"N\d+", words[0]):
            found[" ".join(words[:3])] = (float(words[6]), float(words[8]))
    return found
a, b = rows(sys.argv[1]), rows(sys.argv[2])
print("\n32-bit under WoW64 / 64-bit, frames per second (ours, raw):")
for case in a:
    if case in b and b[case][0] and b[case][1]:
        print(f"  {case:24} ours {a[case][0] / b[case][0]:.2f}   raw {a[case][1] / b[case][1]:.2f}")
PY

# The saver full screen at the default settings for 30 s (after a 3 s
# warm-up), paced as shipped, after its three floor loops of 30 s each; then
# 20 s uncapped. Each run on a display of its own whose server's CPU time
# the saver_bench program reads as well.
saver_round() { # UNCAPPED TREE SECONDS
  local work; work=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-bench.XXXXXX")
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
  local xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  DISPLAY=:$(head -n1 "$work/display") ORBELLE_DISPLAY=1 ORBELLE_BENCH_UNCAPPED=$1 \
    ORBELLE_BENCH_DISPLAY_PID=$xvfb WINE_TIMEOUT=$(( $3 * 5 + 60 )) \
    "$root/scripts/wine-exec.sh" "$root/build/$2/saver_bench.exe" "$3" || true
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
for tree in "${trees[@]}"; do
  echo
  echo "saver full screen, default settings, $tree build (paced ${SAVER_SECONDS:-30} s and its floor, uncapped 20 s):"
  saver_round 0 "$tree" "${SAVER_SECONDS:-30}"
  saver_round 1 "$tree" 20
done
# The hot-corners service: a minute of idle ticks, then one tick in-process.
echo
WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/i686/service_bench.exe"
# The package: the shipped installer's start to Preview (three runs, each in
# a fresh prefix) and the sizes of the shipped 32-bit programs.
for run in 1 2 3; do
  "$root/scripts/wine-exec.sh" "$root/build/i686/install_bench.exe" "$root/build/i686/orbelle-setup.exe"
done
python3 "$root/scripts/sizes.py" "$root/build/i686"
# The i486 build beside a Pentium Pro build of the same sources: the walk's
# instructions counted under an emulated CPU, then (32-bit code running) the
# frame rows timed, and the sizes before the programs ran on a 486 and now.
"$root/scripts/bench-i486-count.sh" || true
"$root/scripts/bench-i486.sh" "${1:-0.6}"
