#!/usr/bin/env bash
# The main job: converts the bundled sample tree and shows what the .pst holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
rm -rf build/sample
build/ferrowick sample build/sample
rm -f build/sample/Mail.pst
# Exit 1 only means some files were not converted; the list is printed, the store is kept.
status=0
build/ferrowick convert build/sample/Mail build/sample/Mail.pst || status=$?
if [ "$status" -ge 2 ]; then exit "$status"; fi
build/ferrowick inspect build/sample/Mail.pst
