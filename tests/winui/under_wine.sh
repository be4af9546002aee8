#!/usr/bin/env bash
# Runs a Windows test program under Wine, with Wine's own messages off. It uses the prefix
# the caller set up (scripts/test.sh shares one with the other Windows tests and leaves its
# server to them); without one, a prefix of the program's own beside it (made on first use),
# whose server it stops afterwards.
set -euo pipefail
program=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
own_prefix=0
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$(dirname "$program")/wineprefix-$(basename "$program" .exe)"
  own_prefix=1
fi
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
status=0
wine "$program" "$@" || status=$?
[ "$own_prefix" -eq 0 ] || wineserver -k 2>/dev/null || true
exit $status
