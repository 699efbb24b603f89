#!/usr/bin/env bash
# Temporary directories that another account controls: a user who sets no
# TEMP, TMP or XDG_RUNTIME_DIR must still get a work directory that only
# they can enter, so that nobody else reads or redirects their print files.
# Runs the real program with the demo host as a second account (runuser),
# while a third account has taken the shared places first.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

if [ "$(id -u)" != 0 ]; then
  echo "skipped: needs root, to run as two other accounts"
  exit 0
fi

VICTIM=rzvictim
OTHER=rzother
MADE_USERS=()
TAKEN=()
e2e_prepare_host_dir
cleanup_private_work_directory() {
  [ ${#TAKEN[@]} -eq 0 ] || rm -rf "${TAKEN[@]}"
  local user
  for user in "${MADE_USERS[@]}"; do userdel "$user" >/dev/null 2>&1 || true; done
  e2e_cleanup
}
trap cleanup_private_work_directory EXIT

for user in "$VICTIM" "$OTHER"; do
  if ! id "$user" >/dev/null 2>&1; then
    useradd -M -r -s /usr/sbin/nologin "$user" && MADE_USERS+=("$user")
  fi
done
VICTIM_UID="$(id -u "$VICTIM")"

# The victim's own copy of the host directory, which it may write in (as a
# user's own installation is): the old fallback put the print files there.
cp "$E2E_BUILD/rizarode" "$E2E_HOST_DIR/rizarode"
chown -R "$VICTIM" "$E2E_HOST_DIR" "$E2E_HOME"
chmod 755 "$E2E_HOST_DIR"

# The other account makes both per-user places first, open to all.
for dir in /var/tmp/rz-"$VICTIM_UID" /tmp/rz-"$VICTIM_UID"; do
  rm -rf "$dir"
  TAKEN+=("$dir")
  runuser -u "$OTHER" -- mkdir -m 777 "$dir"
  chmod 777 "$dir"
done

# Runs rizarode as the victim with the demo host; the rest are NAME=value
# words. Sets E2E_STATUS.
run_victim() {
  set +e
  (
    cd "$E2E_HOST_DIR"
    exec runuser -u "$VICTIM" -- env -i PATH="$PATH" \
      ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
      HOME="$E2E_HOME" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
      VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=1 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=1 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
      VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE" "$@" timeout 180 ./rizarode </dev/null
  ) >>"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
}

private="$E2E_HOME/.cache/rizarode"
victims_files_in() { find "$@" -mindepth 1 -user "$VICTIM" -print -quit 2>/dev/null; }

# Both per-user places taken: a private directory of the program's own.
: >"$E2E_LOG"
run_victim
e2e_check "taken: the run ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
e2e_check "taken: the driver file is in $private" [ -f "$private/RIZARODE.TMP" ]
e2e_check "taken: only the user can enter it" [ "$(stat -c '%U %a' "$private" 2>/dev/null)" = "$VICTIM 700" ]
e2e_check "taken: nothing of the user's in the other account's directories" \
  [ -z "$(victims_files_in "${TAKEN[@]}")" ]
e2e_check "taken: nothing written into the host directory" \
  [ ! -e "$E2E_HOST_DIR/RIZARODE.TMP" ]
e2e_check "taken: both jobs were printed" [ "$(e2e_own_pdfs "$E2E_HOME/PDF" | wc -l)" -eq 2 ]

# A TMPDIR that all may write in, without the sticky bit: anybody could
# swap the user's folder there for a link to theirs, so it is not used.
open_dir="$(mktemp -d /tmp/rzopen.XXXXXX)"
TAKEN+=("$open_dir")
chmod 777 "$open_dir"
rm -rf "$E2E_HOME/PDF"
run_victim TMPDIR="$open_dir"
e2e_check "open TMPDIR: the run ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
e2e_check "open TMPDIR: nothing of the user's in it" [ -z "$(victims_files_in "$open_dir")" ]
e2e_check "open TMPDIR: both jobs were printed" [ "$(e2e_own_pdfs "$E2E_HOME/PDF" | wc -l)" -eq 2 ]

e2e_finish
