#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: BUILD_DIR/rizarode.exe with
# the private font files VKCOUR.TTF and VKCOURBD.TTF beside it, and the
# Windows tests; and the 32-bit BUILD_DIR/x86/rizarode.exe for 32-bit Windows,
# which starts a DOS host itself (no tests: nothing here can run it).
# Usage: scripts/build-windows.sh [BUILD_DIR] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build" -j"$(nproc)"
cmake -S . -B "$build/x86" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DRIZARODE_BUILD_TESTS=OFF -DRIZARODE_BUILD_BENCH=OFF "$@"
cmake --build "$build/x86" --target rizarode -j"$(nproc)"
