#!/usr/bin/env bash
# One host per host directory, on Windows (under Wine): two starts of
# rizarode.exe at the same moment in one host directory give one host; the
# other start says in a box that VELDRAK is already running and ends with
# exit code 9. The lock lies in the user's local application data. A run
# killed while its host lives on still keeps a second host away; once the
# host has ended too, a start is a run as any other.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

e2e_wine_require_display "$@"
e2e_require_pdf_queue
e2e_wine_prepare_host_dir
rm -rf "$E2E_HOST_DIR/NL"
mkdir -p "$E2E_HOST_DIR/GB"
: >"$E2E_HOST_DIR/GB/VELDRAK.TXT"
e2e_wine_prefix

# The hosts started in this test's host directory (Wine's processes run in
# the Unix directory of their current one).
host_pids() {
  local p
  for p in $(pgrep -f 'VELDRAK\.EXE /WIN=' || true); do
    [ "$(readlink "/proc/$p/cwd" 2>/dev/null)" != "$E2E_HOST_DIR" ] || echo "$p"
  done
}

host_count() { host_pids | wc -l; }

# Output to $1, the process id (of timeout, whose only child is the Wine
# process of rizarode.exe) into $2; the rest are NAME=value words.
start_run() {
  local log="$1" var="$2"
  shift 2
  (
    cd "$E2E_HOST_DIR"
    exec env VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=1 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=6 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
      VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE" "$@" timeout 180 wine rizarode.exe </dev/null
  ) >"$log" 2>&1 &
  printf -v "$var" '%s' "$!"
}

BOX="$E2E_HOME/box.txt"
wine "$E2E_BUILD/tests/answer_message_box.exe" 150 >"$BOX" 2>/dev/null &
answerer=$!
counts="$E2E_HOME/counts"
(while :; do host_count >>"$counts"; sleep 0.2; done) &
sampler=$!
start_run "$E2E_LOG.1" pid1
start_run "$E2E_LOG.2" pid2
set +e
wait "$pid1"
status1=$?
wait "$pid2"
status2=$?
set -e
kill "$sampler" 2>/dev/null || true
wait "$answerer" 2>/dev/null || true
cat "$E2E_LOG.1" "$E2E_LOG.2" >"$E2E_LOG"
rm -f "$E2E_LOG.1" "$E2E_LOG.2"
sed -i 's/\r$//' "$BOX"
echo "the box: $(cat "$BOX")"
most="$(sort -n "$counts" | tail -1)"
echo "exit codes $status1 and $status2; at most $most host process(es) at a time"
e2e_check "one start ended with 0, the other with 9" \
  [ "$(printf '%s\n' "$status1" "$status2" | sort | paste -sd,)" = "0,9" ]
e2e_check "never more than one host process (most: $most)" [ "$most" = 1 ]
e2e_check "the box is titled after the program" grep -qix "rizarode" "$BOX"
e2e_check "it says in the host's language (English) that VELDRAK is already running" \
  grep -q "^VELDRAK is already running, started from||.*||A second VELDRAK is not started" "$BOX"
e2e_check "and that the running one was brought to the front" \
  grep -q "VELDRAK's window has been brought to the front" "$BOX"
lock="$(find "$WINEPREFIX/drive_c/users" -name 'HOST*.LCK' -path '*RIZARODE*' -print -quit)"
e2e_check "the lock lies in the user's local application data (${lock#"$WINEPREFIX"/})" \
  [ -n "$lock" ]

# --- A run killed while its host lives on -------------------------------------
start_run "$E2E_LOG.1" pid1 VELDRAK_DEMO_START_DELAY=120
for _ in $(seq 1 600); do [ "$(host_count)" = 1 ] && break; sleep 0.1; done
# The run has found the host's window and left word of it.
sleep 2
e2e_check "the first run's host is running" [ "$(host_count)" = 1 ]
program="$(pgrep -P "$pid1" || true)"
[ -z "$program" ] || kill -KILL "$program"
wait "$pid1" 2>/dev/null || true
wine "$E2E_BUILD/tests/answer_message_box.exe" 90 >"$BOX" 2>/dev/null &
answerer=$!
: >"$counts"
(while :; do host_count >>"$counts"; sleep 0.2; done) &
sampler=$!
start_run "$E2E_LOG.2" pid2
status2=0
wait "$pid2" || status2=$?
kill "$sampler" 2>/dev/null || true
# A start that ends at once may end before the first sample.
host_count >>"$counts"
wait "$answerer" 2>/dev/null || true
sed -i 's/\r$//' "$BOX"
most="$(sort -n "$counts" | tail -1)"
cat "$E2E_LOG.1" "$E2E_LOG.2" >>"$E2E_LOG"
e2e_check_host_outlives_run "$status2" "$most" "$BOX" "VELDRAK's window has been brought to the front"
start_run "$E2E_LOG.3" pid3
status3=0
wait "$pid3" || status3=$?
cat "$E2E_LOG.3" >>"$E2E_LOG"
rm -f "$E2E_LOG.1" "$E2E_LOG.2" "$E2E_LOG.3"
e2e_check "once the host has ended too, a start ends by itself with 0 (got $status3)" \
  [ "$status3" -eq 0 ]
e2e_finish
