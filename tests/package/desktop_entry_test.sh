#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without an error or a hint, and launches
# the installed program with the installed icon.
# Usage: desktop_entry_test.sh ENTRY
set -uo pipefail
entry=$1
command -v desktop-file-validate >/dev/null ||
  { echo "desktop-file-validate is missing: run scripts/install-deps.sh" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
[ -z "$out" ] || fail "desktop-file-validate says: $out"
value() { sed -n "s/^$1=//p" "$entry"; }
[ "$(value Exec)" = ferrowick ] || fail "Exec is '$(value Exec)', the program is ferrowick"
icon=$(value Icon)
[ -f "$(dirname "$entry")/$icon.svg" ] || fail "Icon '$icon' names no icon beside the entry"
[ $failures -eq 0 ] && echo "$entry: sound"
exit $((failures > 0))
