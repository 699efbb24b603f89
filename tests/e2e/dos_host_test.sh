#!/usr/bin/env bash
# The host as a real DOS program (tests/dos/dos_test_host.asm) under DOSBox,
# started by rizarode from a host directory whose path holds a blank:
# without a display (SDL's dummy drivers, the user's processes as windows)
# and on an X display; described by PIFs; and with DOSBox missing or ending
# at once, a PIF naming a program that is not there, or arguments that the
# DOS shell would act on, which must be a failed start, never a silent
# success.
. "$(dirname "$0")/e2e_lib.sh"

DOS_HOST="$E2E_BUILD/dos/DOSHOST.EXE"
if ! command -v dosbox >/dev/null || [ ! -f "$DOS_HOST" ]; then
  echo "skipped: needs dosbox and the DOS test host (nasm)"
  exit 0
fi
e2e_use_own_display "$@"

# Emulators of this run that a failed check left behind: they run in a
# process group of their own, so timeout does not reach them.
dos_cleanup() {
  local p
  for p in /proc/[0-9]*; do
    if { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qF -- "$E2E_HOST_DIR"; then
      kill "${p#/proc/}" 2>/dev/null || true
    fi
  done
  e2e_cleanup
}
trap dos_cleanup EXIT

e2e_prepare_host_dir
mv "$E2E_HOST_DIR" "$E2E_HOST_DIR with blank"
E2E_HOST_DIR="$E2E_HOST_DIR with blank"
rm -f "$E2E_HOST_DIR/VELDRAK.EXE"
cp "$DOS_HOST" "$E2E_HOST_DIR/VELDRAK.EXE"

# Like e2e_run, with rizarode's own arguments after the env settings.
dos_run() {
  local env_args=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do env_args+=("$1"); shift; done
  shift
  rm -rf "$E2E_HOME/PDF"
  set +e
  (
    cd "$E2E_HOST_DIR"
    exec env -u TMP -u PRINTER -u LPDEST "${env_args[@]}" \
      HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
      timeout 150 "$E2E_BUILD/rizarode" "$@"
  ) </dev/null >"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
  echo "rizarode ended with exit code $E2E_STATUS"
}

# The one job the DOS host writes, printed: its text, its two pages, and
# the command tail that reached the host. DOSBox's files carry the digits of
# the run's print file name, which the host prints with its tail.
DOS_TAGS=()
check_dos_job() {
  local how="$1" tail="$2" pdfs tag
  e2e_check "$how: rizarode ended by the host's end with exit code 0" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "$how: no print file is left" \
    [ -z "$(find "$E2E_WORK" -maxdepth 1 -name 'VK*.TMP' -print -quit)" ]
  mapfile -t pdfs < <(find "$E2E_HOME/PDF" -name '*.pdf' 2>/dev/null)
  e2e_check "$how: one PDF file was printed (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 1 ]
  [ "${#pdfs[@]}" -eq 1 ] || return 0
  e2e_check_dos_job_pdf "$how" "${pdfs[0]}" "$tail"
  tag="$(e2e_pdf_text "${pdfs[0]}" | grep -o 'WIN=VK[0-9A-F]\{6\}' | head -n 1 | cut -c 7-)"
  DOS_TAGS+=("$tag")
  e2e_check "$how: DOSBox wrote its log RZ$tag.LOG into the work directory" \
    grep -q "DOSBox version" "${E2E_WORK}RZ$tag.LOG"
  e2e_check "$how: and read its configuration RZ$tag.CNF there" [ -f "${E2E_WORK}RZ$tag.CNF" ]
}

# Without a display. The "/TEMP=" passed on names the work directory by its
# Linux path, which the host sees as D:\ like the program's own.
dos_run -u DISPLAY -u WAYLAND_DISPLAY -- "/temp=$E2E_WORK" /wdebug=1
check_dos_job "without a display" "/TEMP=D:\\ /TEMP=D:\\ /WDEBUG=1"
e2e_check "the status line showed \"VELDRAK found\"" grep -qF "VELDRAK found" "$E2E_LOG"

# On the X display: DOSBox's own window is the host window.
dos_run --
check_dos_job "on a display" "/WIN=VK"

# Two runs in one work directory: each has DOSBox files of its own, and
# the second start clears those of the first, whose run is over.
e2e_check "two runs' DOSBox files are their own (${DOS_TAGS[*]})" \
  [ "${#DOS_TAGS[@]}" -eq 2 -a "${DOS_TAGS[0]}" != "${DOS_TAGS[1]}" -a \
    -f "${E2E_WORK}RZ${DOS_TAGS[1]}.LOG" ]
e2e_check "the next start cleared the first run's DOSBox files" \
  [ ! -e "${E2E_WORK}RZ${DOS_TAGS[0]}.LOG" -a ! -e "${E2E_WORK}RZ${DOS_TAGS[0]}.CNF" ]

# PIFs as users have them, naming the program by a path of the machine they
# were made on (whose C: directory is the host's directory here), or by a
# name in the start directory, with parameters of their own.
#   what | program in the PIF | start directory | the program's copy | outcome
pif_cases=(
  "a name in its start directory|DOSHOST.EXE|C:\\PROG|PROG/DOSHOST.EXE|prints"
  "an absolute DOS path|C:\\VELDRAK\\VELDRAK.EXE|C:\\VELDRAK||prints"
  "a program that is not there|C:\\VELDRAK\\MISSING.EXE|C:\\VELDRAK||refused"
)
for pif_case in "${pif_cases[@]}"; do
  IFS='|' read -r what program directory copy outcome <<<"$pif_case"
  if [ -n "$copy" ]; then
    mkdir -p "$(dirname "$E2E_HOST_DIR/$copy")"
    cp "$DOS_HOST" "$E2E_HOST_DIR/$copy"
  fi
  python3 - "$E2E_HOST_DIR/VELDRAK.PIF" "$program" "$directory" <<'PY'
import sys
pif = bytearray(0x171)
def put(at, size, text, pad=b"\0"):
    pif[at:at + size] = text.ljust(size, pad)[:size]
put(0x02, 30, b"VELDRAK by PIF", b" ")
put(0x24, 63, sys.argv[2].encode())
put(0x65, 64, sys.argv[3].encode())
put(0xA5, 64, b"/FROM=PIF", b" ")
pif[0x63] = 0x00  # asks to keep the window open; the emulator ends all the same
open(sys.argv[1], "wb").write(pif)
PY
  rm -f "$E2E_WORK"RZ*
  dos_run -u DISPLAY -u WAYLAND_DISPLAY --
  if [ "$outcome" = prints ]; then
    check_dos_job "a PIF naming $what" "/FROM=PIF /WIN=VK"
  else
    e2e_check "a PIF naming $what: exit code 7" [ "$E2E_STATUS" -eq 7 ]
    e2e_check "a PIF naming $what: the message says so" grep -qF "$program, which is not in" "$E2E_LOG"
    e2e_check "a PIF naming $what: DOSBox was not started" \
      [ -z "$(find "$E2E_WORK" -maxdepth 1 -name 'RZ*' -print -quit)" ]
  fi
  rm -rf "$E2E_HOST_DIR/VELDRAK.PIF" "$E2E_HOST_DIR/PROG"
done

# Arguments that DOSBox's shell would act on: a redirection would create a
# file in the host's directory, a variable would be put in.
for argument in '/A>OUT.TXT' '/P=%PATH%'; do
  find "$E2E_HOST_DIR" -iname 'OUT.TXT' -delete
  dos_run -u DISPLAY -u WAYLAND_DISPLAY -- "$argument"
  e2e_check "argument $argument: exit code 7" [ "$E2E_STATUS" -eq 7 ]
  e2e_check "argument $argument: the message says why" \
    grep -q "DOSBox's command shell would act on" "$E2E_LOG"
  e2e_check "argument $argument: no file was made in the host directory" \
    [ -z "$(find "$E2E_HOST_DIR" -iname 'OUT.TXT' -print -quit)" ]
done

# DOSBox missing, and a DOSBox that says it cannot start and ends at once
# (with exit status 0, as DOSBox does): the start-failure message and exit
# code 7, with nothing left running; never a host window found in passing.
no_dosbox_left() {
  ! pgrep -f -- "$E2E_HOST_DIR" >/dev/null
}
# The run writes the driver file anew, so it is the run's own to delete (one
# that an earlier run wrote might be in use).
rm -f "${E2E_WORK}RIZARODE.TMP"
dos_run -u DISPLAY -u WAYLAND_DISPLAY RIZARODE_DOSBOX=/nonexistent/dosbox --
e2e_check "DOSBox missing: exit code 7" [ "$E2E_STATUS" -eq 7 ]
# Without a language directory the run speaks Dutch, and only Dutch.
e2e_check "DOSBox missing: the box says the host needs DOSBox, where it looked, how to get it" \
  grep -qzF "DOSBox is niet gevonden.

Gezocht in:
\$RIZARODE_DOSBOX = /nonexistent/dosbox

Installeer DOSBox, op Debian met:
    sudo apt install dosbox" "$E2E_LOG"
no_start_failure_text() { ! grep -q "kan niet worden gevonden" "$E2E_LOG"; }
e2e_check "DOSBox missing: not the start-failure message" no_start_failure_text
e2e_check "DOSBox missing: the driver file is deleted" [ ! -e "${E2E_WORK}RIZARODE.TMP" ]
e2e_check "DOSBox missing: nothing is left running" no_dosbox_left

quitter="$E2E_HOME/dosbox-quits"
printf '#!/bin/sh\necho "Exit to error: Cannot init SDL"\n' >"$quitter"
chmod +x "$quitter"
dos_run -u DISPLAY -u WAYLAND_DISPLAY RIZARODE_DOSBOX="$quitter" --
e2e_check "DOSBox ending at once: exit code 7" [ "$E2E_STATUS" -eq 7 ]
e2e_check "DOSBox ending at once: the message quotes its error" \
  grep -q "Exit to error: Cannot init SDL" "$E2E_LOG"

# A command tail longer than DOS takes.
dos_run -u DISPLAY -u WAYLAND_DISPLAY -- "/note=$(printf 'x%.0s' $(seq 1 100))"
e2e_check "a command tail too long for DOS: exit code 7" [ "$E2E_STATUS" -eq 7 ]
e2e_check "a command tail too long for DOS: the message says so" grep -q "DOS allows 126" "$E2E_LOG"
e2e_check "nothing is left running" no_dosbox_left

e2e_finish
