#!/usr/bin/env bash
# Jobs that a run cannot print before it ends, and what the next start does
# with them: each case runs the real program with a stand-in host on the
# terminal desktop, without a print scheduler (jobs become PDF files in
# ~/PDF/), ends or kills it, and then starts it again in the same work
# directory. Every job's text must come out once, and nothing but the
# driver file may stay behind.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

# The stand-in host, by FAULT_CASE:
#   open      a job without a closing form feed (its document stays open),
#             then waits for FAULT_DONE
#   kept      a whole job, then ends
#   hangup    a whole job, then tells its program to end (SIGTERM) at once
#   cut       half a job, then dies while writing it
#   frozen    a whole job a few seconds later, then waits for FAULT_DONE
#   link      a symbolic link at its print file's name, then ends
#   idle      no job; ends after a while
write_host() {
  e2e_write_script_host "$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
sleep 3
case "$FAULT_CASE" in
  open) printf 'text of an open document\r\n#form#\r\n#JOBend#\r\n' >"$job" ;;
  kept) printf 'text of a kept job\r\n#form##JOBend#\r\n' >"$job" ;;
  frozen) sleep 3; printf 'text for a frozen scheduler\r\n#form##JOBend#\r\n' >"$job" ;;
  hangup)
    printf 'text before the hangup\r\n#form##JOBend#\r\n' >"$job"
    kill -TERM "$PPID"
    ;;
  cut)
    exec 3>"$job"
    printf 'text of a job cut short\r\n#BOLD#half' >&3
    kill -KILL $$
    ;;
  link) ln -s "$PWD/VELDRAK.EXE" "$job"; sleep 2 ;;
  idle) sleep 5 ;;
esac
wait_for_done
HOST
}

# Starts rizarode in the background with FAULT_CASE=$1 and more settings.
start_rizarode() {
  local case="$1"
  shift
  e2e_start_program "$@" FAULT_CASE="$case"
}

# A run of the idle host in the same work directory: it prints what the
# run before left.
restart() {
  start_rizarode idle "$@"
  e2e_finish_program
}

# How often the text came out, over all PDF files.
times_printed() { e2e_all_pdf_text "$E2E_HOME/PDF" | grep -cF -- "$1" || true; }
# Everything in the work directory but the driver file.
work_left() { find "$E2E_WORK" -mindepth 1 -maxdepth 1 ! -name RIZARODE.TMP -printf '%f\n'; }
partial_pdfs() { find "$E2E_HOME/PDF" -maxdepth 1 -name '.RIZARODE-*.part' 2>/dev/null; }

new_run() {
  e2e_new_case
  write_host
}

# Killed while a job's document is still open (no closing form feed):
# the job's file stays, the half-written PDF goes, and the next start
# prints the job once. The killed run's own files (the DOS emulator's, a
# driver file not yet in place) are no print files, and go with the run.
new_run
start_rizarode open FAULT_DONE="$E2E_HOME/done"
e2e_wait_for_log 60 "Printing ended" || true
hosts="$(for child in $(pgrep -P "$E2E_PID"); do pgrep -P "$child"; done)"
for child in $(pgrep -P "$E2E_PID"); do kill -KILL "$child"; done
touch "$E2E_HOME/done"
e2e_finish_program
# The host keeps its directory's one-host lock while it lives: the next
# start comes once it has ended.
e2e_wait_gone $hosts
e2e_check "killed: the job's file is kept" grep -q '^VK' <(work_left)
e2e_check "killed: a half-written PDF is left" grep -q . <(partial_pdfs)
killed="$(work_left | sed -n 's/^VK\([0-9A-F]\{6\}\)\..*/\1/p' | head -1)"
for own in "RZ$killed.CNF" "RZ$killed.LOG" "RZ$killed.LNG" "RIZARODE.TMP.VK$killed"; do
  printf 'emulator file\r\n#form##JOBend#\r\n' >"$E2E_WORK$own"
done
restart
e2e_check "killed: the next start ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "killed: the next start prints the job once" [ "$(times_printed "text of an open document")" -eq 1 ]
e2e_check "killed: the half-written PDF is cleared" [ -z "$(partial_pdfs)" ]
e2e_check "killed: the run's own files are no print jobs" [ "$(times_printed emulator)" -eq 0 ]
e2e_check "killed: nothing is left, the run's own files neither" [ -z "$(work_left)" ]

# ~/PDF cannot be made until the host has ended: the job is kept, the
# user is told where and that the next start prints it, and it does.
new_run
: >"$E2E_HOME/PDF"
start_rizarode kept
e2e_finish_program
e2e_check "kept: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "kept: the user is told" grep -qF "zodra het programma weer start" "$E2E_LOG"
e2e_check "kept: and why, in the system's words" grep -qF "Oorzaak: cannot create a PDF file in $E2E_HOME/PDF: " "$E2E_LOG"
e2e_check "kept: the job's file is kept" grep -q '^VK' <(work_left)
rm "$E2E_HOME/PDF"
restart
e2e_check "kept: the next start prints it once" [ "$(times_printed "text of a kept job")" -eq 1 ]
e2e_check "kept: nothing is left" [ -z "$(work_left)" ]

# The work directory turns unwritable while a job's document is open: once
# the document has gone out its file can be neither deleted nor set aside.
# The user is told where it stays, and the next start, with the directory
# writable again, removes it without printing it a second time.
# Root may write in any directory: for root it is mounted read-only over
# itself, which leaves the files the run already has open as they were.
unwritable() {
  if [ "$(id -u)" -eq 0 ]; then
    mount --bind "$1" "$1" && mount -o remount,ro,bind "$1"
  else
    chmod 555 "$1"
  fi
}
writable() {
  if [ "$(id -u)" -eq 0 ]; then umount "$1"; else chmod 755 "$1"; fi
}
new_run
start_rizarode open FAULT_DONE="$E2E_HOME/done"
e2e_wait_for_log 60 "Printing ended" || true
unwritable "${E2E_WORK%/}"
touch "$E2E_HOME/done"
e2e_finish_program
writable "${E2E_WORK%/}"
e2e_check "unwritable: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "unwritable: printed once" [ "$(times_printed "text of an open document")" -eq 1 ]
e2e_check "unwritable: the user is told that the file stays, and where" \
  grep -qF "kon niet worden verwijderd:" "$E2E_LOG"
e2e_check "unwritable: ... naming it" grep -qF "${E2E_WORK}VK" "$E2E_LOG"
restart
e2e_check "unwritable: the next start does not print it again" \
  [ "$(times_printed "text of an open document")" -eq 1 ]
e2e_check "unwritable: nothing is left" [ -z "$(work_left)" ]

# A link at the print file's name is not printed, and is no job kept for
# the next start either.
new_run
start_rizarode link
e2e_finish_program
e2e_check "link: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "link: not printed" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 0 ]
e2e_check "link: no job is said to be kept" e2e_log_lacks "zodra het programma weer start"

# SIGTERM right after the host closed a whole job: the job still goes out,
# and the run ends as at the session's end.
new_run
start_rizarode hangup
e2e_finish_program
e2e_check "hangup: exit code of the session's end" [ "$E2E_STATUS" -eq 8 ]
e2e_check "hangup: the job printed before the end" [ "$(times_printed "text before the hangup")" -eq 1 ]
e2e_check "hangup: nothing is left" [ -z "$(work_left)" ]

# The host dies while writing: the part it wrote is not printed, neither
# now nor by the next start; it is kept under a name that says so, and the
# user is told.
new_run
start_rizarode cut
e2e_finish_program
e2e_check "cut: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "cut: not printed" [ "$(times_printed "job cut short")" -eq 0 ]
e2e_check "cut: the user is told" grep -qF "onvolledige afdruk" "$E2E_LOG"
restart
e2e_check "cut: not printed by the next start" [ "$(times_printed "job cut short")" -eq 0 ]
e2e_check "cut: kept under a name that says so" grep -q -- '-CUT\.TXT$' <(work_left)
e2e_check "cut: nothing else is left" [ "$(work_left | grep -vc -- '-CUT\.TXT$')" -eq 0 ]

# A scheduler that stops answering while a job goes to it: after the
# transfer's time-out the job is saved as unsent, and the reason says that
# the scheduler did not answer.
if [ "$(id -u)" -eq 0 ] && command -v cupsd >/dev/null 2>&1; then
  new_run
  e2e_start_scheduler RizaRodeFrozen
  E2E_CUPS_SERVER="$E2E_SCHED/cups.sock" start_rizarode frozen FAULT_DONE="$E2E_HOME/done"
  e2e_wait_for_log 60 "VELDRAK found" || true
  kill -STOP "$E2E_SCHED_PID"
  e2e_wait_for_log 150 "saved as" || true
  kill -CONT "$E2E_SCHED_PID"
  touch "$E2E_HOME/done"
  e2e_finish_program
  e2e_check "frozen scheduler: the job is saved as unsent" grep -q RIZARODE-unsent <(ls "$E2E_HOME/PDF")
  e2e_check "frozen scheduler: the reason says the scheduler did not answer" \
    grep -qF "the scheduler did not answer within 60 s" "$E2E_LOG"
  e2e_stop_scheduler
else
  echo "skipped: the frozen scheduler case needs root and cupsd"
fi

e2e_finish
