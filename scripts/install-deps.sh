#!/usr/bin/env bash
# Installs, from Debian 12's archive, whatever the build, the tests and the validators need
# and the machine lacks. Runs apt-get through sudo when not root.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config nettle-dev zlib1g-dev libgoogle-perftools-dev
  libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev fonts-dejavu-core fonts-dejavu-extra
  xvfb openbox xdotool x11-utils imagemagick
  clang libclang-rt-14-dev clang-format clang-tidy clang-tools-14
  pff-tools pst-utils python3-pypff python3-olefile libolecf-utils
  desktop-file-utils scdoc man-db groff-base dpkg-dev lintian
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 zip nsis librsvg2-bin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
