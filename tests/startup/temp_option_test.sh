#!/usr/bin/env bash
# The "/TEMP=" option through the real program, without a display: a
# directory that the host application could not be given whole is refused
# with the "Critical error" box, and the box shows what the user typed as it
# was typed.
set -euo pipefail

RIZARODE="$(cd "$1" && pwd)/rizarode"
FAILURES=0
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

fail() {
  echo "FAIL: $*" >&2
  FAILURES=$((FAILURES + 1))
}

# Runs rizarode in directory $1 with the remaining arguments; sets STATUS
# and OUTPUT (everything it wrote).
run_in() {
  local dir="$1"
  shift
  set +e
  OUTPUT="$(cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C.UTF-8 \
    timeout 60 "$RIZARODE" "$@" </dev/null 2>&1)"
  STATUS=$?
  set -e
}

expect_critical_error() {
  local what="$1" tempdir="$2"
  [ "$STATUS" -eq 3 ] || fail "$what: exit code $STATUS, not 3"
  grep -qF "== [error] Critical error ==" <<<"$OUTPUT" || fail "$what: no Critical error box"
  grep -qxF "tempdir = $tempdir" <<<"$OUTPUT" || fail "$what: the box does not name $tempdir"
}

# A relative directory that becomes a full path with a blank in it: the host
# application's command line is split at blanks.
mkdir -p "$SCRATCH/with blank/sub"
run_in "$SCRATCH/with blank" /TEMP=sub
expect_critical_error "a full path with a blank" "$SCRATCH/with blank/sub"
[ -z "$(ls -A "$SCRATCH/with blank/sub")" ] || fail "files were left in the refused directory"

# A directory typed in UTF-8 is shown as typed, not as Windows-1252 bytes.
run_in "$SCRATCH" "/TEMP=$SCRATCH/Grüße" /WDEBUG=1
expect_critical_error "a missing directory with non-ASCII letters" "$SCRATCH/Grüße"
grep -qxF "commandline = /TEMP=$SCRATCH/Grüße /WDEBUG=1" <<<"$OUTPUT" ||
  fail "the command line is not shown as typed"
if grep -qF "Ã" <<<"$OUTPUT"; then fail "UTF-8 shown as Windows-1252"; fi

if [ "$FAILURES" -ne 0 ]; then
  echo "--- rizarode's last output ---" >&2
  echo "$OUTPUT" >&2
  exit 1
fi
echo "all checks passed"
