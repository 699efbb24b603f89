#!/usr/bin/env bash
# The program on a machine where its face is missing: it installs its two
# font files for the user, the printer then takes the face, and start-up goes
# on without offering a restart. A second start finds the face at once.
# Usage: private_fonts_install_test.sh BUILD_DIR SOURCE_DIR
set -u
program="$1/rizarode"
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

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
