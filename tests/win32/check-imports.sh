#!/usr/bin/env bash
# Fails when a Windows program imports any DLL beyond the system ones that
# every Windows has: the program must run from a bare folder.
set -euo pipefail
objdump=$1
program=$2
allowed=" kernel32.dll user32.dll gdi32.dll winmm.dll msvcrt.dll "

dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
if [ -z "$dlls" ]; then
  echo "got no imports from $program, expected at least KERNEL32.dll"
  exit 1
fi
status=0
for dll in $dlls; do
  if [[ $allowed != *" ${dll,,} "* ]]; then
    echo "got an import of $dll, expected only KERNEL32, USER32, GDI32, WINMM and msvcrt"
    status=1
  fi
done
echo "$program imports:" $dlls
exit $status
