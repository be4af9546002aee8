#!/usr/bin/env bash
# Builds the Windows tree and packs build-win/ferrowick-VERSION-win64.zip: ferrowick.exe,
# README.md and LICENCE.txt. Prints the archive's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh --target ferrowick
(cd build-win && cpack -G ZIP >/dev/null)
ls build-win/ferrowick-*-win64.zip
