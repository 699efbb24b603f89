#!/usr/bin/env bash
# The Debian package as a user gets it: built by scripts/package-deb.sh,
# checked with lintian, installed with apt-get, the main job run from
# /usr/bin/rizarode in a host directory that holds only the host application
# (VELDRAK.EXE and its language marker, no font files) on the built-in
# defaults, and purged, leaving none of its files behind.
#
# Installs into the system: run as root, after the other tests (the face
# it puts into the system's fonts would be seen by them). The package is
# purged however the test ends.
# Usage: tests/package/deb_package_test.sh PACKAGE_BUILD_DIR SOURCE_DIR
mkdir -p "$1"
. "$(dirname "$0")/../e2e/e2e_lib.sh"

[ "$(id -u)" -eq 0 ] || { echo "installs a package: run as root" >&2; exit 1; }
if dpkg-query -W -f='${Status}' rizarode 2>/dev/null | grep -q "ok installed"; then
  echo "rizarode is installed already; this test installs and purges it" >&2
  exit 1
fi

OUT="$(mktemp -d /tmp/rzdeb.XXXXXX)"
FILE_LIST="$OUT/files"
package_cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y rizarode >/dev/null 2>&1 || true
  rm -rf "$OUT"
  e2e_cleanup
}
trap package_cleanup EXIT

bash "$E2E_SRC/scripts/package-deb.sh" "$OUT" "$E2E_BUILD" >"$OUT/build.log" 2>&1 || {
  cat "$OUT/build.log" >&2
  exit 1
}
DEB="$(echo "$OUT"/rizarode_*_amd64.deb)"
VERSION="$(sed -n 's/^project(rizarode VERSION \([0-9.]*\).*/\1/p' "$E2E_SRC/CMakeLists.txt")"
e2e_check "the package is rizarode_${VERSION}_amd64.deb, of version $VERSION" \
  [ -f "$OUT/rizarode_${VERSION}_amd64.deb" -a "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ]
# Lintian's informational tags (fonts in a program's package, Dutch and
# German words in the binary) are no fault.
lintian_status=0
lintian --fail-on error,warning "$DEB" >"$OUT/lintian.log" 2>&1 || lintian_status=$?
grep -v "running with root privileges" "$OUT/lintian.log" || true
e2e_check "lintian finds no error and no warning" [ "$lintian_status" -eq 0 ]

# The package's paths that the system has already (/usr/bin and the like)
# stay after the purge; no other path that dpkg -L lists may.
old_paths="$OUT/old-paths"
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | while IFS= read -r path; do
  if [ -n "$path" ] && [ -e "$path" ]; then echo "$path"; fi
done >"$old_paths"

t0=$(date +%s%N)
DEBIAN_FRONTEND=noninteractive apt-get install -y "$DEB" >"$OUT/install.log" 2>&1 || cat "$OUT/install.log" >&2
echo "apt-get install took $((($(date +%s%N) - t0) / 1000000)) ms"
dpkg -L rizarode >"$FILE_LIST" 2>/dev/null || true
e2e_check "the package is installed" [ -x /usr/bin/rizarode ]
e2e_check "fontconfig finds the private face in the system's fonts" \
  grep -q "^/usr/share/fonts/" <(fc-list "RUZeruzaz Ori" file)

e2e_check "the package ships rizarode-shortcut and the icon in the hicolor theme" \
  [ -x /usr/bin/rizarode-shortcut -a -f /usr/share/icons/hicolor/48x48/apps/rizarode.png \
    -a -f /usr/share/icons/hicolor/scalable/apps/rizarode.svg ]

# The host application alone: the demo host and the Dutch marker, in a
# directory whose name has a blank.
e2e_prepare_host_dir
rm -f "$E2E_HOST_DIR"/*.TTF "$E2E_HOST_DIR"/rizarode*
mv "$E2E_HOST_DIR" "$E2E_HOST_DIR mijn stamboom"
E2E_HOST_DIR="$E2E_HOST_DIR mijn stamboom"
# Started as the user's menu entry starts it.
HOME="$E2E_HOME" XDG_DATA_HOME="$E2E_HOME/.local/share" rizarode-shortcut "$E2E_HOST_DIR" >/dev/null || true
entry="$(find "$E2E_HOME/.local/share/applications" -name 'rizarode-*.desktop' 2>/dev/null | head -1)"
e2e_check "rizarode-shortcut made an entry that desktop-file-validate passes" \
  desktop-file-validate "${entry:-/nonexistent}"
# The entry starts the script, which starts the program in the directory (or
# says that the directory is gone), rather than the program in a Path=.
entry_exec="$(sed -n 's/^Exec=//p' "${entry:-/dev/null}")"
e2e_check "the entry starts the host directory through /usr/bin/rizarode-shortcut (\"$entry_exec\")" \
  [ "$entry_exec" = "/usr/bin/rizarode-shortcut --start \"$E2E_HOST_DIR\"" ]
E2E_PROGRAM=/usr/bin/rizarode-shortcut
E2E_ARGS=(--start "$E2E_HOST_DIR")
e2e_run -u DISPLAY -u WAYLAND_DISPLAY CUPS_SERVER=/nonexistent/rizarode-test.sock
e2e_check_outcome "$E2E_HOME/PDF"
e2e_check "the first start copied no font into the user's font directory" \
  [ -z "$(find "$E2E_HOME" -iname 'VK*.TTF' -print -quit)" ]
e2e_check "the host directory holds only the host application afterwards" \
  [ "$(cd "$E2E_HOST_DIR" && find . -type f | sort | paste -sd' ')" = "./NL/VELDRAK.TXT ./VELDRAK.EXE" ]

t0=$(date +%s%N)
DEBIAN_FRONTEND=noninteractive apt-get purge -y rizarode >"$OUT/purge.log" 2>&1 || cat "$OUT/purge.log" >&2
echo "apt-get purge took $((($(date +%s%N) - t0) / 1000000)) ms"
e2e_check "dpkg -L listed the package's files" grep -qx /usr/bin/rizarode "$FILE_LIST"
left=()
while IFS= read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done < <(grep -vxF -f "$old_paths" "$FILE_LIST")
e2e_check "purging leaves none of them behind (${left[*]:-none})" [ ${#left[@]} -eq 0 ]
# Among the system's fonts, that is: a user's own copy (a program's first
# start from a build puts one into ~/.local/share/fonts) is none of the
# package's business.
e2e_check "fontconfig no longer finds the private face among the system's fonts" \
  [ -z "$(fc-list "RUZeruzaz Ori" file | grep "^/usr/share/fonts/")" ]
e2e_finish
