#!/usr/bin/env bash
# Packs the build tree into OUT_DIR with cpack and checks that exactly one .deb came out.
# Usage: build_deb.sh CPACK CPACK_CONFIG OUT_DIR
set -euo pipefail
cpack=$1 config=$2 out=$3
rm -rf "$out"
# A strict umask, as some builders have: the package's modes must not depend on it.
umask 077
"$cpack" --config "$config" -G DEB -B "$out"
shopt -s nullglob
debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "expected one .deb in $out, found ${#debs[@]}" >&2
  exit 1
fi
echo "built ${debs[0]}"
