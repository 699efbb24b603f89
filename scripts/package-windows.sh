#!/usr/bin/env bash
# Builds the Windows installer: OUTDIR/RIZARODE-<version>-setup.exe, made
# with makensis from the Windows build (scripts/build-windows.sh) in
# BUILD_DIR (build-windows by default), with DOSBox for Windows
# (scripts/build-dosbox-windows.sh) in a component of its own; beside it
# OUTDIR/RIZARODE-<version>-DOSBox-source.tar, the corresponding source of
# that DOSBox, which goes wherever the installer goes.
# Usage: scripts/package-windows.sh OUTDIR [BUILD_DIR [cmake arguments]]
#        scripts/package-windows.sh --in-build BUILD_DIR
# The second form makes both files in BUILD_DIR from a finished build; it
# is what the build's target "installer" runs.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [BUILD_DIR [cmake arguments]]" >&2; exit 2; }
command -v makensis >/dev/null || { echo "makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }

if [ "$1" = --in-build ]; then
  build="$(cd "$2" && pwd)"
  cd "$(dirname "$0")/.."
  version="$(sed -n 's/^!define RIZARODE_VERSION "\(.*\)"$/\1/p' "$build/generated/rizarode_version.nsh")"
  [ -n "$version" ] || { echo "no version in $build/generated/rizarode_version.nsh" >&2; exit 1; }
  # The cache's folder: DOSBox.exe, licenses/ and source/.
  dosbox="$(dirname "$(bash scripts/build-dosbox-windows.sh | tail -n 1)")"
  makensis -V2 -DBUILD_DIR="$build" -DDOSBOX_DIR="$dosbox" \
    -DOUT_FILE="$build/RIZARODE-$version-setup.exe" packaging/windows/rizarode.nsi
  # The same bytes for the same sources, whoever packs them when.
  name="RIZARODE-$version-DOSBox-source"
  tar -cf "$build/$name.tar" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime=@0 --transform "s,^,$name/," -C "$dosbox" source licenses
  exit 0
fi

mkdir -p "$1"
out="$(cd "$1" && pwd)"
shift
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
bash scripts/build-windows.sh "$build" "$@"
cmake --build "$build" --target installer
installer="$(ls -t "$build"/RIZARODE-*-setup.exe 2>/dev/null | head -1)"
[ -n "$installer" ] || { echo "makensis made no RIZARODE-*-setup.exe" >&2; exit 1; }
source_archive="${installer%-setup.exe}-DOSBox-source.tar"
cp "$installer" "$source_archive" "$out/"
echo "$out/$(basename "$source_archive")"
echo "$out/$(basename "$installer")"
