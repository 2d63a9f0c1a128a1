#!/usr/bin/env bash
# wine-prefix.sh DIR: makes DIR a clean, ready Wine prefix unless it already is one.
# The prefix is made once (wineboot takes ~15 s) and then copied for every run.
set -euo pipefail
wine=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine.sh
# Wine takes only an absolute WINEPREFIX: a relative one makes nothing.
mkdir -p "$(dirname "$1")"
dir=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
# A prefix made by another Wine is made again.
version=$("$wine" wine --version 2>/dev/null || echo unknown)
ready() { [ "$(cat "$dir/.ready" 2>/dev/null)" = "$version" ]; }
ready && exit 0
exec 9>"$dir.lock"
flock 9
ready && exit 0
rm -rf "$dir"
export WINEPREFIX=$dir WINEDEBUG=-all WINEARCH=win64
# Gecko and Mono cannot be fetched here, and menu entries must not reach the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
echo "wine-prefix: creating $dir" >&2
timeout -k 5 180 "$wine" wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager each managed window costs ~2 s to map; unmanaged ones ~40 ms.
timeout -k 5 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
timeout -k 5 60 "$wine" wineserver -w
echo "$version" >"$dir/.ready"
