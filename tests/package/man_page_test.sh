#!/usr/bin/env bash
# The manual page renders without a groff warning, has the usual sections, carries the
# program's version, and documents what `ferrowick --help` offers: every command and option
# there is in the page, and every command in the page is one the program knows.
# Usage: man_page_test.sh PAGE PROGRAM
set -uo pipefail
page=$1 program=$2
[ -f "$page" ] || { echo "no manual page at $page (is scdoc installed? run scripts/install-deps.sh)" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"
rendered=$(MANWIDTH=100 man -l "$page" 2>&1 | col -b)
for heading in NAME SYNOPSIS DESCRIPTION COMMANDS "EXIT STATUS"; do
  grep -qx "$heading" <<<"$rendered" || fail "no $heading section"
done
version=$("$program" --version | awk '{print $NF}')
grep -q "Halvernook Ferrowick $version" <<<"$rendered" || fail "the page does not carry version $version"

# Commands: lines of the help indented by two spaces; in the page, the entries of COMMANDS.
help=$("$program" --help 2>&1)
help_commands=$(grep -oE '^  [a-z][a-z-]*( |$)' <<<"$help" | tr -d ' ' | sort -u)
page_commands=$(sed -n '/^COMMANDS$/,/^[A-Z]/p' <<<"$rendered" | grep -oE '^       [a-z][a-z-]*( |$)' |
                tr -d ' ' | sort -u)
[ -n "$help_commands" ] || fail "found no commands in --help: $help"
for c in $help_commands; do
  grep -qx "$c" <<<"$page_commands" || fail "--help offers '$c', the page's COMMANDS do not"
done
for c in $page_commands; do
  grep -qx "$c" <<<"$help_commands" || fail "the page documents '$c', --help does not offer it"
done
for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
  grep -q -- "$option" <<<"$rendered" || fail "--help offers $option, the page does not"
done

[ $failures -eq 0 ] && echo "$page: renders and documents every command ($(echo $page_commands))"
exit $((failures > 0))
