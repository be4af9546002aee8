#!/usr/bin/env bash
# Runs a Windows test program under Wine in a private prefix kept in the build folder (made
# on first use), with Wine's own messages off.
set -euo pipefail
program=$1
shift
export WINEPREFIX=${WINEPREFIX:-$(dirname "$program")/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -d "$WINEPREFIX" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
status=0
wine "$program" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
