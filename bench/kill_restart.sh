#!/usr/bin/env bash
# Kills rizarode (SIGKILL) at a random moment of a run whose host writes
# three jobs, starts it again in the same work directory and counts how
# often each job's text came out. Every job must come out exactly once and
# nothing but the driver file may stay in the work directory.
#
#   bash bench/kill_restart.sh [BUILD_DIR] [TRIALS]
#
# The second and third jobs form one document (the second has no closing
# form feed), so a kill can fall between the two files of one document.
# The killed run's host lives on, as it would, and finishes its jobs; the
# next start takes them over.
set -euo pipefail
BUILD="$(cd "${1:-build}" && pwd)"
TRIALS="${2:-20}"
[ -x "$BUILD/rizarode" ] && [ -d "$BUILD/demo-run" ] || {
  echo "build rizarode and demo_run in $BUILD first" >&2
  exit 1
}

# For e2e_write_script_host; this script keeps its own directories and
# clean-up (its trap replaces the library's).
. "$(dirname "$0")/../tests/e2e/e2e_lib.sh" "$BUILD" "$(dirname "$0")/.."

HOST_DIR="" WORK="" HOME_DIR=""
cleanup() {
  local p
  if [ -n "$HOST_DIR" ]; then
    for p in /proc/[0-9]*; do
      [ "$(readlink "$p/exe" 2>/dev/null)" = "$HOST_DIR/VELDRAK.EXE" ] && kill "${p#/proc/}" 2>/dev/null
    done
  fi
  rm -rf "$HOST_DIR" "$WORK" "$HOME_DIR"
  return 0
}
trap cleanup EXIT

write_host() {
  e2e_write_script_host "$HOST_DIR/VELDRAK.EXE" <<'HOST'
sleep 1.5
# Each job is written over a second, and the next waits until the program
# has taken the one before.
write_job() {
  local i
  for ((i = 0; i < 200; i++)); do
    [ -e "$job" ] || break
    sleep 0.1
  done
  exec 3>"$job"
  printf '%s first line\r\n' "$1" >&3
  sleep 0.5
  printf '%s second line\r\n' "$1" >&3
  sleep 0.5
  printf '%s last line\r\n%s\r\n' "$1" "$2" >&3
  exec 3>&-
}
if [ "$BENCH_HOST" = jobs ]; then
  write_job JOB-ONE '#form##JOBend#'
  write_job JOB-TWO $'#form#\r\n#JOBend#'
  write_job JOB-THREE '#form##JOBend#'
  sleep 2
  touch "${dir}BENCH.END"
else
  # The next start's host: lives while the killed run's host still writes.
  for ((i = 0; i < 600; i++)); do
    [ -e "${dir}BENCH.END" ] && break
    sleep 0.1
  done
  rm -f "${dir}BENCH.END"
  sleep 4
fi
HOST
}

run() {  # run HOSTKIND: in the background, sets PID
  (
    cd "$HOST_DIR"
    exec env -u TMP -u PRINTER -u LPDEST -u DISPLAY -u WAYLAND_DISPLAY \
      HOME="$HOME_DIR" TEMP="$WORK" RIZARODE_REGISTRY_ROOT="$HOME_DIR/registry" \
      XDG_DATA_HOME="$HOME_DIR/.local/share" XDG_CONFIG_HOME="$HOME_DIR/.config" \
      CUPS_SERVER=/nonexistent/rizarode-bench.sock BENCH_HOST="$1" \
      "$BUILD/rizarode" </dev/null
  ) >>"$HOME_DIR/log" 2>&1 &
  PID=$!
}

count() {
  local f n=0
  for f in "$HOME_DIR"/PDF/*.pdf; do
    [ -f "$f" ] || continue
    n=$((n + $(pdftotext "$f" - 2>/dev/null | grep -c "^$1 last line" || true)))
  done
  echo "$n"
}

good=0
for ((trial = 1; trial <= TRIALS; trial++)); do
  HOST_DIR="$(mktemp -d /tmp/rzkh.XXXXXX)"
  WORK="$(mktemp -d /tmp/rzkw.XXXXXX)/"
  HOME_DIR="$(mktemp -d /tmp/rzkhome.XXXXXX)"
  cp -r "$BUILD/demo-run/." "$HOST_DIR/"
  mkdir -p "$HOME_DIR/registry"
  write_host
  # A moment from the host's start to past its last job.
  delay="$(awk -v s="$RANDOM" 'BEGIN { srand(s); printf "%.2f", 0.5 + rand() * 9.5 }')"
  run jobs
  sleep "$delay"
  kill -KILL "$PID" 2>/dev/null || true
  wait "$PID" 2>/dev/null || true
  run idle
  wait "$PID" 2>/dev/null || true
  # The killed run's host may still be finishing; nothing of its is printed
  # twice by waiting.
  one="$(count JOB-ONE)" two="$(count JOB-TWO)" three="$(count JOB-THREE)"
  left="$(find "$WORK" -mindepth 1 -maxdepth 1 ! -name RIZARODE.TMP -printf '%f ')"
  parts="$(find "$HOME_DIR/PDF" -maxdepth 1 -name '.RIZARODE-*' -printf '%f ' 2>/dev/null || true)"
  verdict=bad
  if [ "$one$two$three" = 111 ] && [ -z "$left" ] && [ -z "$parts" ]; then
    verdict=ok
    good=$((good + 1))
  fi
  printf 'trial %2d: killed after %5ss  printed %s/%s/%s  left: %s%s  %s\n' \
    "$trial" "$delay" "$one" "$two" "$three" "${left:-nothing}" "${parts:+ partial: $parts}" "$verdict"
  [ "$verdict" = ok ] || cp "$HOME_DIR/log" "/tmp/kill_restart-trial$trial.log"
  cleanup
  HOST_DIR="" WORK="" HOME_DIR=""
done
echo "$good of $TRIALS trials: every job printed once, nothing left"
[ "$good" -eq "$TRIALS" ]
