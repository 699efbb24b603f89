#!/usr/bin/env bash
# Builds the Debian package: OUTDIR/rizarode_<version>_amd64.deb, from a
# Release build of the programs alone (no tests, no benchmarks) in
# build-deb/, with Debian's build flags (hardening) and CPack's DEB
# generator. Usage: scripts/package-deb.sh OUTDIR [BUILD_DIR]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [BUILD_DIR]" >&2; exit 2; }
mkdir -p "$1"
out="$(cd "$1" && pwd)"
cd "$(dirname "$0")/.."
build="${2:-build-deb}"

# Debian's compiler and linker flags: fortified functions, stack protector,
# read-only relocations.
# Given on every configure (CMake reads the environment's flags only on the
# first), CPPFLAGS with them since it carries _FORTIFY_SOURCE.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DRIZARODE_BUILD_TESTS=OFF -DRIZARODE_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$PWD/cpack")
deb="$(find "$build/cpack" -maxdepth 1 -name 'rizarode_*_amd64.deb' | head -1)"
[ -n "$deb" ] || { echo "cpack made no rizarode_*_amd64.deb" >&2; exit 1; }
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
