#!/usr/bin/env bash
# wine-exec.sh PROGRAM [ARGS...]: runs a Windows program (32-bit or 64-bit)
# under Wine 10 in WoW64 mode (scripts/wine.sh) in a private prefix copied
# from the cached clean one, on a private Xvfb display, and returns the
# program's exit code. The prefix and the display go away afterwards;
# nothing touches ~/.wine.
#
#   ORBELLE_WINE_CACHE  where the clean prefix is kept (default: build/wine-clean)
#   ORBELLE_DISPLAY=1   use $DISPLAY instead of a private Xvfb (for watching a run)
#   ORBELLE_PREFIX=DIR  use (and keep) DIR as the prefix instead of a fresh copy
#   ORBELLE_KEEP_PREFIX=1  keep the fresh prefix for inspection
#   ORBELLE_SCREENS=2   two monitors side by side (1024 x 768 primary, 800 x 600
#                       right of it) on Xorg's dummy driver instead of Xvfb
#   ORBELLE_LOGPIXELS=N the prefix's display scaling in dots per inch (96 is
#                       100 %, 144 is 150 %), set before the program starts
#   ORBELLE_WINVER=V   the Windows version Wine reports (win95, win98, nt40,
#                       win2k, winxp, win10, ...: HKCU\Software\Wine "Version");
#                       for the Windows 95 family (win95, win98, winme) the
#                       files are laid out as there: rundll32.exe in the Windows
#                       directory and none in the system directories
#   WINE_TIMEOUT        seconds before the run is killed (default 240)
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
clean=${ORBELLE_WINE_CACHE:-$here/../build/wine-clean}
"$here/wine-prefix.sh" "$clean" || { echo "wine-exec: no clean prefix" >&2; exit 125; }

work=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-run.XXXXXX")
if [ -n "${ORBELLE_PREFIX:-}" ]; then
  prefix=$ORBELLE_PREFIX
  [ -d "$prefix/drive_c" ] || cp -a "$clean/." "$prefix/"
else
  prefix=$work/prefix
  cp -a "$clean" "$prefix"
fi

xvfb_pid=""
cleanup() {
  WINEPREFIX=$prefix timeout -k 2 20 "$here/wine.sh" wineserver -k >/dev/null 2>&1
  WINEPREFIX=$prefix timeout -k 2 20 "$here/wine.sh" wineserver -w >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ -n "${ORBELLE_KEEP_PREFIX:-}" ] && [ -z "${ORBELLE_PREFIX:-}" ]; then
    echo "wine-exec: prefix kept at $prefix" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

if [ "${ORBELLE_SCREENS:-1}" = 2 ]; then
  # A second monitor is a second RandR output of the dummy screen, switched
  # on once the server runs.
  Xorg -displayfd 7 -config "$here/two-monitors.conf" -logfile "$work/xorg.log" -nolisten tcp \
    -noreset -sharevts -novtswitch 7>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "wine-exec: Xorg did not start (see scripts/setup.sh)" >&2; exit 125; }
  export DISPLAY=:$(head -n1 "$work/display")
  xrandr --addmode DUMMY1 800x600 &&
    xrandr --output DUMMY0 --mode 1024x768 --primary --output DUMMY1 --mode 800x600 --right-of DUMMY0 ||
    { echo "wine-exec: no second monitor" >&2; exit 125; }
  for _ in $(seq 100); do xrandr --listmonitors | grep -q '^Monitors: 2' && break; sleep 0.05; done
elif [ -z "${ORBELLE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "wine-exec: Xvfb did not start" >&2; exit 125; }
  export DISPLAY=:$(head -n1 "$work/display")
fi

export WINEPREFIX=$prefix WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine reads the scaling when its wineserver starts: set it, then let the
# server end (which also writes the registry out) before the program runs.
if [ -n "${ORBELLE_LOGPIXELS:-}" ]; then
  timeout -k 5 60 "$here/wine.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$ORBELLE_LOGPIXELS" /f </dev/null >/dev/null 2>&1 ||
    { echo "wine-exec: LogPixels not set" >&2; exit 125; }
  timeout -k 2 20 "$here/wine.sh" wineserver -k >/dev/null 2>&1
  timeout -k 2 20 "$here/wine.sh" wineserver -w >/dev/null 2>&1
fi
if [ -n "${ORBELLE_WINVER:-}" ]; then
  timeout -k 5 60 "$here/wine.sh" reg add 'HKCU\Software\Wine' /v Version \
    /d "$ORBELLE_WINVER" /f </dev/null >/dev/null 2>&1 ||
    { echo "wine-exec: Version not set" >&2; exit 125; }
  case $ORBELLE_WINVER in
    win95|win98|winme)
      # The host of the programs' own kind: SysWOW64's where the prefix has it.
      windows=$prefix/drive_c/windows
      host=$windows/syswow64/rundll32.exe
      [ -f "$host" ] || host=$windows/system32/rundll32.exe
      cp "$host" "$windows/rundll32.exe" &&
        rm -f "$windows/system32/rundll32.exe" "$windows/syswow64/rundll32.exe" ||
        { echo "wine-exec: no Windows 95 layout" >&2; exit 125; } ;;
  esac
  timeout -k 2 20 "$here/wine.sh" wineserver -k >/dev/null 2>&1
  timeout -k 2 20 "$here/wine.sh" wineserver -w >/dev/null 2>&1
fi
# The wineserver would otherwise hold this script's pipes open for a while.
timeout -k 5 "${WINE_TIMEOUT:-240}" "$here/wine.sh" wine "$@" </dev/null
rc=$?
exit $rc
