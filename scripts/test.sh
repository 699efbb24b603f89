#!/usr/bin/env bash
# Builds everything and runs the whole test suite, with the services it
# needs (Xvfb, cupsd). Usage: scripts/test.sh [build-dir] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
cmake -S . -B "$build" -DRIZARODE_WARNINGS_AS_ERRORS=ON "$@"
cmake --build "$build" -j"$(nproc)"
. scripts/services.sh
cd "$build"
ctest --output-on-failure -j2
