#!/usr/bin/env bash
# Runs beside each other: two users who share a temporary directory, and two
# runs of one user in two host directories and one work directory. Neither
# stands in the other's way, and each prints all of its own jobs.
. "$(dirname "$0")/e2e_lib.sh"

# A display of its own (Xvfb): the second case tells the host's window from
# the other run's windows, and a window another test opens would disturb it.
e2e_use_own_display "$@"

e2e_prepare_host_dir
SHARED=""
OTHER_HOME=""
SECOND_HOST_DIR=""
OTHER_USER=rztest
MADE_USER=0
cleanup_users_and_instances() {
  local p
  # Hosts of this test's own runs: the demo program copied into its host
  # directory, by process id.
  for p in /proc/[0-9]*; do
    case "$(readlink "$p/exe" 2>/dev/null)" in
      "$E2E_HOST_DIR/VELDRAK.BIN" | "${SECOND_HOST_DIR:-/nonexistent}/VELDRAK.BIN")
        kill "${p#/proc/}" 2>/dev/null || true ;;
    esac
  done
  [ -z "$SECOND_HOST_DIR" ] || rm -rf "$SECOND_HOST_DIR"
  [ -z "$SHARED" ] || rm -rf "$SHARED"
  # shellcheck disable=SC2086 # a list of directories
  [ -z "$OTHER_HOME" ] || rm -rf $OTHER_HOME
  if [ "$MADE_USER" = 1 ]; then userdel "$OTHER_USER" >/dev/null 2>&1 || true; fi
  e2e_cleanup
}
trap cleanup_users_and_instances EXIT

# The program beside the host, so that another account can run it without
# entering the build directory.
cp "$E2E_BUILD/rizarode" "$E2E_HOST_DIR/rizarode"
chmod 755 "$E2E_HOST_DIR"

# Runs rizarode in the host directory ($RUN_DIR, by default $E2E_HOST_DIR)
# as the given user (or "" for this one) with its own home; the rest are
# NAME=value words and rizarode's arguments after "--". Output to $3.
run_as() {
  local user="$1" home="$2" log="$3"
  shift 3
  local settings=() args=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do settings+=("$1"); shift; done
  [ $# -eq 0 ] || shift
  args=("$@")
  # The other account cannot reach this user's display: it runs on the
  # terminal's desktop.
  local as=() display=(DISPLAY="${DISPLAY:-}" XAUTHORITY="${XAUTHORITY:-}")
  if [ -n "$user" ]; then
    as=(runuser -u "$user" --)
    display=()
  fi
  (
    cd "${RUN_DIR:-$E2E_HOST_DIR}"
    exec "${as[@]}" env -i PATH="$PATH" "${display[@]}" \
      ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
      HOME="$home" RIZARODE_REGISTRY_ROOT="$home/registry" \
      XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
      XDG_CONFIG_HOME="$home/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
      VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=2.5 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=1.5 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
      "${settings[@]}" timeout 180 ./rizarode "${args[@]}" </dev/null
  ) >"$log" 2>&1
}

new_home() {
  local home
  home="$(mktemp -d /tmp/rzhome.XXXXXX)"
  mkdir -p "$home/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts"
  echo "$home"
}

# --- Two users and one shared temporary directory --------------------------
# Neither sets TEMP or TMP; TMPDIR names a directory that every user may
# write, with the sticky bit, as /var/tmp is. Another user's driver file
# lies in it, of an older version, which this user may not replace.
if [ "$(id -u)" != 0 ]; then
  echo "skipped: the case of two users needs root, to run as a second account"
else
  if ! id "$OTHER_USER" >/dev/null 2>&1; then
    useradd -M -r -s /usr/sbin/nologin "$OTHER_USER" && MADE_USER=1
  fi
  SHARED="$(mktemp -d /var/tmp/rzsXXXX)"
  chmod 1777 "$SHARED"
  printf '01 2.9 : Windows printer (Save as PDF)\r\n' >"$SHARED/RIZARODE.TMP"
  OTHER_HOME="$(new_home)"
  chown -R "$OTHER_USER" "$OTHER_HOME"
  OTHER_UID="$(id -u "$OTHER_USER")"
  reference="$E2E_REFERENCE-user"
  status=0
  run_as "$OTHER_USER" "$OTHER_HOME" "$E2E_LOG" TMPDIR="$SHARED" \
    VELDRAK_DEMO_REFERENCE="$reference" -- || status=$?
  echo "the second user's run ended with exit code $status"
  own="$SHARED/rz-$OTHER_UID"
  e2e_check "the second user's run ended by itself with exit code 0" [ "$status" -eq 0 ]
  e2e_check "it worked in a directory of its own, $own" [ -f "$own/RIZARODE.TMP" ]
  e2e_check "that directory is the user's alone" \
    [ "$(stat -c '%U %a' "$own" 2>/dev/null)" = "$OTHER_USER 700" ]
  e2e_check "the other user's driver file is untouched" \
    grep -q "^01 2.9 " "$SHARED/RIZARODE.TMP"
  mapfile -t pdfs < <(e2e_own_pdfs "$OTHER_HOME/PDF" "$reference")
  e2e_check "both jobs were printed (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 2 ]

  # A directory named with /TEMP= is the user's choice: there the driver
  # file cannot be written, and the message says which file and why.
  status=0
  run_as "$OTHER_USER" "$OTHER_HOME" "$E2E_LOG.temp" -- "/TEMP=$SHARED" || status=$?
  cat "$E2E_LOG.temp" >>"$E2E_LOG"
  e2e_check "/TEMP= at the shared directory ends with exit code 6 (got $status)" [ "$status" -eq 6 ]
  e2e_check "the message names the driver file" grep -qF "$SHARED/RIZARODE.TMP" "$E2E_LOG.temp"
  e2e_check "the message gives the cause" grep -q "not permitted\|denied" "$E2E_LOG.temp"
  e2e_check "no temporary driver file is left" \
    [ -z "$(find "$SHARED" -maxdepth 1 -name 'RIZARODE.TMP?*' -print -quit)" ]
  rm -f "$E2E_LOG.temp"
fi

# --- Two runs in two host directories and one work directory ---------------
# (In one host directory a second start starts no second host: see
# one_host_test.sh.) Run A's host opens its window late (a wrapper that
# starts the demo program as its child once run B's host is there):
# meanwhile the only new windows are run B's. It also takes its time between
# its jobs, so it outlives run B's host with a job still to write. Each run
# must keep to its own host's window, and print its own two jobs.
mv "$E2E_HOST_DIR/VELDRAK.EXE" "$E2E_HOST_DIR/VELDRAK.BIN"
cat >"$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
#!/bin/sh
if [ "$RUN" = A ]; then
  touch "$FLAGS/a-launched"
  i=0
  while [ ! -e "$FLAGS/b-launched" ] && [ $i -lt 30 ]; do sleep 0.1; i=$((i + 1)); done
  sleep 0.5
else
  touch "$FLAGS/b-launched"
fi
./VELDRAK.BIN "$@"
HOST
chmod 755 "$E2E_HOST_DIR/VELDRAK.EXE"
SECOND_HOST_DIR="$(mktemp -d /tmp/rzh.XXXXXX)"
cp -a "$E2E_HOST_DIR/." "$SECOND_HOST_DIR/"
WORK="${E2E_WORK%/}"
# One home for both: the user's lock is on each host directory, not on the
# user.
HOME_A="$(new_home)"
HOME_B="$HOME_A"
OTHER_HOME="$OTHER_HOME $HOME_A"
run_as "" "$HOME_A" "$E2E_LOG.a" RUN=A FLAGS="$E2E_HOST_DIR" VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-A" VELDRAK_DEMO_GAP=5 \
  -- "/TEMP=$WORK" &
run_a=$!
for _ in $(seq 1 300); do [ -e "$E2E_HOST_DIR/a-launched" ] && break; sleep 0.1; done
RUN_DIR="$SECOND_HOST_DIR" run_as "" "$HOME_B" "$E2E_LOG.b" RUN=B FLAGS="$E2E_HOST_DIR" VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-B" \
  -- "/TEMP=$WORK" &
run_b=$!
set +e
wait "$run_a"
status_a=$?
wait "$run_b"
status_b=$?
set -e
cat "$E2E_LOG.a" "$E2E_LOG.b" >>"$E2E_LOG"
rm -f "$E2E_LOG.a" "$E2E_LOG.b"
for run in A B; do
  home="$HOME_A"
  status="$status_a"
  if [ "$run" = B ]; then home="$HOME_B"; status="$status_b"; fi
  e2e_check "run $run ended by itself with exit code 0 (got $status)" [ "$status" -eq 0 ]
  mapfile -t pdfs < <(e2e_own_pdfs "$home/PDF" "$E2E_REFERENCE-$run")
  e2e_check "run $run printed its host's two jobs (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 2 ]
done
e2e_check "the driver file stays" [ -f "$WORK/RIZARODE.TMP" ]
e2e_check "no print file and no temporary driver file is left" \
  [ -z "$(find "$WORK" -maxdepth 1 \( -name 'VK*' -o -name 'RIZARODE.TMP?*' \) -print -quit)" ]
rm -rf $OTHER_HOME
OTHER_HOME=""
e2e_finish
