#!/usr/bin/env bash
# The Windows installer, built by scripts/package-windows-installer.sh, installed and
# uninstalled silently under Wine in a fresh prefix (run under tests/ui/on_xvfb.sh): both
# programs land in the user's own programs folder with a Start-menu entry and an entry in
# the installed-programs list; the installer asks for no administrator rights; the
# uninstaller takes all of it away again.
# Usage: installer_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
setup=$("$source_dir/scripts/package-windows-installer.sh" "$build_dir" | tail -n1)
[ -f "$setup" ] || { echo "FAIL: no installer at $setup"; exit 1; }

fail=0
check() {  # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; fail=1; fi
}

# The manifest NSIS writes for "RequestExecutionLevel user".
check "the installer runs as the invoking user" grep -aq 'level="asInvoker"' "$setup"

export WINEPREFIX=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
wineboot --init >/dev/null 2>&1 || true
wineserver -w
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)
install_dir="$user_dir/AppData/Local/Programs/Halvernook Ferrowick"
link="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Halvernook Ferrowick.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\HalvernookFerrowick'

wine "$setup" /S
wineserver -w
# Double-clicking the wizard opens no console; the command line is a console program.
subsystem() { x86_64-w64-mingw32-objdump -p "$1" | awk '/^Subsystem/ {print $2}'; }
check "the wizard is a GUI program" test "$(subsystem "$install_dir/ferrowick-wizard.exe")" = 00000002
check "the command line is a console program" test "$(subsystem "$install_dir/ferrowick.exe")" = 00000003
check "the wizard is installed per user" test -f "$install_dir/ferrowick-wizard.exe"
check "the command line is installed beside it" test -f "$install_dir/ferrowick.exe"
check "the uninstaller is installed" test -f "$install_dir/uninstall.exe"
check "the Start menu has the wizard" test -f "$link"
check "the installed-programs entry names the product" \
  bash -c "wine reg query '$key' /v DisplayName 2>/dev/null | grep -q 'Halvernook Ferrowick'"
check "the installed command line runs" \
  bash -c "wine '$install_dir/ferrowick.exe' --version 2>/dev/null | grep -q ."

echo "keep me" > "$install_dir/notes.txt"
wine "$install_dir/uninstall.exe" /S
# The uninstaller finishes from a copy of itself in the temporary folder.
for _ in $(seq 100); do [ -f "$install_dir/ferrowick-wizard.exe" ] || break; sleep 0.1; done
wineserver -w
check "the uninstaller removes the programs" test ! -e "$install_dir/ferrowick-wizard.exe" -a ! -e "$install_dir/ferrowick.exe"
check "the uninstaller removes the Start menu entry" test ! -e "$link"
check "the uninstaller removes the installed-programs entry" \
  bash -c "! wine reg query '$key' >/dev/null 2>&1"
check "the uninstaller leaves the user's own files" test -f "$install_dir/notes.txt"
exit $fail
