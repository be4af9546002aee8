#!/usr/bin/env bash
# Takes every scene of render_windows.exe from the screen of a private Xvfb (run it under
# tests/ui/on_xvfb.sh), window frame included, into OUT_DIR as PNG files.
# Usage: take_windows.sh RENDER_EXE OUT_DIR
set -euo pipefail
render=$1
out=$2
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(dirname "$render")/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || { wineboot --init >/dev/null 2>&1 || true; wineserver -w; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A titles=([start]="Halvernook Ferrowick v3.0" [start-multiple]="Halvernook Ferrowick v3.0"
  [single]="Single Folder Mode" [multiple]="Multiple Folder Mode" [status-running]="Conversion Status"
  [status-done]="Conversion Status" [exit-box]="Halvernook Ferrowick")
for scene in start start-multiple single multiple status-running status-done exit-box; do
  rm -f "$work/ready" "$work/release"
  wine "$render" "$scene" "$(winepath -w "$work/ready")" "$(winepath -w "$work/release")" &
  pid=$!
  for _ in $(seq 300); do [ -e "$work/ready" ] && break; sleep 0.1; done
  sleep 0.5
  # The last window mapped with the scene's title is the one in front.
  id=$(xdotool search --onlyvisible --name "^${titles[$scene]}\$" | tail -n1)
  import -frame -window "$id" "$out/$scene.png"
  touch "$work/release"
  wait "$pid" || true
done
wineserver -k 2>/dev/null || true
echo "screenshots in $out"
