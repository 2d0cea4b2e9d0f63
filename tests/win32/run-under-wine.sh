#!/usr/bin/env bash
# Runs a Windows test program under Wine inside the X display and Wine prefix
# that scripts/test starts (scripts/lib/wine-session.sh).
set -euo pipefail
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "got no DISPLAY or WINEPREFIX: run this inside the session that scripts/test starts"
  exit 1
fi
export WINEDEBUG=-all
exec wine "$@"
