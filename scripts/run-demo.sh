#!/usr/bin/env bash
# Builds rizarode and runs the main job on the built-in defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build
cmake --build build -j"$(nproc)"
cd build
exec ./rizarode "$@"
