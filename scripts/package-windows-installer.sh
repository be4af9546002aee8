#!/usr/bin/env bash
# Builds the Windows programs with the MinGW-w64 cross toolchain and packs them with NSIS
# into build-win/ferrowick-<version>-setup.exe: the wizard (ferrowick-wizard.exe, a GUI
# program) and the command line (ferrowick.exe, a console program), installed per user.
# Usage: scripts/package-windows-installer.sh [BUILD_DIR]   (default build-win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
command -v makensis >/dev/null || { echo "package-windows-installer: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DFERROWICK_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target ferrowick-wizard ferrowick
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# The debug information stays in the build; the installed programs are stripped.
x86_64-w64-mingw32-strip -o "$stage/ferrowick-wizard.exe" "$build/ferrowick-wizard.exe"
x86_64-w64-mingw32-strip -o "$stage/ferrowick.exe" "$build/ferrowick.exe"
out="$build/ferrowick-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DWIZARD_EXE="$stage/ferrowick-wizard.exe" -DCLI_EXE="$stage/ferrowick.exe" \
  -DICON="$root/winui/ferrowick.ico" -DOUTFILE="$out" "$root/packaging/windows/ferrowick.nsi"
echo "$out"
