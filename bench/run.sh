#!/usr/bin/env bash
# Builds the renderer optimised as the package builds it (Release) and runs
# the print-file benchmark against the print service's text-to-PDF filter.
# Usage: bench/run.sh [PAGES...]   (default 1 250 1000 4000 pages of 64 lines)
# RIZARODE_RENDER=PATH compares another build of the renderer instead.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DRIZARODE_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target render_bench >/dev/null
exec build-bench/bench/render_bench "$@"
