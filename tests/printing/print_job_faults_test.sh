#!/usr/bin/env bash
# Print jobs that must not be lost, each case with the real program and a
# stand-in host (a script that writes print files as the host does) on the
# terminal desktop, without a print scheduler, so that jobs become PDF
# files in ~/PDF/.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

# The stand-in host: writes the jobs that FAULT_CASE asks for under its
# /WIN= name in its /TEMP= directory, each kept open while it is written,
# then waits for the flag file FAULT_DONE (when set) and ends.
write_host() {
  e2e_write_script_host "$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
# Time for the program to find this host before it may end.
sleep 4
case "$FAULT_CASE" in
  rewrite)
    # A long job, and the next one written under the same name while the
    # first one prints.
    exec 3>"$job"
    for ((i = 0; i < 20000; i++)); do printf 'first job line %d\r\n' "$i" >&3; done
    printf 'first job ends here\r\n#form##JOBend#\r\n' >&3
    exec 3>&-
    sleep 1.6
    exec 3>"$job"
    printf 'second job whole\r\n#form##JOBend#\r\n' >&3
    exec 3>&-
    sleep 0.2
    ;;
  open-document)
    # No closing form feed: the document stays open in the printer.
    printf 'an open document\r\n' >"$job"
    ;;
  *)
    printf 'job of %s\r\n#form##JOBend#\r\n' "$FAULT_CASE" >"$job"
    ;;
esac
wait_for_done
HOST
}

# Starts rizarode in the background with FAULT_CASE=$1 and more settings.
start_rizarode() {
  local case="$1"
  FAULT_RUN="$case"
  shift
  e2e_start_program "$@" FAULT_CASE="$case"
}

finish_rizarode() {
  e2e_finish_program
  cp "$E2E_LOG" "/tmp/faults-$FAULT_RUN.log"
}

work_left() { find "$E2E_WORK" -maxdepth 1 -name 'VK*' -print; }

new_run() {
  e2e_new_case
  write_host
}

# The host writes its next job while the one before it prints: both print
# whole, and nothing is left in the work directory.
new_run
start_rizarode rewrite
finish_rizarode
text="$(e2e_all_pdf_text "$E2E_HOME/PDF")"
e2e_check "rewrite: the program ended normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "rewrite: two documents" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 2 ]
e2e_check "rewrite: the first job printed to its end" e2e_text_has "$text" "first job ends here"
e2e_check "rewrite: the first job printed from its start" e2e_text_has "$text" "first job line 0"
e2e_check "rewrite: the second job printed" e2e_text_has "$text" "second job whole"
e2e_check "rewrite: no print file left" [ -z "$(work_left)" ]

# The host ends right after closing its last job: the job is printed before
# the program ends.
new_run
start_rizarode last-job
finish_rizarode
e2e_check "last job: the program ended normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "last job: printed" e2e_text_has "$(e2e_all_pdf_text "$E2E_HOME/PDF")" "job of last-job"
e2e_check "last job: no print file left" [ -z "$(work_left)" ]

# ~/PDF cannot be made: the job is kept, the status says why, the program
# runs on with its host, and prints the job once the directory can be made.
new_run
: >"$E2E_HOME/PDF"
start_rizarode no-pdf-directory FAULT_DONE="$E2E_HOME/done"
e2e_check "no ~/PDF: the status says the job was not printed" \
  e2e_wait_for_log 120 "Print job not printed"
e2e_check "no ~/PDF: the job is kept" [ -n "$(work_left)" ]
rm "$E2E_HOME/PDF"
for ((i = 0; i < 600 && $(e2e_pdf_count "$E2E_HOME/PDF") == 0; i++)); do sleep 0.2; done
touch "$E2E_HOME/done"
finish_rizarode
e2e_check "no ~/PDF: the program ran on and ended normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "no ~/PDF: printed once the directory could be made" \
  e2e_text_has "$(e2e_all_pdf_text "$E2E_HOME/PDF")" "job of no-pdf-directory"
e2e_check "no ~/PDF: no print file left" [ -z "$(work_left)" ]

# ~/PDF on a full file system: no partial PDF, the job kept and printed once
# there is room.
if [ "$(id -u)" -eq 0 ]; then
  new_run
  mkdir "$E2E_HOME/PDF"
  if mount -t tmpfs -o size=128k tmpfs "$E2E_HOME/PDF"; then
    dd if=/dev/zero of="$E2E_HOME/PDF/filler" bs=4k 2>/dev/null || true
    start_rizarode full-disk FAULT_DONE="$E2E_HOME/done"
    e2e_check "full disk: the status says the job was not printed" \
      e2e_wait_for_log 120 "Print job not printed"
    e2e_check "full disk: the job is kept" [ -n "$(work_left)" ]
    e2e_check "full disk: no partial PDF" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 0 ]
    rm "$E2E_HOME/PDF/filler"
    for ((i = 0; i < 600 && $(e2e_pdf_count "$E2E_HOME/PDF") == 0; i++)); do sleep 0.2; done
    touch "$E2E_HOME/done"
    finish_rizarode
    e2e_check "full disk: printed once there was room" \
      e2e_text_has "$(e2e_all_pdf_text "$E2E_HOME/PDF")" "job of full-disk"
    e2e_check "full disk: no print file left" [ -z "$(work_left)" ]
    umount "$E2E_HOME/PDF"
  else
    e2e_fail "full disk: cannot mount a small file system"
  fi
else
  echo "skipped: the full disk case needs root to mount a small file system"
fi

# A scheduler that listens on its socket alone, named by CUPS_SERVER: the
# job goes to it, the scheduler the destination came from, and is not kept
# as unsent.
if [ "$(id -u)" -eq 0 ] && command -v cupsd >/dev/null 2>&1; then
  new_run
  e2e_start_scheduler RizaRodeSocketOnly
  E2E_CUPS_SERVER="$E2E_SCHED/cups.sock" start_rizarode socket-scheduler FAULT_DONE="$E2E_HOME/done"
  e2e_wait_for_log 120 "Printing ended" || true
  for ((i = 0; i < 100; i++)); do
    lpstat -h "$E2E_SCHED/cups.sock" -W all -o RizaRodeSocketOnly 2>/dev/null | grep -q . && break
    sleep 0.2
  done
  touch "$E2E_HOME/done"
  finish_rizarode
  e2e_check "socket scheduler: the job reached it" \
    grep -q . <(lpstat -h "$E2E_SCHED/cups.sock" -W all -o RizaRodeSocketOnly 2>/dev/null)
  e2e_check "socket scheduler: nothing kept as unsent" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 0 ]
  e2e_stop_scheduler
else
  echo "skipped: the socket scheduler case needs root and cupsd"
fi

# Killed with a document open: no PDF file appears, not even an empty one.
new_run
start_rizarode open-document FAULT_DONE="$E2E_HOME/done"
e2e_check "killed: the document was started" e2e_wait_for_log 120 "Printing ended"
# $E2E_PID is the timeout command; rizarode is its only child.
for child in $(pgrep -P "$E2E_PID"); do kill -KILL "$child"; done
touch "$E2E_HOME/done"
finish_rizarode
e2e_check "killed: no PDF file under a final name" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 0 ]

e2e_finish
