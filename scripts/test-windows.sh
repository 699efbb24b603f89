#!/usr/bin/env bash
# Builds the Windows program and its installer and runs their tests under Wine, in a Wine prefix
# of their own that is made fresh for this run and removed afterwards.
# Usage: scripts/test-windows.sh [BUILD_DIR] [extra cmake args]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
bash scripts/build-windows.sh "$build" -DRIZARODE_WARNINGS_AS_ERRORS=ON "$@"
# The installer, which tests/win32/installer_test.sh installs and removes.
cmake --build "$build" --target installer
# The DOS host's test runs DOSBox for Windows, whose first build takes
# minutes: it is made here, once into its cache, outside every test's limit.
bash scripts/build-dosbox-windows.sh >/dev/null
. scripts/services.sh

prefix_parent="$(mktemp -d /tmp/rizarode-wine-XXXXXX)"
export WINEPREFIX="$prefix_parent/prefix"
export WINEDEBUG=-all
# Wine also sees the fonts that fontconfig finds in the user's data
# directory, where the Linux program installs its own: the Windows tests
# start from a system that has none of them.
export XDG_DATA_HOME="$prefix_parent/data"
mkdir -p "$XDG_DATA_HOME"
# No Mono or Gecko installer dialogs, and no menu entries in the user's
# desktop for the programs of the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix_parent"
}
trap cleanup EXIT

wineboot --init >/dev/null 2>&1
wineserver -w
cd "$build"
ctest --output-on-failure
