#!/usr/bin/env bash
# fuzz-parsers.sh [SECONDS] [TARGET...]: fuzzes the parsers of untrusted input
# that scripts/fuzz.sh (unglimex's arguments) and scripts/fuzz-saver.sh (the
# saver's command line) leave out, each for SECONDS (default 60), one after
# the other, with libFuzzer (clang, ASan, UBSan). Not run by CI. Targets:
#   version   the installer's version texts and the version library's result bits
#   settings  the saver's setting texts from the registry: screen mode, decimals
#   bitmap    the built-in logo's packed form
#   corners   "Mouse Corners" as read from the registry, the packed codes, the
#             hot corners' hit test, monitor extension, dwell and window lists
#   logofile  a user's logo bitmap file, read row by row
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/fuzz-lib.sh"
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(version settings bitmap corners logofile)

for target in "${targets[@]}"; do
  case $target in
    version)
      fuzz_seed version '\x04\x00\x00\x00\x403, 0,1, 0\x002.10' '\xff\xff\x3f\x00\x081.0.0.3' \
        '\x00\x00\x00\x00\x00 7 ,  8. 9x,-1'
      fuzz_run version "$seconds" 1024 tests/installer/fuzz_version_text.cpp \
        installer/payload/version_text.cpp common/text.cpp ;;
    settings)
      fuzz_seed settings '.normal' '.800x600' '.1024x768x16' ',0,75' '.-1.5e-3' '.99999999x1'
      fuzz_run settings "$seconds" 512 tests/saver/config/fuzz_setting_text.cpp \
        saver/config/settings.cpp common/text.cpp common/paths.cpp ;;
    bitmap)
      mkdir -p "$fuzz_root/build/fuzz-bitmap/corpus"
      cp "$fuzz_root/saver/art/logo.pack" "$fuzz_root/build/fuzz-bitmap/corpus/seed-logo"
      # A 2 x 1 picture: two one-bit codes per channel, every difference 0.
      tables=$(for c in r g b; do printf '\\x01\\x01'; printf '\\x00%.0s' {1..254}; done)
      fuzz_seed bitmap "ORBL\x02\x00\x01\x00$tables\x00"
      # A whole logo takes seconds under the sanitizers on a loaded machine.
      FUZZ_TIMEOUT=60 fuzz_run bitmap "$seconds" 65536 tests/saver/rings/fuzz_bitmap.cpp saver/rings/logo_pack.cpp ;;
    corners)
      # The value first; its size and a missing-value flag are the last two
      # bytes: "YNN-", "N-Y", five zeros, no value.
      fuzz_seed corners 'YNN-\x00\x05\x00' 'N-Y\x03\x00' '\x00\x00\x00\x00\x00\x05\x00' '\x01'
      fuzz_run corners "$seconds" 512 tests/hotcorners/fuzz_corners.cpp hotcorners/corners.cpp ;;
    logofile)
      # The harness writes small files of every layout into the corpus first.
      FUZZ_LOGO_SEEDS="$fuzz_root/build/fuzz-logofile/corpus" \
        fuzz_run logofile "$seconds" 16384 tests/saver/rings/fuzz_logo_file.cpp \
        saver/rings/logo_bitmap.cpp saver/rings/logo.cpp tests/saver/rings/test_bitmaps.cpp ;;
    *) echo "fuzz-parsers: unknown target $target" >&2; exit 2 ;;
  esac
done
