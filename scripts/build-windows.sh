#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: BUILD_DIR/rizarode.exe with
# the private font files VKCOUR.TTF and VKCOURBD.TTF beside it, and the
# Windows tests. Usage: scripts/build-windows.sh [BUILD_DIR] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build" -j"$(nproc)"
