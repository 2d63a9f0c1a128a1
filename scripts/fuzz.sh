#!/usr/bin/env bash
# fuzz.sh [SECONDS]: fuzzes unglimex's argument reader, command dispatch,
# key-item path, item split, "sleep" reading, system-tree guard, file-item and
# token checks, Add/Remove ownership test and question with libFuzzer (clang,
# ASan, UBSan) for a bounded time (default 60 s). Not run by CI; the corpus is kept
# in build/fuzz-unglimex/corpus between runs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
out=$here/build/fuzz-unglimex
mkdir -p "$out/corpus"
seeds=(
  'C:\WINDOWS\unglimex.exe'
  'C:\WINDOWS\unglimex.exe /desc orbelle.scr Orbelle screen saver'
  'C:\WINDOWS\unglimex.exe /add orbelle.scr *HKEY_CURRENT_USER\Software\glimmex\orbelle'
  'C:\WINDOWS\unglimex.exe /add quadrix.dll _cmd1 rundll32.exe C:\WINDOWS\quadrix.dll,UninstallSilently'
  'C:\WINDOWS\unglimex.exe /add quadrix.dll _cmd2 sleep 500'
  'C:\WINDOWS\unglimex.exe /remove quadrix.dll'
  '"C:\Temp dir\UNG1.tmp" /autodel 1234 "C:\WINDOWS\unglimex.exe"'
  'x /desc "my tok" "quoted" rest'
  'sleep -99999999999999999999'
  'C:\WINDOWS\unglimex.exe /add t *HKEY_LOCAL_MACHINE\Software\\Microsoft\Windows NT\CurrentVersion'
  'C:\WINDOWS\unglimex.exe /add t *HKEY_USERS\.DEFAULT\Control Panel\Desktop'
  'C:\WINDOWS\unglimex.exe /desc a\b ..'
  'C:\WINDOWS\unglimex.exe /add t C:\bad|name?.txt'
  'x /autodel -1 "C:\WINDOWS\unglimex.exe"'
)
for seed in "${seeds[@]}"; do
  printf '%s' "$seed" > "$out/corpus/seed-$(printf '%s' "$seed" | md5sum | cut -c1-8)"
done
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$here" "$here/tests/uninstall/fuzz_unglimex.cpp" "$here/uninstall/command_line.cpp" \
  "$here/uninstall/rules.cpp" "$here/common/text.cpp" -o "$out/fuzz_unglimex"
"$out/fuzz_unglimex" -max_total_time="$seconds" -max_len=8192 -timeout=5 "$out/corpus" \
  2>"$out/fuzz.log" || { tail -40 "$out/fuzz.log"; exit 1; }
tail -3 "$out/fuzz.log"
