#!/usr/bin/env bash
# Jobs kept for the next start must outlive the session. In a mount
# namespace of its own the test gives the runtime directory and /tmp a
# tmpfs each, as a desktop session on a current system has them (and, in
# the second case, /var/tmp too); a run keeps a job it cannot print; the
# tmpfs mounts go (the logout), and the next start must print the job once.
# No TEMP, TMP or TMPDIR is set: the program chooses among its own
# candidates. Needs root, for the mounts.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

if [ "$(id -u)" != 0 ]; then
  echo "skipped: needs root, to mount in a namespace of its own"
  exit 0
fi
if [ -z "${RIZARODE_LOGOUT_NAMESPACE:-}" ]; then
  if ! unshare -m --propagation private true 2>/dev/null; then
    echo "skipped: no mount namespace can be made here"
    exit 0
  fi
  RIZARODE_LOGOUT_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
fi

# Everything the test keeps lies outside the mounts: in the build directory.
SCRATCH="$(mktemp -d "$E2E_BUILD/logout.XXXXXX")"
case "$SCRATCH" in
  /tmp/* | /var/tmp/*) echo "skipped: the build directory is under a directory the test mounts over"; exit 0 ;;
esac
E2E_HOST_DIR="$SCRATCH/host"
E2E_HOME="$SCRATCH/home"
E2E_LOG="$SCRATCH/log"
RUNTIME="$SCRATCH/run-user"
VAR_TMP="$SCRATCH/var-tmp"
cleanup_logout() {
  umount "$RUNTIME" /tmp /var/tmp 2>/dev/null || true
  e2e_cleanup
  rm -rf "$SCRATCH"
}
trap cleanup_logout EXIT

# The stand-in host writes one whole job and ends; it notes where.
write_host() {
  e2e_write_script_host "$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
echo "$dir" >>"$HOST_DIRS"
sleep 2
[ "$FAULT_CASE" = idle ] || printf 'text of a job kept over the logout\r\n#form##JOBend#\r\n' >"$job"
sleep 2
HOST
}

run_rizarode() {
  set +e
  (
    cd "$E2E_HOST_DIR"
    exec env -u TEMP -u TMP -u TMPDIR -u PRINTER -u LPDEST -u DISPLAY -u WAYLAND_DISPLAY \
      HOME="$E2E_HOME" XDG_RUNTIME_DIR="$RUNTIME" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-logout.sock \
      HOST_DIRS="$SCRATCH/host-dirs" FAULT_CASE="$1" timeout 120 "$E2E_BUILD/rizarode" </dev/null
  ) >>"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
}

times_printed() { e2e_all_pdf_text "$E2E_HOME/PDF" | grep -cF -- "$1" || true; }
files_in() { find "$@" -mindepth 1 -print 2>/dev/null; }

# name, the mounts that are tmpfs besides the runtime directory, and where
# the work directory must be.
for case in "tmp:/tmp:/var/tmp/rz-0/" "var-tmp:/tmp /var/tmp:$E2E_HOME/.cache/rizarode/"; do
  name="${case%%:*}"
  rest="${case#*:}"
  volatile="${rest%%:*}"
  expected="${rest#*:}"
  rm -rf "$E2E_HOST_DIR" "$E2E_HOME" "$VAR_TMP" "$SCRATCH/host-dirs"
  mkdir -p "$E2E_HOST_DIR" "$E2E_HOME/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts" \
    "$RUNTIME" "$VAR_TMP"
  cp -r "$E2E_BUILD/demo-run/." "$E2E_HOST_DIR/"
  write_host
  : >"$E2E_LOG"
  # /var/tmp is the test's own, lasting; /tmp and the runtime directory live
  # in memory as in a desktop session.
  chmod 1777 "$VAR_TMP"
  mount --bind "$VAR_TMP" /var/tmp
  mount -t tmpfs -o mode=0700 tmpfs "$RUNTIME"
  for dir in $volatile; do mount -t tmpfs -o mode=1777 tmpfs "$dir"; done

  # ~/PDF cannot be made: the job is kept for the next start.
  : >"$E2E_HOME/PDF"
  run_rizarode kept
  e2e_check "$name: the run ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "$name: the host was told $expected" [ "$(sort -u "$SCRATCH/host-dirs")" = "$expected" ]
  e2e_check "$name: the job waits there" grep -q '^VK' <(ls "$expected" 2>/dev/null)
  e2e_check "$name: the user is told" grep -qF "zodra het programma weer start" "$E2E_LOG"
  e2e_check "$name: nothing in the runtime directory" [ -z "$(files_in "$RUNTIME")" ]
  e2e_check "$name: no file on a tmpfs" [ -z "$(find $volatile -type f -print -quit)" ]
  e2e_check "$name: the work directory is on no tmpfs" [ "$(stat -f -c %T "$expected")" != tmpfs ]
  e2e_check "$name: only the user may enter it" [ "$(stat -c %a "$expected")" = 700 ]

  # The logout, and a reboot: the runtime directory and every tmpfs go,
  # and come back empty.
  umount "$RUNTIME"
  for dir in $volatile; do umount "$dir"; done
  mount -t tmpfs -o mode=0700 tmpfs "$RUNTIME"
  for dir in $volatile; do mount -t tmpfs -o mode=1777 tmpfs "$dir"; done
  rm "$E2E_HOME/PDF"
  run_rizarode idle
  e2e_check "$name: the next start ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "$name: it prints the kept job once" \
    [ "$(times_printed "text of a job kept over the logout")" -eq 1 ]
  e2e_check "$name: nothing is left but the driver file" \
    [ "$(ls "$expected")" = RIZARODE.TMP ]
  umount "$RUNTIME"
  for dir in $volatile; do umount "$dir"; done
  umount /var/tmp
done

# Jobs that an earlier run kept in the runtime directory before the logout
# (an older version preferred it) are brought into the lasting work
# directory and printed once. One of them was on its way when that run was
# killed: copied whole, its original not yet deleted; each run's lock file
# names the other side.
rm -rf "$E2E_HOME/PDF" "$VAR_TMP" "$SCRATCH/host-dirs"
mkdir -p "$VAR_TMP/rz-0" "$RUNTIME"
chmod 1777 "$VAR_TMP"
chmod 700 "$VAR_TMP/rz-0"
: >"$E2E_LOG"
mount --bind "$VAR_TMP" /var/tmp
mount -t tmpfs -o mode=0700 tmpfs "$RUNTIME"
printf 'text of a job kept in the runtime directory\r\n#form##JOBend#\r\n' >"$RUNTIME/VK00A001.001"
printf 'text of a job halfway moved\r\n#form##JOBend#\r\n' >"$RUNTIME/VK00A002.001"
cp "$RUNTIME/VK00A002.001" /var/tmp/rz-0/VK00A002.001
printf '>/var/tmp/rz-0/\n' >"$RUNTIME/VK00A002.RUN"
printf '<%s/\n' "$RUNTIME" >/var/tmp/rz-0/VK00A002.RUN
run_rizarode idle
e2e_check "moved: the run ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
e2e_check "moved: the work directory is /var/tmp/rz-0/" [ "$(sort -u "$SCRATCH/host-dirs")" = /var/tmp/rz-0/ ]
e2e_check "moved: the kept job is printed once" \
  [ "$(times_printed "text of a job kept in the runtime directory")" -eq 1 ]
e2e_check "moved: the job halfway moved is printed once" \
  [ "$(times_printed "text of a job halfway moved")" -eq 1 ]
e2e_check "moved: nothing is left in the runtime directory" [ -z "$(files_in "$RUNTIME")" ]
e2e_check "moved: nothing but the driver file in the work directory" \
  [ "$(ls /var/tmp/rz-0)" = RIZARODE.TMP ]
umount "$RUNTIME" /var/tmp

e2e_finish
