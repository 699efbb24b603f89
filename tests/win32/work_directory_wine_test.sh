#!/usr/bin/env bash
# The work directory of a real Windows account, under Wine: TEMP and TMP
# name the profile's C:\users\<name>\AppData\Local\Temp (longer than a DOS
# command line takes), and C:\windows\temp, which all accounts share, may be
# written in but not listed (its Unix directory without read permission).
# A host that is a Windows program is held to no length: the run must work
# in the user's TEMP, and where TEMP cannot be used, in the user's local
# application data, never in C:\windows\temp. Runs as an account of its
# own, since root may list any directory.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

USER_NAME=rzwineuser
if [ -z "${RIZARODE_WINE_ACCOUNT:-}" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "skipped: needs root, to run as an account of its own"
    exit 0
  fi
  [ -f "$E2E_BUILD/demo-run/rizarode.exe" ] || {
    echo "the demo directory $E2E_BUILD/demo-run is missing; build the Windows program first" >&2
    exit 1
  }
  e2e_wine_require_display "$@"
  e2e_require_pdf_queue
  ACCOUNT_HOME="$(mktemp -d /tmp/rzwacct.XXXXXX)"
  made_user=""
  if ! id "$USER_NAME" >/dev/null 2>&1; then
    useradd -r -M -d "$ACCOUNT_HOME" -s /usr/sbin/nologin "$USER_NAME" && made_user=1
  else
    usermod -d "$ACCOUNT_HOME" "$USER_NAME"
  fi
  cleanup_account() {
    rm -rf "$ACCOUNT_HOME"
    [ -z "$made_user" ] || userdel "$USER_NAME" >/dev/null 2>&1 || true
  }
  trap cleanup_account EXIT
  chown "$USER_NAME" "$ACCOUNT_HOME"
  # A display of the test's own (xvfb-run) lets in only who holds its key.
  auth=()
  if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
    install -o "$USER_NAME" -m 600 "$XAUTHORITY" "$ACCOUNT_HOME/.Xauthority"
    auth=(XAUTHORITY="$ACCOUNT_HOME/.Xauthority")
  fi
  status=0
  runuser -u "$USER_NAME" -- env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$ACCOUNT_HOME" \
    USER="$USER_NAME" LOGNAME="$USER_NAME" RIZARODE_WINE_ACCOUNT=1 "${auth[@]}" \
    bash "$0" "$@" || status=$?
  exit "$status"
fi

# --- As the account --------------------------------------------------------
PDF_DIR="$(cups_pdf_dir)"
E2E_HOST_DIR="$(mktemp -d "$HOME/host.XXXXXX")"
E2E_LOG="$HOME/log"
cp -r "$E2E_BUILD/demo-run/." "$E2E_HOST_DIR/"
e2e_wine_prefix
DRIVE_C="$WINEPREFIX/drive_c"
PROFILE_TEMP='C:\users\'"$USER_NAME"'\AppData\Local\Temp'
mkdir -p "$DRIVE_C/users/$USER_NAME/AppData/Local/Temp"
chmod 333 "$DRIVE_C/windows/temp"
e2e_check "C:\\windows\\temp cannot be listed" [ ! -r "$DRIVE_C/windows/temp" ]

# Runs the program with TEMP and TMP as the account's environment sets them.
run_with_temp() {
  local temp="$1"
  : >"$E2E_LOG"
  wine reg add 'HKCU\Environment' /v TEMP /d "$temp" /f >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v TMP /d "$temp" /f >/dev/null 2>&1
  wineserver -w
  set +e
  (
    cd "$E2E_HOST_DIR"
    exec env VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=1 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=1 VELDRAK_DEMO_CONSUME_TIMEOUT=60 VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE-$2" \
      timeout 180 wine rizarode.exe </dev/null
  ) >>"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
}

# Where the driver file went, as the Unix path below drive C.
work_directory() {
  { find "$DRIVE_C" -name RIZARODE.TMP -newer "$E2E_LOG" -printf '%h\n' 2>/dev/null || true; } | head -1
}

for case in "temp:$PROFILE_TEMP:users/$USER_NAME/AppData/Local/Temp" \
  "appdata:C:\\nowhere:users/$USER_NAME/AppData/Local/RIZARODE"; do
  name="${case%%:*}"
  rest="${case#*:}"
  temp="${rest%:*}"
  expected="$DRIVE_C/${rest##*:}"
  run_with_temp "$temp" "$name"
  found="$(work_directory)"
  echo "$name: TEMP=$temp, work directory ${found#"$DRIVE_C/"}: $(stat -c '%U %A' "$found" 2>/dev/null)"
  e2e_check "$name: the run ends normally (got $E2E_STATUS)" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "$name: the work directory is $expected" [ "$found" = "$expected" ]
  e2e_check "$name: it is the account's own" [ "$(stat -c %U "$found" 2>/dev/null)" = "$USER_NAME" ]
  e2e_wait_for_own_pdfs "$PDF_DIR" 2
  mapfile -t pdfs < <(e2e_own_pdfs "$PDF_DIR")
  e2e_check "$name: both jobs were printed (found ${#pdfs[@]})" [ "${#pdfs[@]}" -eq 2 ]
  e2e_check "$name: no print file is left" [ -z "$(find "$found" -maxdepth 1 -name 'VK*' -print -quit)" ]
  for f in "${pdfs[@]}"; do rm -f "$f"; done
done

chmod 755 "$DRIVE_C/windows/temp"
e2e_check "nothing of the program's in C:\\windows\\temp" \
  [ -z "$(find "$DRIVE_C/windows/temp" \( -name 'VK*' -o -name 'RIZARODE*' -o -name 'VELDRAK*' \) -print -quit)" ]
e2e_finish
