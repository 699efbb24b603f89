#!/usr/bin/env bash
# The host as a real DOS program (tests/dos/dos_test_host.asm) started by
# rizarode.exe under Wine, which like every 64-bit Windows cannot run it:
# it runs in DOSBox for Windows (scripts/build-dosbox-windows.sh), found once
# through RIZARODE_DOSBOX and once through DOSBox's App Paths registry entry
# (in the 32-bit view, where DOSBox's own installer writes it), the second
# time described by a PIF that names it by an absolute DOS path; both from
# directories whose names hold blanks. Each run
# prints the host's job through GDI to the CUPS default queue and ends with
# the host. Without DOSBox, or with one that ends at once: exit code 7 and a
# message that says why.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

command -v wine >/dev/null || { echo "wine is not installed (scripts/install-deps.sh)" >&2; exit 1; }
command -v nasm >/dev/null || { echo "nasm is not installed (scripts/install-deps.sh)" >&2; exit 1; }
xdpyinfo >/dev/null 2>&1 || e2e_use_own_display "$@"
e2e_require_pdf_queue
PDF_DIR="$(cups_pdf_dir)"

[ -f "$E2E_BUILD/demo-run/rizarode.exe" ] || {
  echo "the demo directory $E2E_BUILD/demo-run is missing; build the Windows program first" >&2
  exit 1
}
# Built once into a cache; scripts/test-windows.sh builds it before the tests.
DOSBOX_EXE="$(bash "$E2E_SRC/scripts/build-dosbox-windows.sh" | tail -n 1)"
[ -f "$DOSBOX_EXE" ] || { echo "no DOSBox.exe from scripts/build-dosbox-windows.sh" >&2; exit 1; }
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Blanks in the host's directory and in DOSBox's, as in "Program Files".
E2E_HOST_DIR="$(mktemp -d /tmp/rzdh.XXXXXX)"
mv "$E2E_HOST_DIR" "$E2E_HOST_DIR with blank"
E2E_HOST_DIR="$E2E_HOST_DIR with blank"
E2E_LOG="$E2E_HOST_DIR.log"
cp "$E2E_BUILD/demo-run/rizarode.exe" "$E2E_BUILD/demo-run/VKCOUR.TTF" \
  "$E2E_BUILD/demo-run/VKCOURBD.TTF" "$E2E_HOST_DIR/"
nasm -f bin -o "$E2E_HOST_DIR/VELDRAK.EXE" "$E2E_SRC/tests/dos/dos_test_host.asm"
# The host prints its command tail, upper case as rizarode passes it on:
# this run's reference tells its PDF files from others in the queue's folder.
E2E_REFERENCE="RZDOS$$X$RANDOM"

unset RIZARODE_DOSBOX
e2e_wine_prefix
APP_PATHS='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\DOSBox.exe'

# Runs rizarode.exe in the host directory with env's arguments before it.
run_rizarode() {
  local started
  started=$(date +%s%N)
  set +e
  (cd "$E2E_HOST_DIR" && exec env "$@" timeout 180 wine rizarode.exe "/R=$E2E_REFERENCE" </dev/null) \
    >"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
  echo "rizarode.exe ended with exit code $E2E_STATUS after $((($(date +%s%N) - started) / 1000000)) ms"
}

host_listing() { (cd "$E2E_HOST_DIR" && find . | sort); }

# The one job the DOS host writes, printed whole, and nothing written beside
# the host.
check_dos_job() {
  local how="$1" before="$2" pdfs work
  e2e_check "$how: rizarode.exe ended by the host's end with exit code 0" [ "$E2E_STATUS" -eq 0 ]
  work="$(find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type f -name RIZARODE.TMP -printf '%h\n' | head -1)"
  e2e_check "$how: no print file is left" \
    [ -n "$work" -a -z "$(find "$work" -maxdepth 1 -name 'VK*.TMP' -print -quit)" ]
  e2e_check "$how: DOSBox's output went into the work directory" \
    grep -q "DOSBox version" "$work/stdout.txt"
  e2e_check "$how: nothing was written into the host directory" [ "$(host_listing)" = "$before" ]
  for _ in $(seq 1 120); do
    [ -n "$(e2e_own_pdfs "$PDF_DIR")" ] && break
    sleep 0.5
  done
  mapfile -t pdfs < <(e2e_own_pdfs "$PDF_DIR")
  e2e_check "$how: one PDF file was printed (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 1 ]
  [ "${#pdfs[@]}" -eq 1 ] || return 0
  e2e_check_dos_job_pdf "$how" "${pdfs[0]}" "/TEMP=D:\\"
  rm -f "${pdfs[@]}"
}

# 1. VELDRAK.EXE, DOSBox named by RIZARODE_DOSBOX. The first run also installs
#    the private fonts, and goes on without a restart offer.
before="$(host_listing)"
run_rizarode RIZARODE_DOSBOX="$(windows_path "$DOSBOX_EXE")"
check_dos_job "DOSBox from RIZARODE_DOSBOX" "$before"

# 2. A PIF naming the program as C:\VELDRAK\VELDRAK.EXE (C: is the host
#    directory); DOSBox found through its App Paths entry.
python3 - "$E2E_HOST_DIR/VELDRAK.PIF" <<'PY'
import sys
pif = bytearray(0x171)
def put(at, size, text, pad=b"\0"):
    pif[at:at + size] = text.ljust(size, pad)[:size]
put(0x02, 30, b"VELDRAK", b" ")
put(0x24, 63, b"C:\\VELDRAK\\VELDRAK.EXE")
put(0x65, 64, b"C:\\VELDRAK")
open(sys.argv[1], "wb").write(pif)
PY
INSTALLED="$E2E_HOME/Program Files/DOSBox-0.74-3"
mkdir -p "$INSTALLED"
cp "$DOSBOX_EXE" "$INSTALLED/DOSBox.exe"
wine reg add "$APP_PATHS" /ve /d "$(windows_path "$INSTALLED/DOSBox.exe")" /f /reg:32 >/dev/null 2>&1
before="$(host_listing)"
run_rizarode
check_dos_job "from a PIF, DOSBox from App Paths" "$before"

# 3. No DOSBox anywhere: the box says that the host is a DOS program that
#    needs DOSBox, and where it was looked for.
wine reg delete "$APP_PATHS" /f /reg:32 >/dev/null 2>&1
rm -f "$E2E_HOST_DIR/VELDRAK.PIF"
BOX="$E2E_HOME/box.txt"
wine "$E2E_BUILD/tests/answer_message_box.exe" 120 >"$BOX" 2>/dev/null &
answerer=$!
run_rizarode
wait "$answerer" || true
e2e_check "without DOSBox: exit code 7" [ "$E2E_STATUS" -eq 7 ]
# The answerer writes the box's title and text, one line each, with "|" for
# the text's line breaks; without a language directory the language is Dutch.
sed -i 's/\r$//' "$BOX"
e2e_check "without DOSBox: the box is titled after the program" grep -qix "rizarode" "$BOX"
e2e_check "without DOSBox: the box says the host is a DOS program that needs DOSBox" \
  grep -q "VELDRAK is een DOS-programma.*heeft daarom DOSBox nodig" "$BOX"
e2e_check "without DOSBox: the box names where it looked, the folder beside the program first" \
  grep -qF "|%RIZARODE_DOSBOX%|$(windows_path "$E2E_HOST_DIR")\\DOSBox\\DOSBox.exe|HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DOSBox.exe|C:\\Program Files (x86)\\DOSBox-0.74-3\\DOSBox.exe|C:\\Program Files\\DOSBox-0.74-3\\DOSBox.exe|" "$BOX"
e2e_check "without DOSBox: the box says the installer brings it" \
  grep -q "De installatie van RIZARODE brengt DOSBox mee" "$BOX"

# 4. A DOSBox that ends at once (a program that does nothing) is a failed
#    start with the start-failure message, never a host that ran and ended.
wine "$E2E_BUILD/tests/answer_message_box.exe" 120 >"$BOX" 2>/dev/null &
answerer=$!
run_rizarode RIZARODE_DOSBOX="$(windows_path "$E2E_BUILD/tests/record_start.exe")"
wait "$answerer" || true
sed -i 's/\r$//' "$BOX"
e2e_check "DOSBox ending at once: exit code 7" [ "$E2E_STATUS" -eq 7 ]
# Whether it is seen ending within the launcher's look or only by the wait
# for a window that never comes depends on the machine's speed.
e2e_check "DOSBox ending at once: the start-failure message" grep -q "kan niet worden gevonden" "$BOX"
e2e_finish
