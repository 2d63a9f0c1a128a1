#!/usr/bin/env bash
# bench-i486.sh [SECONDS]: what building for the i486 costs. Builds the same
# sources twice more, for the Pentium Pro (build/i686-p6: -march=pentiumpro,
# the programs' own runtime as shipped) and as they were built before they
# ran on a 486 (build/i686-msvcrt: -march=pentiumpro with mingw's runtime and
# MSVCRT.DLL), then prints
#   - the frame benchmark of the shipped i486 build beside the Pentium Pro
#     build, row by row (frame, walk and motion times; i486 / P6, aim 1.05),
#   - the sizes of the four programs and the package, before and now.
# Run by scripts/bench.sh after the shipped tree is built.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-0.6}

compare_tree() { # DIR CMAKE-ARGS...
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "$@" >/dev/null
  ninja -C "$root/build/$dir" --quiet orbelle-setup.exe frame_bench.exe
}
compare_tree i686-p6 -DORBELLE_MARCH=pentiumpro -DORBELLE_SYSTEM_CRT=OFF
compare_tree i686-msvcrt -DORBELLE_MARCH=pentiumpro -DORBELLE_SYSTEM_CRT=ON

for tree in i686 i686-p6; do
  echo
  echo "== frames, $tree build =="
  WINE_TIMEOUT=${WINE_TIMEOUT:-900} "$root/scripts/wine-exec.sh" "$root/build/$tree/frame_bench.exe" "$seconds" |
    tee "$root/build/$tree/frame-bench.txt"
done

python3 - "$root" <<'PY'
import os, re, sys
root = sys.argv[1]
sys.path.insert(0, os.path.join(root, "scripts"))
def rows(path):
    # "N15 3D   mono  rings shapes vertices ours-fps ours-ms raw-fps raw-ms ratio walk-ms motion-ms ..."
    found = {}
    for line in open(path, errors="replace"):
        words = line.split()
        if len(words) > 12 and re.fullmatch(r"N\d+", words[0]):
            found[" ".join(words[:3])] = (float(words[7]), float(words[11]), float(words[12]))
    return found
new = rows(os.path.join(root, "build/i686/frame-bench.txt"))
old = rows(os.path.join(root, "build/i686-p6/frame-bench.txt"))
print("\ni486 build / Pentium Pro build, same sources, same run (ms per frame; above 1.05 is a cost):")
print(f"  {'case':16} {'frame':>7} {'walk':>7} {'motion':>7}")
for case, (frame, walk, motion) in new.items():
    if case in old:
        f = [a / b if b else 0 for a, b in zip((frame, walk, motion), old[case])]
        flag = "  <-" if max(f) > 1.05 else ""
        print(f"  {case:16} {f[0]:7.3f} {f[1]:7.3f} {f[2]:7.3f}{flag}")
print("\nsizes in bytes: before (Pentium Pro, MSVCRT.DLL) and now (i486, no C library):")
for name in ["orbelle-setup.exe", "orbelle.scr", "quadrix.dll", "unglimex.exe"]:
    before = os.path.getsize(os.path.join(root, "build/i686-msvcrt", name))
    now = os.path.getsize(os.path.join(root, "build/i686", name))
    print(f"  {name:18} {before:>9,} {now:>9,}  {now - before:+,}")
PY
