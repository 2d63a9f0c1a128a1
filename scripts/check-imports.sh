#!/usr/bin/env bash
# check-imports.sh DIR LIST: every function the shipped 32-bit programs in DIR
# (and the three the package in DIR carries) import must be on LIST (one "DLL:Function" a line). The programs must load
# on Windows 95 and NT 4, and a static import the system lacks stops a
# program before its first line runs; a new import is checked against those
# systems' documentation and then added to LIST by hand.
set -euo pipefail
dir=$1 list=$2
objdump=i686-w64-mingw32-objdump
status=0
# The programs the package carries are read as the installer writes them.
carried=$(mktemp -d)
trap 'rm -rf "$carried"' EXIT
python3 "$(dirname "${BASH_SOURCE[0]}")/payloads.py" "$dir/orbelle-setup.exe" "$carried" || status=1
for program in orbelle-setup.exe orbelle.scr quadrix.dll unglimex.exe \
               "$carried/orbelle.scr" "$carried/quadrix.dll" "$carried/unglimex.exe"; do
  case $program in /*) path=$program program="orbelle-setup.exe!$(basename "$program")" ;; *) path=$dir/$program ;; esac
  [ -f "$path" ] || { echo "check-imports: $path is missing"; status=1; continue; }
  # Import lines are "<tab>vma<tab> hint  Name" under each "DLL Name:" line.
  imports=$("$objdump" -p "$path" | awk -F'\t' '
    /DLL Name:/ { split($2, a, " "); dll = toupper(a[3]) }
    /^\tvma:/ { next }
    NF == 3 && dll != "" && $3 ~ /^ *[0-9]+ +[A-Za-z_]/ { split($3, b, " "); print dll ":" b[2] }
    /^$/ { if (dll != "") dll = "" }')
  while IFS= read -r entry; do
    [ -n "$entry" ] || continue
    if ! grep -qxF "$entry" "$list"; then
      echo "check-imports: $program imports $entry, which is not on $(basename "$list")"
      status=1
    fi
  done <<<"$imports"
  echo "check-imports: $program: $(grep -c . <<<"$imports") imports checked"
done
exit $status
