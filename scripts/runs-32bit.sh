#!/usr/bin/env bash
# runs-32bit.sh: exits 0 when this machine's kernel runs 32-bit code, which
# Wine's WoW64 mode needs to run the 32-bit programs (scripts/ia32-probe.c),
# and 1, saying why, when it does not.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$root/build"
cc -O1 -no-pie -o "$root/build/ia32-probe" "$root/scripts/ia32-probe.c"
exec "$root/build/ia32-probe"
