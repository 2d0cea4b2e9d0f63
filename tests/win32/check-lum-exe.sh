#!/usr/bin/env bash
# Fails when lum.exe stops being the small program that runs from a bare
# folder: an import beyond the system DLLs, any of the C++ runtime linked in
# (statically, so no import shows it), or a stripped size past the guard.
set -euo pipefail
objdump=$1
strip=$2
program=$3
here=$(cd "$(dirname "$0")" && pwd)
# Half as much again as the program needs: room to grow, none to swallow a runtime.
kLargestStripped=$((40 * 1024))

work=$(mktemp -d "${TMPDIR:-/tmp}/lum-exe.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$strip" -o "$work/lum.exe" "$program"
strings -n 5 "$work/lum.exe" >"$work/strings"
"$objdump" -p "$work/lum.exe" >"$work/headers"

status=0
"$here/check-imports.sh" "$objdump" "$program" || status=1

# libstdc++ names its types and errors in its strings ("basic_string::append",
# "std::bad_alloc", "terminate called after throwing"); winpthread asserts with
# its source paths and starts its threads and keys through _beginthreadex and
# TlsAlloc. The C runtime's own TLS callback and its TlsGetValue, which every
# build has, are none of these.
runtime=$(grep -E -o 'basic_string|std::|terminate called|winpthreads' "$work/strings" | sort -u || true)
threads=$(grep -E -o '\b(_beginthreadex|TlsAlloc)$' "$work/headers" | sort -u || true)
if [ -n "$runtime$threads" ]; then
  echo "got the C++ runtime in $program, expected none: it holds" $runtime $threads
  status=1
fi

size=$(stat -c %s "$work/lum.exe")
if [ "$size" -gt "$kLargestStripped" ]; then
  echo "got $size bytes stripped for $program, expected at most $kLargestStripped"
  status=1
fi
echo "$program: $size bytes stripped"
exit $status
