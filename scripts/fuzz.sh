#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer
# and libFuzzer) in a build directory of their own and runs each for SECONDS
# seconds (30 by default), starting from the seeds in fuzz/corpus/. A crash,
# a sanitizer report or a hang fails the script; what set it off is kept as
# build-fuzz/artifacts/TARGET-crash-* (or -timeout-*, -oom-*).
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${RIZARODE_FUZZ_BUILD_DIR:-build-fuzz}"
targets=(print_file driver_file numbers deflate)

CC=clang CXX=clang++ cmake -S . -B "$build" -DRIZARODE_FUZZ=ON -DRIZARODE_BUILD_TESTS=OFF \
  -DRIZARODE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/artifacts"
passed=0
for target in "${targets[@]}"; do
  # New inputs go into the build directory; the seeds stay as they are.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== fuzz_$target for $seconds s"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    "$corpus" "fuzz/corpus/$target" 2>"$build/fuzz_$target.log" || {
    tail -n 60 "$build/fuzz_$target.log" >&2
    echo "fuzz: $passed passed, 1 failed (fuzz_$target; log in $build/fuzz_$target.log)" >&2
    exit 1
  }
  grep -E "^stat::number_of_executed_units|^Done [0-9]+ runs" "$build/fuzz_$target.log" || true
  passed=$((passed + 1))
done
echo "fuzz: $passed passed, 0 failed"
