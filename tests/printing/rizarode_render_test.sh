#!/usr/bin/env bash
# rizarode-render: a print file in, a PDF out; clear failures otherwise.
# Usage: rizarode_render_test.sh BUILD_DIR SOURCE_DIR
set -u
tool="$1/tools/rizarode-render"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! command -v pdftotext >/dev/null || ! command -v pdfinfo >/dev/null; then
  echo "poppler-utils missing: skipped"
  exit 0
fi

# Without a file, or with one that cannot be read: a message and no output.
"$tool" >/dev/null 2>"$work/err"; rc=$?
[ "$rc" -ne 0 ] && grep -q usage "$work/err" || fail "no arguments: exit $rc, $(cat "$work/err")"
"$tool" "$work/missing.TMP" "$work/out.pdf" 2>"$work/err"; rc=$?
[ "$rc" -ne 0 ] || fail "a missing file gave exit 0"
grep -q "missing.TMP" "$work/err" || fail "the message does not name the missing file: $(cat "$work/err")"
[ ! -e "$work/out.pdf" ] || fail "a missing file still made a PDF"
"$tool" "$work" "$work/out.pdf" 2>"$work/err"; rc=$?
[ "$rc" -ne 0 ] || fail "a directory gave exit 0"

# A print file of two pages, the second in landscape.
printf 'First line\r\n#BOLD#Bold#bold# and caf\xe9\r\nend of one#form#\r\n#FORM-L009#Second page#form##JOBend#\r\nnever printed\r\n' \
  >"$work/VK000001.TMP"
"$tool" "$work/VK000001.TMP" "$work/out.pdf" >"$work/said" 2>"$work/err" || fail "render failed: $(cat "$work/err")"
grep -qx "$work/out.pdf" "$work/said" || fail "the tool does not say where the PDF went"
pages=$(pdfinfo "$work/out.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
[ "$pages" = 2 ] || fail "expected 2 pages, got '$pages'"
text=$(pdftotext -layout "$work/out.pdf" - 2>/dev/null)
grep -q "Bold and café" <<<"$text" || fail "text missing: $text"
grep -q "never printed" <<<"$text" && fail "text after the job end was printed"
pdfinfo -f 2 -l 2 "$work/out.pdf" | grep -q "Page    2 size: *841.89 x 595.276" || fail "page 2 is not A4 landscape"

# Without an output name the PDF goes to ~/PDF, which is made when missing,
# and a second document never replaces the first.
HOME="$work/home" "$tool" "$work/VK000001.TMP" >/dev/null 2>"$work/err" || fail "render to ~/PDF failed: $(cat "$work/err")"
HOME="$work/home" "$tool" "$work/VK000001.TMP" >/dev/null 2>"$work/err" || fail "second render to ~/PDF failed"
count=$(find "$work/home/PDF" -name '*.pdf' | wc -l)
[ "$count" = 2 ] || fail "expected 2 files in ~/PDF, found $count"

[ "$failures" -eq 0 ] && echo "rizarode-render: all checks passed"
exit "$failures"
