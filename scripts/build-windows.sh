#!/usr/bin/env bash
# Cross-builds the Windows tree into build-win/ (the program ends up at build-win/ferrowick.exe)
# with Debian's MinGW-w64; the tests of that tree run under Wine (scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DFERROWICK_GUI=OFF "${launcher[@]}" >/dev/null
cmake --build build-win -j"$(nproc)" "$@"
