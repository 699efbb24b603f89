#!/usr/bin/env bash
# A print scheduler that takes jobs and then fails them: each case runs the
# real program with a stand-in host on the terminal desktop against a
# scheduler of the test's own. A job counts as printed only when the
# scheduler confirmed it; every job comes out exactly once, either in the
# scheduler's queue or as an unsent PDF file in ~/PDF, never in both; and a
# scheduler that fell silent is waited for once, not once per job.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null 2>&1; then
  echo "skipped: needs root and cupsd for a scheduler of its own"
  exit 0
fi

PROXY_PID=""
cleanup_scheduler_faults() {
  [ -z "$PROXY_PID" ] || kill "$PROXY_PID" 2>/dev/null || true
  [ -z "${E2E_SCHED_PID:-}" ] || e2e_stop_scheduler
  e2e_cleanup
}
trap cleanup_scheduler_faults EXIT

# The stand-in host, by FAULT_CASE:
#   idle   no job of its own; ends after a few seconds, noting when
#   wait   no job of its own; waits for FAULT_DONE
#   feeds  one job of three pages, the middle one from the manual feed
write_host() {
  e2e_write_script_host "$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
sleep 3
case "$FAULT_CASE" in
  idle) sleep 2; date +%s.%N >"$HOME/host-ended" ;;
  feeds)
    printf '#FORM-P009#page one of feeds\r\n#form##FORM-p009#page two of feeds\r\n#form##FORM-P009#page three of feeds\r\n#form##JOBend#\r\n' >"$job"
    ;;
esac
wait_for_done
HOST
}

new_run() {
  e2e_new_case
  write_host
}

# Five jobs that a run which is over left in the work directory: the next
# start prints them all in its first pass.
plant_five_jobs() {
  local n
  for n in 1 2 3 4 5; do
    printf 'left job number %d\r\n#form##JOBend#\r\n' "$n" >"${E2E_WORK}VK00DEAD.00$n"
  done
}

times_printed() { e2e_all_pdf_text "$E2E_HOME/PDF" | grep -cF -- "$1" || true; }
unsent_pdfs() { find "$E2E_HOME/PDF" -maxdepth 1 -name 'RIZARODE-unsent-*.pdf' 2>/dev/null | wc -l; }
queued() { lpstat -h "$E2E_SCHED/cups.sock" -W not-completed -o 2>/dev/null; }
work_left() { find "$E2E_WORK" -maxdepth 1 -name 'VK*' -printf '%f\n'; }
now() { date +%s.%N; }
seconds_since() { echo "$1" | awk -v end="$(now)" '{ printf "%.1f", end - $1 }'; }

# The scheduler behind a proxy that forwards the first 2,500 bytes of each
# connection and swallows the rest: the job is accepted, its document never
# answered.
start_swallowing_scheduler() {
  e2e_start_scheduler RizaRodeSilent
  exec {proxy_out}< <(exec /usr/bin/python3 "$E2E_SRC/tests/printing/data/swallowing_proxy.py" \
    "$E2E_SCHED/cups.sock" 2500)
  PROXY_PID=$!
  read -r -u "$proxy_out" port
  E2E_CUPS_SERVER="127.0.0.1:$port"
}

stop_swallowing_scheduler() {
  kill "$PROXY_PID" 2>/dev/null || true
  PROXY_PID=""
  e2e_stop_scheduler
  E2E_SCHED_PID=""
}

check_five_jobs_saved() {
  local how="$1" n
  for n in 1 2 3 4 5; do
    e2e_check "$how: job $n saved as unsent, once" [ "$(times_printed "left job number $n")" -eq 1 ]
  done
  e2e_check "$how: five unsent PDF files" [ "$(unsent_pdfs)" -eq 5 ]
  e2e_check "$how: nothing of them waits in the scheduler" [ -z "$(queued)" ]
  e2e_check "$how: no print file left" [ -z "$(work_left)" ]
  e2e_check "$how: the scheduler was waited for once" \
    [ "$(grep -c "did not answer within 60 s; the document was saved" "$E2E_LOG")" -ge 1 ]
  e2e_check "$how: ... the later jobs went straight to their files" \
    grep -qF "did not answer within 60 s before; not waited for again; the document was saved" "$E2E_LOG"
}

# A scheduler that accepts each job and never answers its document: the
# first job waits out the time-out, is cancelled in the scheduler and saved
# as unsent; the four after it go straight to their files; the run ends
# soon after its host.
new_run
plant_five_jobs
start_swallowing_scheduler
e2e_start_program FAULT_CASE=idle
e2e_finish_program
echo "measured: the run ended $(seconds_since "$(cat "$E2E_HOME/host-ended" 2>/dev/null)") s after its host"
e2e_check "silent: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
check_five_jobs_saved silent
stop_swallowing_scheduler

# The same, and the session ends (SIGTERM) while the first job waits: no
# new wait starts, the jobs are saved, and the run ends as at the session's
# end.
new_run
plant_five_jobs
start_swallowing_scheduler
e2e_start_program FAULT_CASE=wait FAULT_DONE="$E2E_HOME/done"
e2e_wait_for_log 60 "Printing started" || true
term_sent="$(now)"
kill -TERM "$(pgrep -P "$E2E_PID")"
e2e_finish_program
echo "measured: the run ended $(seconds_since "$term_sent") s after SIGTERM"
touch "$E2E_HOME/done"
e2e_check "SIGTERM: the run ends as at the session's end (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 8 ]
check_five_jobs_saved SIGTERM
stop_swallowing_scheduler

# A document whose pages come from two feeds goes out as three jobs, to a
# queue whose printer has a manual feed.
start_feeds_scheduler() {
  e2e_start_scheduler RizaRodeFeeds
  sed '/^\*OpenGroup: General/a *OpenUI *InputSlot/Media Source: PickOne\n*OrderDependency: 20 AnySetup *InputSlot\n*DefaultInputSlot: Auto\n*InputSlot Auto/Automatic Selection: ""\n*InputSlot Manual/Manual Feed: ""\n*CloseUI: *InputSlot' \
    /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >"$E2E_SCHED/feeds.ppd"
  lpadmin -h "$E2E_SCHED/cups.sock" -p RizaRodeFeeds -P "$E2E_SCHED/feeds.ppd" 2>/dev/null
}
print_feeds() {
  E2E_CUPS_SERVER="$E2E_SCHED/cups.sock" e2e_start_program FAULT_CASE=feeds FAULT_DONE="$E2E_HOME/done"
  e2e_wait_for_log 60 "$1" || true
  touch "$E2E_HOME/done"
  e2e_finish_program
}

# All three accepted: each prints, none is left held.
new_run
start_feeds_scheduler
print_feeds "Printing ended"
for ((i = 0; i < 100 && $(lpstat -h "$E2E_SCHED/cups.sock" -W completed -o | wc -l) < 3; i++)); do
  sleep 0.2
done
e2e_check "feeds: the driver file offers the manual feed" grep -qF "#FORM-p009#" "${E2E_WORK}RIZARODE.TMP"
e2e_check "feeds: three jobs printed" [ "$(lpstat -h "$E2E_SCHED/cups.sock" -W completed -o | wc -l)" -eq 3 ]
e2e_check "feeds: none waits" [ -z "$(queued)" ]
e2e_check "feeds: nothing saved as unsent" [ "$(unsent_pdfs)" -eq 0 ]
e2e_stop_scheduler

# The scheduler takes one job per user at a time and the queue is stopped,
# so the second part is refused. The document is saved whole as unsent,
# and none of its parts stays in the queue to print when the queue starts
# again.
new_run
E2E_SCHED_CONF="MaxJobsPerUser 1" start_feeds_scheduler
cupsdisable -h "$E2E_SCHED/cups.sock" RizaRodeFeeds
print_feeds "saved as"
e2e_check "feeds: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "feeds: the document is saved as unsent" [ "$(unsent_pdfs)" -eq 1 ]
e2e_check "feeds: all three pages in it" [ "$(times_printed "of feeds")" -eq 3 ]
e2e_check "feeds: no part of it waits in the queue" [ -z "$(queued)" ]
e2e_stop_scheduler
E2E_SCHED_PID=""

e2e_finish
