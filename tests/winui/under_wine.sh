#!/usr/bin/env bash
# Runs a Windows test program under Wine, with Wine's own messages off, in a prefix of the
# program's own beside it (made on first use), whose server it stops afterwards. Not the
# prefix the other Windows tests share: that server's desktop was started without this
# test's X display, and windows would have nowhere to appear.
set -euo pipefail
program=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX="$(dirname "$program")/wineprefix-$(basename "$program" .exe)"
own_prefix=1
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
status=0
wine "$program" "$@" || status=$?
[ "$own_prefix" -eq 0 ] || wineserver -k 2>/dev/null || true
exit $status
