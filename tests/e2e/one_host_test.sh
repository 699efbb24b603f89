#!/usr/bin/env bash
# One host per host directory: of two starts at the same moment in one host
# directory (a double-click that landed twice) exactly one starts the host;
# the other tells, in the host's language, that VELDRAK is already running
# and ends with exit code 9. A run that was killed blocks no later start.
. "$(dirname "$0")/e2e_lib.sh"

e2e_prepare_host_dir
rm -rf "$E2E_HOST_DIR/NL"
mkdir -p "$E2E_HOST_DIR/D"
: >"$E2E_HOST_DIR/D/VELDRAK.TXT"
SAMPLER=""
cleanup_one_host() {
  [ -z "$SAMPLER" ] || kill "$SAMPLER" 2>/dev/null || true
  rm -f "$E2E_HOST_DIR.link" "$E2E_HOST_DIR.counts"
  e2e_cleanup
}
trap cleanup_one_host EXIT

# Starts rizarode in the host directory (reached by the path $RUN_FROM, when
# set) on the terminal desktop; output to $1, the process id (of timeout,
# whose only child it is) into $2.
start_run() {
  local log="$1" var="$2"
  shift 2
  (
    cd "${RUN_FROM:-$E2E_HOST_DIR}"
    exec env -u TMP -u DISPLAY -u WAYLAND_DISPLAY \
      HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
      VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=1 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=4 VELDRAK_DEMO_CONSUME_TIMEOUT=60 "$@" \
      timeout 120 "$E2E_PROGRAM" </dev/null
  ) >"$log" 2>&1 &
  printf -v "$var" '%s' "$!"
}

# The processes of this test's host: the demo program of its host directory.
host_pids() {
  local p
  for p in $(pgrep -f VELDRAK || true); do
    [ "$(readlink "/proc/$p/exe" 2>/dev/null)" != "$E2E_HOST_DIR/VELDRAK.EXE" ] || echo "$p"
  done
}

host_count() { host_pids | wc -l; }

# Writes the number of host processes every tenth of a second into $1.
sample_hosts() {
  while :; do host_count >>"$1"; sleep 0.1; done &
  SAMPLER=$!
}

stop_sampling() {
  kill "$SAMPLER" 2>/dev/null || true
  wait "$SAMPLER" 2>/dev/null || true
  SAMPLER=""
}

# --- Two starts at the same moment -----------------------------------------
# One of them through a symbolic link to the host directory: the same
# directory all the same.
counts="$E2E_HOST_DIR.counts"
ln -s "$E2E_HOST_DIR" "$E2E_HOST_DIR.link"
sample_hosts "$counts"
start_run "$E2E_LOG.1" pid1 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE"
RUN_FROM="$E2E_HOST_DIR.link" start_run "$E2E_LOG.2" pid2 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE"
set +e
wait "$pid1"
status1=$?
wait "$pid2"
status2=$?
set -e
stop_sampling
cat "$E2E_LOG.1" "$E2E_LOG.2" >"$E2E_LOG"
most="$(sort -n "$counts" | tail -1)"
echo "exit codes $status1 and $status2; at most $most host process(es) at a time"
second="$E2E_LOG.2"
[ "$status1" -ne 9 ] || second="$E2E_LOG.1"
e2e_check "one start ended with 0, the other with 9" \
  [ "$(printf '%s\n' "$status1" "$status2" | sort | paste -sd,)" = "0,9" ]
e2e_check "never more than one host process (most: $most)" [ "$most" = 1 ]
e2e_check "the second start says so in the host's language (German)" \
  grep -q "VELDRAK läuft bereits, gestartet aus" "$second"
e2e_check "it names the host directory" grep -qxF "$E2E_HOST_DIR" "$second"
e2e_check "and the running host, which it brought to the front" \
  grep -q "Das Fenster von VELDRAK ist jetzt vorne" "$second"
mapfile -t pdfs < <(e2e_own_pdfs "$E2E_HOME/PDF")
e2e_check "the one host's two jobs were printed, once (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 2 ]
rm -f "$E2E_LOG.1" "$E2E_LOG.2" "$counts" "$E2E_HOST_DIR.link"

# --- A run that was killed ---------------------------------------------------
# Its host waits long before its first job. The run alone is killed once the
# host runs: the host, which still works on the family data, keeps the lock,
# and a second start starts no second host. Then the host is killed too; the
# next start is a run as any other.
start_run "$E2E_LOG.1" pid1 VELDRAK_DEMO_START_DELAY=60 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-killed"
for _ in $(seq 1 300); do [ "$(host_count)" = 1 ] && break; sleep 0.1; done
sleep 1
program="$(pgrep -P "$pid1" || true)"
e2e_check "the first run's host is running" [ "$(host_count)" = 1 ]
# Of rizarode's descriptors the host holds the lock alone, beside the three
# standard ones it was given.
host="$(host_pids | head -1)"
held="$(cd "/proc/$host/fd" && for fd in *; do [ "$fd" -le 2 ] || readlink "$fd"; done)"
e2e_check "the host holds the lock and no other descriptor of rizarode's ($held)" \
  [ "$held" = "$(find "$E2E_HOME/.cache/rizarode-hosts" -name 'HOST*.LCK')" ]
[ -z "$program" ] || kill -KILL "$program"
wait "$pid1" 2>/dev/null || true
counts="$E2E_HOST_DIR.counts"
sample_hosts "$counts"
start_run "$E2E_LOG.2" pid2 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-second"
status2=0
wait "$pid2" || status2=$?
stop_sampling
# A start that ends at once may end before the first sample.
host_count >>"$counts"
most="$(sort -n "$counts" | tail -1)"
cat "$E2E_LOG.1" "$E2E_LOG.2" >>"$E2E_LOG"
e2e_check_host_outlives_run "$status2" "$most" "$E2E_LOG.2" "Das Fenster von VELDRAK ist jetzt vorne"
rm -f "$E2E_LOG.1" "$E2E_LOG.2" "$counts"
start_run "$E2E_LOG.2" pid2 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-after"
status2=0
wait "$pid2" || status2=$?
cat "$E2E_LOG.2" >>"$E2E_LOG"
mapfile -t pdfs < <(e2e_own_pdfs "$E2E_HOME/PDF" "$E2E_REFERENCE-after")
e2e_check "after a killed run, the next start ends by itself with 0 (got $status2)" [ "$status2" -eq 0 ]
e2e_check "and prints its host's two jobs (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 2 ]
rm -f "$E2E_LOG.2"
e2e_finish
