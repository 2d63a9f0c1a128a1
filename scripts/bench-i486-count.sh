#!/usr/bin/env bash
# bench-i486-count.sh [WALKS] [STEPS]: what building for the i486 costs the
# rings' walk and motion, counted where no 32-bit code runs natively. Builds
# bench/walk_count.cpp with the rings' sources and the programs' own x87
# maths twice as static 32-bit Linux programs, with the shipped flags and
# -march=i486 or -march=pentiumpro, runs both under qemu-i386 (TCG, every
# translated block logged) and prints, per row, the guest instructions each
# executed in its own code and in all, their ratio (above 1.05 is a cost),
# and the functions where the two differ most.
# Instruction counts, not times: the i486 itself spends about one to three
# cycles on most of these; a P6 overlaps them. Needs qemu-user and
# g++-multilib (scripts/setup.sh does not install them: bench only).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
walks=${1:-4}
steps=${2:-100}
out=$root/build/i486-count
mkdir -p "$out"
if ! command -v qemu-i386 >/dev/null || ! echo 'int main(){}' | g++ -m32 -static -x c++ - -o "$out/probe" 2>/dev/null; then
  echo "bench-i486-count: needs qemu-user and g++-multilib (apt-get install qemu-user g++-multilib)" >&2
  exit 2
fi

flags=(-m32 -fno-pie -std=c++17 -DNDEBUG -fno-exceptions -fno-rtti -fno-threadsafe-statics
       -ffunction-sections -fdata-sections -mtune=generic -I"$root")
build() { # MARCH
  local march=$1 dir=$out/$1
  mkdir -p "$dir"
  # The walk and the gathering at -O2, the rest at -Os, as the programs are built.
  for src in saver/rings/ring_draw.cpp saver/rings/frame_arrays.cpp; do
    g++ "${flags[@]}" -march="$march" -O2 -c "$root/$src" -o "$dir/$(basename "$src" .cpp).o"
  done
  for src in saver/rings/rings.cpp common/crt/cmath.cpp bench/walk_count.cpp; do
    g++ "${flags[@]}" -march="$march" -Os -c "$root/$src" -o "$dir/$(basename "$src" .cpp).o"
  done
  g++ -m32 -static -no-pie -Wl,--gc-sections "$dir"/*.o -o "$dir/walk_count"
}
build i486
build pentiumpro

count() { # MARCH ROW
  local dir=$out/$1
  qemu-i386 -cpu pentium3 -d in_asm,exec,nochain -D "$dir/row$2.log" "$dir/walk_count" "$2" "$walks" "$steps" >"$dir/row$2.txt"
  python3 "$root/scripts/tb-count.py" "$dir/walk_count" "$dir/row$2.log" >"$dir/row$2.count"
  rm -f "$dir/row$2.log"
}
for row in 0 1 2; do
  count i486 $row
  count pentiumpro $row
done
python3 - "$out" <<'PY'
import json, sys
out = sys.argv[1]
print("guest instructions, i486 build / Pentium Pro build, same sources (above 1.05 is a cost):")
for row in range(3):
    a = json.load(open(f"{out}/i486/row{row}.count"))
    b = json.load(open(f"{out}/pentiumpro/row{row}.count"))
    name = open(f"{out}/i486/row{row}.txt").read().split("  ")[0].strip()
    if open(f"{out}/i486/row{row}.txt").read() != open(f"{out}/pentiumpro/row{row}.txt").read():
        print(f"  {name}: the two builds computed different results")
    print(f"  {name:14} ours {a['ours']:>12,} / {b['ours']:>12,} = {a['ours'] / b['ours']:.3f}"
          f"   all {a['all']:>12,} / {b['all']:>12,} = {a['all'] / b['all']:.3f}")
    funcs = sorted(set(a["functions"]) | set(b["functions"]),
                   key=lambda f: -abs(a["functions"].get(f, 0) - b["functions"].get(f, 0)))
    for f in funcs[:4]:
        x, y = a["functions"].get(f, 0), b["functions"].get(f, 0)
        print(f"      {f[:60]:60} {x:>11,} {y:>11,} {x - y:+,}")
PY
