#!/usr/bin/env bash
# wine.sh TOOL [ARGS...]: runs Wine 10 (WoW64 mode) from the root that
# scripts/setup-wine.sh made. TOOL is "wine" (the loader), "wineserver", or
# a Windows program or builtin (wineboot, reg, ...), which the loader runs.
#
# The root is entered with bubblewrap for this one command: the host's /tmp
# (X sockets, the wineserver's socket folder), this repository and any
# WINEPREFIX or TMPDIR are bound at their own paths, so paths mean the same
# inside and out. No mount outlives the command; the wineserver it starts
# keeps running and is found by the next command through /tmp. Killing this
# command kills the Windows process it runs (--die-with-parent), which is what
# the callers' time limits rely on.
set -euo pipefail
root=${ORBELLE_WINE_ROOT:-/var/cache/orbelle/wine10}
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ -x "$root/usr/lib/wine/wine64" ] || {
  echo "wine.sh: no Wine 10 root at $root (run scripts/setup-wine.sh)" >&2; exit 125; }
[ $# -ge 1 ] || { echo "usage: wine.sh wine|wineserver|PROGRAM [ARGS...]" >&2; exit 2; }

binds=(--bind /tmp /tmp --bind "$repo" "$repo")
for dir in "${WINEPREFIX:-}" "${TMPDIR:-}" "${ORBELLE_WINE_BIND:-}"; do
  [ -n "$dir" ] && [ -d "$dir" ] && binds+=(--bind "$dir" "$dir")
done
# The caller's folder when it is one of those; the root's / otherwise.
here=/
case $PWD/ in
  /tmp/*|"$repo"/*|"${WINEPREFIX:-/nonexistent}"/*|"${TMPDIR:-/nonexistent}"/*) here=$PWD ;;
esac

tool=$1; shift
case $tool in
  wine) command=(/usr/lib/wine/wine64) ;;
  wineserver) command=(/usr/lib/wine/wineserver) ;;
  *) command=(/usr/lib/wine/wine64 "$tool") ;;
esac
exec bwrap --bind "$root" / --proc /proc --dev-bind /dev /dev --ro-bind /sys /sys \
  "${binds[@]}" --chdir "$here" --die-with-parent \
  --setenv PATH /usr/lib/wine:/usr/bin:/bin \
  "${command[@]}" "$@"
