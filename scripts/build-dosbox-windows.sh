#!/usr/bin/env bash
# Builds a 64-bit Windows DOSBox.exe from Debian's own source packages (SDL 1.2
# and DOSBox 0.74), so the Windows runs under Wine have a DOS machine without
# anything fetched from outside Debian. The build takes minutes, so it is done
# once into a cache outside every build folder, keyed by this script's
# contents: changing the recipe changes the key.
#
#   bash scripts/build-dosbox-windows.sh [DIR]
#
# The cache keeps, beside DOSBox.exe, what has to go with it when it is passed
# on: licenses/ (DOSBox's and SDL's licence texts) and source/ (the source
# archives the build used, exactly as Debian serves them, and this script,
# which says how they were built).
#
# Copies DOSBox.exe into DIR when given. The last line of standard output is
# the full path of a usable DOSBox.exe; everything else goes to standard error
# or to the build log.
set -euo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
key=$(sha256sum "$script" | cut -c1-16)
root=$(readlink -m "${RIZARODE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rizarode}/dosbox-windows")
done_dir=$root/$key
host=x86_64-w64-mingw32

deliver() {
  local exe=$done_dir/DOSBox.exe
  if [ $# -gt 0 ]; then
    mkdir -p "$1"
    cp "$exe" "$1/DOSBox.exe"
    exe=$(readlink -f "$1/DOSBox.exe")
  fi
  echo "$exe"
}

# The finished directory only ever appears by a rename, so its existence means
# a complete build and needs no lock.
[ -f "$done_dir/DOSBox.exe" ] && { deliver "$@"; exit 0; }

mkdir -p "$root"
exec 9>"$root/$key.lock"
flock -n 9 || { echo "Waiting for another run's build of DOSBox.exe" >&2; flock 9; }
[ -f "$done_dir/DOSBox.exe" ] && { deliver "$@"; exit 0; }

# Everything happens in a scratch directory beside the result, so that a
# failed or interrupted build leaves nothing that looks finished and the final
# rename stays on one file system.
work=$(mktemp -d "$root/$key.tmp.XXXXXX")
mkdir -p "$work/out"
log=$work/out/build.log
echo "Building DOSBox.exe for Windows into $done_dir; this takes minutes" >&2
# The build talks only to the log; on failure its end is shown, since the log
# goes with the scratch directory.
exec 3>&1 4>&2 >>"$log" 2>&1
trap '[ $? -eq 0 ] || { echo "DOSBox.exe build failed; end of the log:"; tail -n 40 "$log"; } >&4
      rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

fail() { echo "$1"; exit 1; }

# A private apt state with deb-src entries made from the system's own deb
# entries: the system's apt configuration stays as it is.
fetch_sources() {
  local apt=$work/apt f
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache" "$work/src"
  : >"$apt/none.list"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ ! -f "$f" ] || sed -n 's/^deb\([[:space:]]\)/deb-src\1/p' "$f"
  done >"$apt/parts/system.list"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ ! -f "$f" ] || { sed 's/^Types:.*/Types: deb-src/' "$f"; echo; }
  done >"$apt/parts/system.sources"
  # apt's download user could not write into a private directory of ours.
  local opts=(-o "Dir::Etc::sourcelist=$apt/none.list" -o "Dir::Etc::sourceparts=$apt/parts"
              -o "Dir::State::lists=$apt/lists" -o "Dir::Cache=$apt/cache"
              -o "APT::Sandbox::User=$(id -un)")
  # An entry without sources (a third-party one) must not stop the update:
  # whether the two packages came is checked below.
  apt-get "${opts[@]}" update || echo "apt-get update reported errors"
  cd "$work/src"
  apt-get "${opts[@]}" source --download-only libsdl1.2 || fail "fetching libsdl1.2 failed"
  # Only DOSBox's upstream tarball is used (its Debian patches are for Linux and
  # may not be served), so a failed fetch of the rest is no failure.
  apt-get "${opts[@]}" source --download-only dosbox || true
  ls dosbox_*.orig.tar.* >/dev/null || fail "fetching dosbox's upstream tarball failed"
  mkdir -p "$work/out/source"
  cp libsdl1.2_* dosbox_*.orig.tar.* "$script" "$work/out/source/"
}

# SDL with Debian's patches; static, so that DOSBox.exe needs no SDL.dll.
build_sdl() {
  cd "$work/src"
  dpkg-source -x libsdl1.2_*.dsc sdl
  cd sdl
  ./configure --host=$host CC=$host-gcc-posix --prefix="$work/sdl-prefix" \
    --enable-static --disable-shared
  make -j"$(nproc)"
  make install
  mkdir -p "$work/out/licenses"
  cp COPYING "$work/out/licenses/SDL-COPYING.txt"
}

build_dosbox() {
  mkdir -p "$work/src/dosbox"
  cd "$work/src/dosbox"
  tar -xf ../dosbox_*.orig.tar.* --strip-components=1
  # A Win64 handle does not fit in a DWORD, and g++ 12 rejects the narrowing.
  sed -i 's/(DWORD)m_event/(DWORD_PTR)m_event/g' src/gui/midi_win32.h
  ./configure --host=$host CC=$host-gcc-posix CXX=$host-g++-posix \
    --with-sdl-prefix="$work/sdl-prefix" \
    --disable-sdltest --disable-alsa-midi --disable-alsatest --disable-opengl \
    LDFLAGS="-static -static-libgcc -static-libstdc++"
  make -j"$(nproc)"
  $host-strip -o "$work/out/DOSBox.exe" src/dosbox.exe
  cp COPYING "$work/out/licenses/DOSBox-COPYING.txt"
}

start=$SECONDS
fetch_sources
build_sdl
build_dosbox
# Only Windows' own DLLs may be imported: any other would be missing under
# Wine, and would mean the static linking silently failed.
$host-objdump -p "$work/out/DOSBox.exe" | grep 'DLL Name' | tee "$work/dlls"
! grep -iqE 'DLL Name: (lib|sdl)' "$work/dlls" || fail "DOSBox.exe needs DLLs of its own"
echo "Built in $((SECONDS - start)) s"
mv "$work/out" "$done_dir"
exec >&3 2>&4
trap - EXIT
rm -rf "$work"
echo "Built $done_dir/DOSBox.exe in $((SECONDS - start)) s" >&2
deliver "$@"
