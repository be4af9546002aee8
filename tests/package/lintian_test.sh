#!/usr/bin/env bash
# lintian finds no error and no warning in the package; infos are listed, not held against it.
# Usage: lintian_test.sh DEB_DIR
set -uo pipefail
command -v lintian >/dev/null || { echo "lintian is missing: run scripts/install-deps.sh" >&2; exit 1; }
deb=$(ls "$1"/*.deb) || exit 1
lintian --fail-on error,warning --info "$deb"
rc=$?
[ $rc -eq 0 ] || echo "lintian: errors or warnings in $deb (exit $rc)" >&2
exit $rc
