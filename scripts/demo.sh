#!/usr/bin/env bash
# The main job: converts the bundled sample tree and shows what the .pst holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
rm -rf build/sample
build/ferrowick sample build/sample
build/ferrowick scan build/sample/Mail
