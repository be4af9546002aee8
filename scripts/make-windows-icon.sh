#!/usr/bin/env bash
# Makes winui/ferrowick.ico, the Windows program's icon, from app/ferrowick.svg: the sizes
# Windows asks for (16 to 64 pixels, and 256 as PNG). Run it after changing the SVG and
# commit the result; the Windows build only reads the .ico.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=()
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" "$root/app/ferrowick.svg" -o "$work/$size.png"
  frames+=("$work/$size.png")
done
# Debian's convert, not a wrapper earlier in PATH.
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
"$magick" "${frames[@]}" "$root/winui/ferrowick.ico"
