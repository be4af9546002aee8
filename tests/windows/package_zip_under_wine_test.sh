#!/usr/bin/env bash
# The Windows .zip as a user gets it: packed by cpack from the Windows build, it holds one
# folder with ferrowick.exe, README.md and LICENCE.txt and nothing else; the program taken
# out of it runs under Wine, writes the sample tree (byte for byte the Linux build's) and
# converts it into a .pst that the Linux build's `check` finds sound and whose `inspect`
# is the Linux build's for the same tree, but for the creation stamp.
# Usage: package_zip_under_wine_test.sh WINDOWS_BUILD_DIR LINUX_FERROWICK
set -uo pipefail
build=$1 linux=$2
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$linux" ] || fail "the Linux build's $linux is missing (scripts/build.sh makes it)"
[ -f "$build/CPackConfig.cmake" ] || fail "$build is not a configured Windows build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { winepath -w "$1" 2>/dev/null; }
unstamped() { "$linux" inspect "$1" | sed -E '1s/Created - [0-9]{1,2}[.][0-9]{1,2}[.][0-9]{2} [0-9]{1,2}[.][0-9]{1,2}[.][0-9]{2}$/Created - STAMP/'; }

cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$work/pack" >"$work/cpack.out" 2>&1 ||
  { cat "$work/cpack.out"; fail "cpack could not pack the .zip"; }
zips=("$work"/pack/ferrowick-*-win64.zip)
[ -f "${zips[0]}" ] && [ "${#zips[@]}" -eq 1 ] || fail "no single ferrowick-VERSION-win64.zip: $(ls "$work/pack")"
zip=${zips[0]}
top=$(basename "$zip" .zip)
listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$zip")
expected=$(printf '%s\n' "$top/LICENCE.txt" "$top/README.md" "$top/ferrowick.exe")
[ "$listing" = "$expected" ] || fail "the .zip holds:
$listing"
python3 -m zipfile -e "$zip" "$work/unpacked" || fail "the .zip does not unpack"
exe="$work/unpacked/$top/ferrowick.exe"
# The README in the .zip tells a Windows user how to run the program.
grep -q 'ferrowick.exe convert' "$work/unpacked/$top/README.md" || fail "the README says nothing of ferrowick.exe"

wine "$exe" --version >"$work/version.out" 2>&1 || fail "ferrowick.exe --version failed: $(cat "$work/version.out")"
[ "$(tr -d '\r' <"$work/version.out")" = "$("$linux" --version)" ] || fail "the .zip's program is another version: $(cat "$work/version.out")"
mkdir "$work/win" "$work/linux"
wine "$exe" sample "$(win "$work/win")" >"$work/sample.out" 2>&1 || fail "ferrowick.exe sample failed: $(cat "$work/sample.out")"
"$linux" sample "$work/linux" >/dev/null || fail "the Linux sample failed"
diff -r "$work/linux/Mail" "$work/win/Mail" || fail "the sample tree differs between Linux and Windows"
wine "$exe" convert "$(win "$work/win/Mail")" "$(win "$work/win.pst")" >"$work/convert.out" 2>&1 ||
  { cat "$work/convert.out"; fail "ferrowick.exe convert of the sample tree failed"; }
"$linux" check "$work/win.pst" || fail "ferrowick check refuses the .pst written by the .zip's program"
"$linux" convert "$work/linux/Mail" "$work/linux.pst" >/dev/null 2>&1 || fail "the Linux conversion failed"
diff <(unstamped "$work/linux.pst") <(unstamped "$work/win.pst") || fail "inspect differs between Linux and Windows"
echo "1 passed, 0 failed"
