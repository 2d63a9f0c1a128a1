#!/usr/bin/env bash
# Builds everything and runs every test: the pure logic natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the shipped 32-bit
# programs under Wine 10's WoW64 (build/i686, the tree whose orbelle-setup.exe
# is the product), each Wine test in a fresh prefix on its own Xvfb display.
# The x86-64 twin is built with its tests; "scripts/test.sh x64" runs them too,
# and they run in place of the 32-bit ones where the kernel runs no 32-bit code.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
# Wine's WoW64 mode runs 32-bit code in a 64-bit process; a kernel whose
# IA-32 emulation is off faults on the 32-bit code segment, and then no
# 32-bit program starts under Wine at all. There the x86-64 twin's Wine tests
# run in their place (the same sources and tests, as 64-bit programs), and
# the 32-bit programs are built and checked as files only (imports,
# instructions, headers: the native tree's checks).
x64=${1:-}
if ! "$root/scripts/runs-32bit.sh"; then
  x64=x64
  export ORBELLE_I686_PROGRAMS_ONLY=1
fi
"$root/scripts/build.sh"
"$root/scripts/wine-prefix.sh" "$root/build/wine-clean"

status=0
# A Wine test that fails is run once more before it counts: on a loaded
# two-core machine a few of them (the saver's pointer threshold among them)
# now and then miss a moment. ctest still prints the first failure.
retry=(--repeat until-pass:2)
echo "test: native (ASan, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j "$(nproc)") || status=1
if [ -z "${ORBELLE_I686_PROGRAMS_ONLY:-}" ]; then
  echo "test: the 32-bit programs under Wine 10 (WoW64): $(cd "$root/build/i686" && sha256sum orbelle-setup.exe)"
  (cd "$root/build/i686" && ctest --output-on-failure -j "$(nproc)" --timeout 300 "${retry[@]}") || status=1
else
  echo "test: the 32-bit programs' Wine tests cannot run on this kernel; the x86-64 twin's run instead"
  x64=x64
fi
if [ "$x64" = x64 ]; then
  echo "test: the x86-64 twin under Wine 10"
  (cd "$root/build/x64" && ctest --output-on-failure -j "$(nproc)" --timeout 300 "${retry[@]}") || status=1
fi
exit $status
