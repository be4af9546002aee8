#!/usr/bin/env bash
# The corpus tree converted by ferrowick.exe under Wine gives a .pst that the Linux build's
# `check`, pffexport and readpst accept, and whose folder tree and counts (`inspect`) are
# the Linux build's for the same tree, but for the creation stamp. The same with
# --multiple --jobs 2, where the folders are converted by child processes.
# Usage: convert_under_wine_test.sh FERROWICK_EXE LINUX_FERROWICK CORPUS_MSG_DIR
set -uo pipefail
exe=$1 linux=$2 corpus=$3
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$linux" ] || fail "the Linux build's $linux is missing (scripts/build.sh makes it)"
[ -d "$corpus" ] || fail "the corpus $corpus is missing"
for tool in pffexport readpst winepath; do command -v $tool >/dev/null || fail "$tool is missing (scripts/install-deps.sh)"; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { winepath -w "$1" 2>/dev/null; }
# The creation stamp in a store's name ("Created - 8.12.26 16.5.07") is the only thing allowed
# to differ.
unstamped() { "$linux" inspect "$1" | sed -E '1s/Created - [0-9]{1,2}[.][0-9]{1,2}[.][0-9]{2} [0-9]{1,2}[.][0-9]{1,2}[.][0-9]{2}$/Created - STAMP/'; }

wine "$exe" convert "$(win "$corpus")" "$(win "$work/win.pst")" --report "$(win "$work/win.json")" \
  >"$work/win.out" 2>"$work/win.err"
win_status=$?
"$linux" convert "$corpus" "$work/linux.pst" --report "$work/linux.json" >"$work/linux.out" 2>/dev/null
linux_status=$?
[ "$win_status" -eq "$linux_status" ] || { cat "$work/win.out" "$work/win.err"; fail "exit status $win_status under Wine, $linux_status on Linux"; }
[ -s "$work/win.pst" ] || fail "no .pst written under Wine"
"$linux" check "$work/win.pst" || fail "ferrowick check refuses the .pst written under Wine"
pffexport -q -t "$work/export" "$work/win.pst" >/dev/null 2>&1 || fail "pffexport cannot read the .pst written under Wine"
mkdir "$work/readpst"
readpst -q -o "$work/readpst" "$work/win.pst" >/dev/null 2>&1 || fail "readpst cannot read the .pst written under Wine"
diff <(unstamped "$work/linux.pst") <(unstamped "$work/win.pst") || fail "inspect differs between Linux and Wine"
# The report names the same files as converted, with Windows paths.
converted=$(grep -c '"converted": true' "$work/win.json")
[ "$converted" -gt 0 ] && [ "$converted" -eq "$(grep -c '"converted": true' "$work/linux.json")" ] ||
  fail "a different number of files converted under Wine ($converted)"
grep -q '"path": "Z:\\\\' "$work/win.json" || fail "the report's paths are not Windows paths"

# Every sub-folder into its own .pst, two at a time, by child processes.
mkdir "$work/multi-win" "$work/multi-linux"
wine "$exe" convert --multiple "$(win "$corpus")" "$(win "$work/multi-win")" --jobs 2 >"$work/multi.out" 2>"$work/multi.err"
multi_status=$?
"$linux" convert --multiple "$corpus" "$work/multi-linux" >/dev/null 2>&1
[ "$multi_status" -eq $? ] || { tail -20 "$work/multi.err"; fail "--jobs 2 under Wine ended with $multi_status"; }
grep -q '^\[' "$work/multi.err" || fail "no progress passed on from the child processes"
for pst in "$work"/multi-linux/*.pst; do
  name=$(basename "$pst")
  [ -f "$work/multi-win/$name" ] || fail "--jobs 2 under Wine wrote no $name"
  diff <(unstamped "$pst") <(unstamped "$work/multi-win/$name") >/dev/null || fail "$name differs between Linux and Wine"
done
echo "1 passed, 0 failed"
