#!/usr/bin/env bash
# fuzz-saver.sh [SECONDS]: fuzzes the saver's command-line parser with
# libFuzzer (clang, ASan, UBSan) for a bounded time (default 60 s). Not run by
# CI; the corpus is kept in build/fuzz-saver/corpus between runs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
out=$here/build/fuzz-saver
mkdir -p "$out/corpus"
for seed in 'x /s' 'x /p 1234' 'x /P:0x1A2B' '"C:\a b\x.scr" /p 010' 'x /c' 'x /a 7' 'x /l lumidex' '"x'; do
  printf '%s' "$seed" > "$out/corpus/seed-$(printf '%s' "$seed" | md5sum | cut -c1-8)"
done
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$here" "$here/tests/saver/framework/fuzz_cmdline.cpp" "$here/saver/framework/cmdline.cpp" \
  -o "$out/fuzz_cmdline"
"$out/fuzz_cmdline" -max_total_time="$seconds" -max_len=4096 -timeout=5 "$out/corpus" \
  2>"$out/fuzz.log" || { tail -40 "$out/fuzz.log"; exit 1; }
tail -3 "$out/fuzz.log"
