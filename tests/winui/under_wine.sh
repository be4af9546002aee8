#!/usr/bin/env bash
# Runs a Windows test program under Wine in a prefix of its own kept beside it (made on
# first use), with Wine's own messages off. One prefix per program: programs that ctest
# runs side by side then share no Wine server.
set -euo pipefail
program=$1
shift
export WINEPREFIX=${WINEPREFIX:-$(dirname "$program")/wineprefix-$(basename "$program" .exe)}
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
