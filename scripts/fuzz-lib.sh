# Shared by the fuzzing scripts (source it): builds one libFuzzer target with
# clang, ASan and UBSan and runs it for a bounded time, keeping its corpus in
# build/fuzz-NAME/corpus between runs. Not run by CI.
#   fuzz_seed NAME TEXT...                 adds seed inputs (printf %b escapes: \x00)
#   fuzz_run NAME SECONDS MAX_LEN SOURCE... builds and runs; prints the end of the log
#   (FUZZ_TIMEOUT: seconds one input may take, default 5)
fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

fuzz_seed() {
  local dir=$fuzz_root/build/fuzz-$1/corpus seed; shift
  mkdir -p "$dir"
  for seed in "$@"; do
    printf '%b' "$seed" > "$dir/seed-$(printf '%s' "$seed" | md5sum | cut -c1-8)"
  done
}

fuzz_run() {
  local name=$1 seconds=$2 max_len=$3; shift 3
  local out=$fuzz_root/build/fuzz-$name sources=()
  mkdir -p "$out/corpus"
  for source in "$@"; do sources+=("$fuzz_root/$source"); done
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$fuzz_root" "${sources[@]}" -o "$out/fuzz_$name"
  local started=$SECONDS
  "$out/fuzz_$name" -max_total_time="$seconds" -max_len="$max_len" -timeout="${FUZZ_TIMEOUT:-5}" "$out/corpus" \
    2>"$out/fuzz.log" || { tail -40 "$out/fuzz.log"; return 1; }
  echo "fuzz: $name ran $((SECONDS - started)) s, no failure"
  tail -3 "$out/fuzz.log"
}
