#!/usr/bin/env bash
# Runs a Windows test program under Wine inside the X display and Wine prefix
# that the test command starts; skips (77) when there is no such session.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "skipped: needs DISPLAY and WINEPREFIX from the test session"
  exit 77
fi
export WINEDEBUG=-all
exec wine "$@"
