#!/usr/bin/env bash
# Builds everything and runs every test: the pure logic natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the shipped 32-bit
# programs under Wine 10's WoW64 (build/i686, the tree whose orbelle-setup.exe
# is the product), each Wine test in a fresh prefix on its own Xvfb display.
# The x86-64 twin is built with its tests; "scripts/test.sh x64" runs them too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/wine-prefix.sh" "$root/build/wine-clean"

status=0
echo "test: native (ASan, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j "$(nproc)") || status=1
echo "test: the 32-bit programs under Wine 10 (WoW64): $(cd "$root/build/i686" && sha256sum orbelle-setup.exe)"
(cd "$root/build/i686" && ctest --output-on-failure -j "$(nproc)" --timeout 300) || status=1
if [ "${1:-}" = x64 ]; then
  echo "test: the x86-64 twin under Wine 10"
  (cd "$root/build/x64" && ctest --output-on-failure -j "$(nproc)" --timeout 300) || status=1
fi
exit $status
