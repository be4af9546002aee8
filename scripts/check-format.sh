#!/usr/bin/env bash
# Lists the tracked C++ files whose text differs from what clang-format makes of them with
# the tree's .clang-format; exits 1 when there is any, 0 when none, 2 when it cannot check.
# Usage: scripts/check-format.sh [--diff] [FILE...]   (no FILE: every tracked .cpp/.hpp/.h)
set -uo pipefail
cd "$(dirname "$0")/.."
show_diff=0
if [ "${1:-}" = "--diff" ]; then show_diff=1; shift; fi
# Another clang-format version formats some constructs differently: take Debian 12's.
formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1; then formatter=$candidate; break; fi
done
if [ -z "$formatter" ]; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.cpp' '*.hpp' '*.h')
fi
differing=0
for f in "${files[@]}"; do
  if [ ! -f "$f" ]; then
    echo "check-format: $f does not exist" >&2
    exit 2
  fi
  if ! formatted=$("$formatter" --style=file "$f"); then
    echo "check-format: $formatter failed on $f" >&2
    exit 2
  fi
  if [ "$formatted" != "$(cat "$f")" ]; then
    differing=$((differing + 1))
    echo "$f"
    [ $show_diff -eq 1 ] && diff -u "$f" <(printf '%s\n' "$formatted") | tail -n +3
  fi
done
if [ $differing -gt 0 ]; then
  echo "check-format: $differing of ${#files[@]} files differ from .clang-format" >&2
  exit 1
fi
exit 0
