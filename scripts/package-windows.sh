#!/usr/bin/env bash
# Builds the Windows installer: OUTDIR/RIZARODE-<version>-setup.exe, made
# with makensis from the Windows build (scripts/build-windows.sh) in
# BUILD_DIR (build-windows by default).
# Usage: scripts/package-windows.sh OUTDIR [BUILD_DIR [cmake arguments]]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [BUILD_DIR [cmake arguments]]" >&2; exit 2; }
mkdir -p "$1"
out="$(cd "$1" && pwd)"
shift
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
command -v makensis >/dev/null || { echo "makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
bash scripts/build-windows.sh "$build" "$@"
cmake --build "$build" --target installer
installer="$(ls -t "$build"/RIZARODE-*-setup.exe 2>/dev/null | head -1)"
[ -n "$installer" ] || { echo "makensis made no RIZARODE-*-setup.exe" >&2; exit 1; }
cp "$installer" "$out/"
echo "$out/$(basename "$installer")"
