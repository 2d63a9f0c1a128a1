#!/usr/bin/env bash
# Builds everything and runs every test: the pure logic natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows programs
# under 64-bit Wine, each Wine test in a fresh prefix on its own Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/wine-prefix.sh" "$root/build/wine-clean"

status=0
echo "test: native (ASan, UBSan)"
(cd "$root/build/native" && ctest --output-on-failure -j "$(nproc)") || status=1
echo "test: Windows programs under Wine"
(cd "$root/build/x64" && ctest --output-on-failure -j "$(nproc)" --timeout 300) || status=1
exit $status
