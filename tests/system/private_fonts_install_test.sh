#!/usr/bin/env bash
# The program on a machine where its face is missing: it installs its two
# font files for the user, the printer then takes the face, and start-up goes
# on without offering a restart. A second start finds the face at once.
# Usage: private_fonts_install_test.sh BUILD_DIR SOURCE_DIR
set -u
program="$(cd "$1" && pwd)/rizarode"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/start" "$work/home" "$work/temp"
cp "$1/VKCOUR.TTF" "$1/VKCOURBD.TTF" "$work/start/"

# No display (message boxes go to the terminal and take their default
# button), and every user directory inside the test's own.
run() {
  (cd "$work/start" && env -u DISPLAY HOME="$work/home" XDG_DATA_HOME="$work/data" \
    XDG_CACHE_HOME="$work/cache" TEMP="$work/temp" TMP="$work/temp" \
    RIZARODE_REGISTRY_ROOT="$work/registry" timeout 120 "$program" </dev/null >"$work/out" 2>&1)
}

if fc-match -f '%{family[0]}' 'RUZeruzaz Ori' | grep -qx 'RUZeruzaz Ori'; then
  echo "the face is installed on this machine already: skipped"
  exit 0
fi

mkdir -p "$work/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts"
run; rc=$?
case "$rc" in
  1 | 4 | 5) fail "first start ended with exit $rc: $(cat "$work/out")" ;;
esac
for font in VKCOUR.TTF VKCOURBD.TTF; do
  cmp -s "$work/start/$font" "$work/data/fonts/$font" || fail "$font was not installed"
done
grep -q "checking font" "$work/out" || fail "no second face test: $(cat "$work/out")"
grep -q "opnieuw" "$work/out" && fail "a restart was offered: $(cat "$work/out")"
value="$work/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts/RUZeruzaz Ori Vet (TrueType)"
[ "$(tr -d '\0' <"$value" 2>/dev/null)" = "$(printf '1\nVKCOURBD.TTF')" ] ||
  fail "the bold font was not registered"

run; rc=$?
case "$rc" in
  1 | 4 | 5) fail "second start ended with exit $rc: $(cat "$work/out")" ;;
esac
grep -q "Installing font" "$work/out" && fail "the second start installed again: $(cat "$work/out")"

# --- Two first starts at once ------------------------------------------------
# Two instances started together on a new account both find the face missing
# and both install it into the one fonts directory: neither may fail for the
# file the other put there, and both print their host's jobs, each once.
# They share the work directory, each in a host directory of its own (in one
# a second start starts no host: one_host_test.sh); jobs become PDF
# files in the new home (no scheduler). By chance the two only now and then
# both look into the fonts directory before either has put its copy there;
# strace makes it every time, holding each start for a second as it opens
# the file to copy (after the look, before the copy).
tries="${RIZARODE_FONT_RACE_TRIES:-10}"
start_together() {
  local home="$1" run hold=()
  for run in A B; do
    if command -v strace >/dev/null; then
      # The leak check of a sanitized build cannot work under ptrace.
      hold=(env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
        strace -o /dev/null -e trace=openat -e inject=openat:delay_enter=1000000:when=1
        -P "$home/host-$run/VKCOUR.TTF")
    fi
    (cd "$home/host-$run" && exec env -u DISPLAY -u TMPDIR -u PRINTER -u LPDEST HOME="$home" \
      XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
      XDG_CONFIG_HOME="$home/.config" TEMP="$home/temp" TMP="$home/temp" \
      RIZARODE_REGISTRY_ROOT="$home/registry" CUPS_SERVER=/nonexistent/rizarode-fonts.sock \
      VELDRAK_DEMO_START_DELAY=0.2 VELDRAK_DEMO_WRITE_SECONDS=0.5 VELDRAK_DEMO_GAP=0.2 \
      VELDRAK_DEMO_END_DELAY=0.5 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
      VELDRAK_DEMO_REFERENCE="race-$$-$run" timeout 120 "${hold[@]}" "$program" </dev/null >"$home/$run.out" 2>&1) &
  done
}
jobs_of() { # the PDF files in $1's ~/PDF that carry run $2's reference
  local pdf
  for pdf in "$1"/PDF/*.pdf; do
    [ -f "$pdf" ] && pdftotext "$pdf" - 2>/dev/null | grep -q "race-$$-$2" && echo "$pdf"
  done
}
lost=0
for try in $(seq 1 "$tries"); do
  home="$work/race$try"
  mkdir -p "$home/host-A" "$home/host-B" "$home/temp" \
    "$home/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts"
  cp -r "$1/demo-run/." "$home/host-A/"
  cp -r "$1/demo-run/." "$home/host-B/"
  start_together "$home"
  wait_failed=""
  for run in A B; do
    wait -n; rc=$?
    [ "$rc" -eq 0 ] || wait_failed="$wait_failed $rc"
  done
  ok=1
  if [ -n "$wait_failed" ]; then
    ok=0; fail "try $try: a run ended with exit$wait_failed: $(cat "$home/A.out" "$home/B.out")"
  fi
  for run in A B; do
    n=$(jobs_of "$home" "$run" | wc -l)
    [ "$n" -eq 2 ] || { ok=0; fail "try $try: run $run printed $n of its 2 jobs"; }
  done
  for font in VKCOUR.TTF VKCOURBD.TTF; do
    cmp -s "$work/start/$font" "$home/.local/share/fonts/$font" ||
      { ok=0; fail "try $try: $font is not installed whole"; }
  done
  left="$(ls -A "$home/.local/share/fonts" | grep -v '^VKCOUR\(BD\)\?\.TTF$' | grep -v '^\.uuid$')"
  [ -z "$left" ] || { ok=0; fail "try $try: the fonts directory holds more: $left"; }
  [ "$ok" -eq 1 ] || lost=$((lost + 1))
  rm -rf "$home"
done
echo "two first starts at once: $lost of $tries tries failed"

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
