#!/usr/bin/env bash
# The Windows installer as a user meets it, under Wine: in a fresh prefix
# with no DOSBox anywhere and no RIZARODE_DOSBOX, a host directory that
# holds only the host application (the DOS test host, tests/dos, as
# VELDRAK.EXE, and its language marker); the installer, run silently into
# it, leaves shortcuts that start rizarode.exe there, the face installed,
# and DOSBox with its and SDL's licence texts in the folder DOSBox, its
# source archive beside the installer; the installed program runs the host
# in that DOSBox and prints its job to the CUPS default queue in that face;
# the uninstall command registered under Add/Remove Programs, run silently,
# leaves the host application's own files, and a DOSBox it did not bring,
# and nothing else.
. "$(dirname "$0")/../e2e/e2e_lib.sh"
e2e_wine_require_display "$@"
command -v nasm >/dev/null || { echo "nasm is not installed (scripts/install-deps.sh)" >&2; exit 1; }

INSTALLER="$(ls -t "$E2E_BUILD"/RIZARODE-*-setup.exe 2>/dev/null | head -1)"
[ -n "$INSTALLER" ] || {
  echo "no installer in $E2E_BUILD: cmake --build $E2E_BUILD --target installer" >&2
  exit 1
}
SOURCE_ARCHIVE="${INSTALLER%-setup.exe}-DOSBox-source.tar"
e2e_require_pdf_queue
PDF_DIR="$(cups_pdf_dir)"
# The host prints its command tail, upper case as rizarode passes it on.
E2E_REFERENCE="RZINST$$X$RANDOM"

# Built once into a cache under the user's home, which the prefix's HOME
# below is not: scripts/test-windows.sh builds it before the tests.
DOSBOX_DIR="$(dirname "$(bash "$E2E_SRC/scripts/build-dosbox-windows.sh" | tail -n 1)")"
unset RIZARODE_DOSBOX
e2e_wine_prefix
E2E_HOST_DIR="$WINEPREFIX/drive_c/VELDRAK"
E2E_LOG="$E2E_HOME/rizarode.log"
mkdir -p "$E2E_HOST_DIR/NL"
nasm -f bin -o "$E2E_HOST_DIR/VELDRAK.EXE" "$E2E_SRC/tests/dos/dos_test_host.asm"
: >"$E2E_HOST_DIR/NL/VELDRAK.TXT"
e2e_check "no DOSBox in the prefix before the install" \
  [ -z "$(find "$WINEPREFIX/drive_c" -iname 'dosbox*.exe' -print -quit)" ]
host_files() { (cd "$E2E_HOST_DIR" && find . -type f | sort | paste -sd' '); }
HOST_FILES="$(host_files)"

elapsed_ms() { echo $((($(date +%s%N) - $1) / 1000000)); }

t0=$(date +%s%N)
e2e_check "the silent install returns 0" wine "$INSTALLER" /S '/D=C:\VELDRAK'
echo "installed in $(elapsed_ms "$t0") ms"
for file in rizarode.exe VKCOUR.TTF VKCOURBD.TTF DOSBox/DOSBox.exe; do
  e2e_check "$file is in the host directory" [ -f "$E2E_HOST_DIR/$file" ]
done
# The licence texts with DOSBox, and the corresponding source beside the
# installer, which the README there names.
e2e_check "DOSBox's licence (the GPL) is beside it" \
  grep -q "GNU GENERAL PUBLIC LICENSE" "$E2E_HOST_DIR/DOSBox/DOSBox-COPYING.txt"
e2e_check "SDL's licence (the LGPL) is beside it" \
  grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$E2E_HOST_DIR/DOSBox/SDL-COPYING.txt"
e2e_check "the README beside it names the source archive $(basename "$SOURCE_ARCHIVE")" \
  grep -qF "$(basename "$SOURCE_ARCHIVE")" "$E2E_HOST_DIR/DOSBox/README.txt"
sources="$(tar -tf "$SOURCE_ARCHIVE" 2>/dev/null | sed 's,^[^/]*/,,' | sort | paste -sd' ')"
for pattern in 'source/dosbox_[^ ]*\.orig\.tar\.gz' 'source/libsdl1\.2_[^ ]*\.dsc' \
  'source/libsdl1\.2_[^ ]*\.orig\.tar\.gz' 'source/libsdl1\.2_[^ ]*\.debian\.tar\.xz' \
  'source/build-dosbox-windows\.sh' 'licenses/DOSBox-COPYING\.txt' 'licenses/SDL-COPYING\.txt'; do
  e2e_check "the source archive holds $pattern" grep -q "$pattern" <<<"$sources"
done
# The face as the program's first start checks it: the files in the fonts
# directory, registered under both keys (this Wine has both).
reg_value() {
  wine reg query "HKLM\\$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}
for entry in "VKCOUR.TTF|RUZeruzaz Ori Standaard (TrueType)" "VKCOURBD.TTF|RUZeruzaz Ori Vet (TrueType)"; do
  file="${entry%%|*}" name="${entry#*|}"
  e2e_check "$file is in the Windows fonts directory" [ -f "$WINEPREFIX/drive_c/windows/Fonts/$file" ]
  for key in 'SOFTWARE\Microsoft\Windows\CurrentVersion\Fonts' \
    'SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts'; do
    e2e_check "\"$name\" is $file under $key" [ "$(reg_value "$key" "$name")" = "$file" ]
  done
done

# Target (LinkInfo's local base path) and working directory (StringData) of
# a Shell Link file.
lnk_target_and_dir() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
pos = 0x4C
if flags & 0x01:  # HasLinkTargetIDList
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
target = ""
if flags & 0x02:  # HasLinkInfo
    size, _, _, _, base = struct.unpack_from("<5I", data, pos)
    target = data[pos + base:data.index(b"\0", pos + base)].decode("cp1252")
    pos += size
width, codec = (2, "utf-16-le") if flags & 0x80 else (1, "cp1252")
strings = {}
for bit in (0x04, 0x08, 0x10, 0x20, 0x40):  # name, relative path, working dir, ...
    if flags & bit:
        count = struct.unpack_from("<H", data, pos)[0]
        strings[bit] = data[pos + 2:pos + 2 + count * width].decode(codec).rstrip("\0")
        pos += 2 + count * width
print(target + "|" + strings.get(0x10, ""))
PY
}

mapfile -t links < <(find "$WINEPREFIX/drive_c" -iname 'RIZARODE.lnk' | sort)
e2e_check "a desktop and a Start-menu shortcut (found ${#links[@]})" \
  [ "${#links[@]}" -eq 2 -a -n "$(grep -i /Desktop/ <<<"${links[*]}")" \
  -a -n "$(grep -i "/Start Menu/" <<<"${links[*]}")" ]
for link in "${links[@]}"; do
  e2e_check "${link#"$WINEPREFIX/"} starts rizarode.exe in the host directory" \
    [ "$(lnk_target_and_dir "$link")" = 'C:\VELDRAK\rizarode.exe|C:\VELDRAK' ]
done

# The installed program, started as its shortcut starts it (with the
# reference that tells this run's job from others in the queue's folder),
# runs the DOS host in the DOSBox that came with it.
started=$(date +%s%N)
set +e
(cd "$E2E_HOST_DIR" && exec timeout 180 wine rizarode.exe "/R=$E2E_REFERENCE" </dev/null) \
  >"$E2E_LOG" 2>&1
E2E_STATUS=$?
set -e
echo "rizarode.exe ended with exit code $E2E_STATUS after $(elapsed_ms "$started") ms"
e2e_check "rizarode.exe ended by the host's end with exit code 0" [ "$E2E_STATUS" -eq 0 ]
work="$(find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type f -name RIZARODE.TMP -printf '%h\n' | head -1)"
e2e_check "the host ran in DOSBox, which wrote its output into the work directory" \
  grep -q "DOSBox version" "$work/stdout.txt"
e2e_wait_for_own_pdfs "$PDF_DIR" 1
mapfile -t pdfs < <(e2e_own_pdfs "$PDF_DIR")
e2e_check "the job reached the CUPS queue (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 1 ]
for f in "${pdfs[@]}"; do
  e2e_check_dos_job_pdf "the DOS host's job" "$f" "/TEMP=D:\\"
  e2e_check "$(basename "$f") is printed in the program's own face" \
    grep -q "RUZeruzazOri" <(pdffonts "$f" 2>/dev/null)
  rm -f "$f"
done

# Add/Remove Programs' command, silent; the uninstaller goes on from a copy
# of itself in TEMP after the command has returned.
uninstall="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RIZARODE' \
  /v UninstallString 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *"\(.*\)"$/\1/p')"
e2e_check "the uninstaller is registered (\"$uninstall\")" [ "$uninstall" = 'C:\VELDRAK\rizarode-uninstall.exe' ]
VERSION="$(sed -n 's/^project(rizarode VERSION \([0-9.]*\).*/\1/p' "$E2E_SRC/CMakeLists.txt")"
e2e_check "the installer and its entry carry the program's version $VERSION" \
  [ "$(basename "$INSTALLER")" = "RIZARODE-$VERSION-setup.exe" -a \
  "$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Uninstall\RIZARODE' DisplayVersion)" = "$VERSION" ]
# A DOSBox that the installer did not bring, installed meanwhile where
# DOSBox's own installer puts it.
PROGRAM_FILES_DOSBOX="$WINEPREFIX/drive_c/Program Files/DOSBox-0.74-3"
mkdir -p "$PROGRAM_FILES_DOSBOX"
cp "$E2E_HOST_DIR/DOSBox/DOSBox.exe" "$PROGRAM_FILES_DOSBOX/"
t0=$(date +%s%N)
wine "$uninstall" /S
for _ in $(seq 1 120); do
  [ "$(host_files)" = "$HOST_FILES" ] && break
  sleep 0.5
done
echo "uninstalled in $(elapsed_ms "$t0") ms"
wineserver -w
e2e_check "only the host application's files are left ($(host_files))" \
  [ "$(host_files)" = "$HOST_FILES" ]
e2e_check "the shortcuts are gone" [ -z "$(find "$WINEPREFIX/drive_c" -iname 'RIZARODE.lnk')" ]
registered=no
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RIZARODE' >/dev/null 2>&1 &&
  registered=yes
e2e_check "the Add/Remove Programs entry is gone" [ "$registered" = no ]
e2e_check "the installed face stays for other programs" \
  [ -f "$WINEPREFIX/drive_c/windows/Fonts/VKCOUR.TTF" ]
e2e_check "the DOSBox it brought is gone, its folder too" [ ! -e "$E2E_HOST_DIR/DOSBox" ]
e2e_check "the DOSBox it did not bring stays" [ -f "$PROGRAM_FILES_DOSBOX/DOSBox.exe" ]
rm -rf "$PROGRAM_FILES_DOSBOX"

# What the installer says about the directory it is given, silently, from
# a build of the same script that also writes its notices into a file: the
# host application missing; DOSBox needed for a DOS host (told by contents,
# as the program tells it) when the DOSBox component is left out, unless
# DOSBox is where the program looks for it.
NOTICES="$E2E_HOME/notices.txt"
makensis -V1 -DBUILD_DIR="$E2E_BUILD" -DDOSBOX_DIR="$DOSBOX_DIR" \
  -DOUT_FILE="$E2E_HOME/notices-setup.exe" -DNOTICE_LOG='C:\notices.txt' \
  "$E2E_SRC/packaging/windows/rizarode.nsi"
dos_mz() { printf 'MZ'; head -c 62 /dev/zero; printf '\xb4\x4c\xcd\x21'; }  # e_lfanew 0: "MZ"
dos_com() { printf '\xb4\x4c\xcd\x21'; }
win_ne() { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\0\0\0NE'; head -c 30 /dev/zero; }
win_pe() { cat "$E2E_BUILD/demo-run/VELDRAK.EXE"; }
# The App Paths entry as a 32-bit DOSBox installer writes it (this Wine
# shows the key in both views).
DOSBOX_APP_PATH='HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\App Paths\DOSBox.exe'
# case | VELDRAK.EXE | VELDRAK.PIF | where DOSBox is | installer option | expected notices
while IFS='|' read -r case exe pif dosbox option expected; do
  dir="$WINEPREFIX/drive_c/CASE$case"
  mkdir -p "$dir"
  [ -z "$exe" ] || "$exe" >"$dir/VELDRAK.EXE"
  [ -z "$pif" ] || : >"$dir/VELDRAK.PIF"
  env=()
  case "$dosbox" in
    env) env=(RIZARODE_DOSBOX='C:\DOSBox\dosbox.exe') ;;
    apppath) wine reg add "$DOSBOX_APP_PATH" /ve /d "C:\CASE$case\VELDRAK.EXE" /f >/dev/null 2>&1 ;;
    programfiles) mkdir -p "$PROGRAM_FILES_DOSBOX" && : >"$PROGRAM_FILES_DOSBOX/DOSBox.exe" ;;
  esac
  rm -f "$WINEPREFIX/drive_c/notices.txt"
  env "${env[@]}" wine "$E2E_HOME/notices-setup.exe" /S $option "/D=C:\CASE$case" >/dev/null 2>&1
  said=""
  [ ! -f "$WINEPREFIX/drive_c/notices.txt" ] ||
    said="$(tr -d '\r' <"$WINEPREFIX/drive_c/notices.txt" | paste -sd' ')"
  e2e_check "case $case (${exe:-no exe}, ${pif:-no pif}, DOSBox: ${dosbox:-none} ${option}): notices \"$expected\"" \
    [ "$said" = "$expected" ]
  brought=no
  [ ! -f "$dir/DOSBox/DOSBox.exe" ] || brought=yes
  e2e_check "case $case: DOSBox brought: $([ -n "$option" ] && echo no || echo yes)" \
    [ "$brought" = "$([ -n "$option" ] && echo no || echo yes)" ]
  [ "$dosbox" != apppath ] || wine reg delete "$DOSBOX_APP_PATH" /f >/dev/null 2>&1 || true
  rm -rf "$PROGRAM_FILES_DOSBOX"
done <<'TABLE'
1|||||NoHost
2|dos_mz||||
3|dos_mz|||/NODOSBOX|DosboxNeeded
4|dos_com|||/NODOSBOX|DosboxNeeded
5||pif||/NODOSBOX|DosboxNeeded
6|win_ne|||/NODOSBOX|
7|win_pe|||/NODOSBOX|
8|dos_mz||env|/NODOSBOX|
9|dos_mz||apppath|/NODOSBOX|
10|dos_mz||programfiles|/NODOSBOX|
TABLE
e2e_finish
