#!/usr/bin/env bash
# End to end on Windows, under Wine: the Windows demo host as VELDRAK.EXE in a
# host directory with the two font files and rizarode.exe, started there in
# a fresh Wine prefix whose fonts directory lacks the private face (and whose
# HOME and XDG_DATA_HOME are empty, since Wine also sees fontconfig's fonts).
# The first start installs the fonts and goes on without a restart offer;
# both jobs go through GDI to the CUPS default queue (cups-pdf) and are
# checked as the PDF files it writes; the program ends by itself with 0.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

e2e_wine_require_display "$@"

# The scheduler and its queue, as scripts/services.sh sets them up; Wine's
# default printer is the CUPS default destination.
e2e_require_pdf_queue
PDF_DIR="$(cups_pdf_dir)"

[ -f "$E2E_BUILD/demo-run/rizarode.exe" ] || {
  echo "the demo directory $E2E_BUILD/demo-run is missing; build the Windows program first" >&2
  exit 1
}
E2E_HOST_DIR="$(mktemp -d /tmp/rzwh.XXXXXX)"
E2E_LOG="$E2E_HOST_DIR.log"
cp -r "$E2E_BUILD/demo-run/." "$E2E_HOST_DIR/"
e2e_wine_prefix
FONTS_DIR="$WINEPREFIX/drive_c/windows/Fonts"
e2e_check "the fresh prefix lacks the private face" \
  [ -z "$(find "$FONTS_DIR" -maxdepth 1 -iname 'VKCOUR*.TTF' -print -quit)" ]

# The demo host at a brisk pace, yet each job written over more than two
# polling ticks so that the wait for the host to close the file is seen.
started=$(date +%s%N)
set +e
(
  cd "$E2E_HOST_DIR"
  exec env VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=2.5 VELDRAK_DEMO_GAP=0.3 \
    VELDRAK_DEMO_END_DELAY=1.5 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
    VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE" \
    timeout 180 wine rizarode.exe </dev/null
) >"$E2E_LOG" 2>&1
E2E_STATUS=$?
set -e
echo "rizarode.exe ended with exit code $E2E_STATUS after $((($(date +%s%N) - started) / 1000000)) ms"

e2e_check "rizarode.exe ended by itself with exit code 0 (no restart offer)" [ "$E2E_STATUS" -eq 0 ]
for font in VKCOUR.TTF VKCOURBD.TTF; do
  e2e_check "the first start installed $font whole" \
    cmp -s "$FONTS_DIR/$font" "$E2E_BUILD/demo-run/$font"
done
# Each copy is made under a name of its own and then moved into place.
e2e_check "no unfinished copy is left in the fonts directory" \
  [ -z "$(find "$FONTS_DIR" -maxdepth 1 -name '.VKCOUR*' -print -quit)" ]
WORK_DIR="$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type f -name RIZARODE.TMP -printf '%h\n' | head -1)"
e2e_check "the driver file stays in the work directory" [ -n "$WORK_DIR" ]
if [ -n "$WORK_DIR" ]; then
  e2e_check "no print file is left in the work directory" \
    [ -z "$(find "$WORK_DIR" -maxdepth 1 -name 'VK*.TMP' -print -quit)" ]
fi

e2e_wait_for_own_pdfs "$PDF_DIR" 2
mapfile -t pdfs < <(e2e_own_pdfs "$PDF_DIR")
e2e_check "two PDF files were printed (found ${#pdfs[@]} in $PDF_DIR)" [ "${#pdfs[@]}" -eq 2 ]
report="" sheet=""
for f in "${pdfs[@]}"; do
  text="$(e2e_pdf_text "$f")"
  if e2e_text_has "$text" "Descendants of Aldert Brinkhorst"; then report="$f"; fi
  if e2e_text_has "$text" "Family group sheet"; then sheet="$f"; fi
done

# Words whose box is taller than wide on a page: the text runs across a
# sheet turned for landscape.
upright_words() {
  pdftotext -f "$2" -l "$2" -bbox "$1" - 2>/dev/null | awk -F'"' '
    /<word / {
      t = $9; gsub(/<\/word>|>/, "", t)
      if (length(t) >= 4) { n++; if ($8 - $4 > $6 - $2) up++ }
    }
    END { if (n > 0 && up * 2 > n) print "across"; else print "along" }'
}

e2e_check "the descendants report is one of them" [ -n "$report" ]
if [ -n "$report" ]; then
  text="$(e2e_pdf_text "$report")"
  for name in "Aldert Brinkhorst" "Geertruida van Ommeren" "Zoë Lammerts" \
    "Overview of all descendants" "Named after his grandfather"; do
    e2e_check "the report names \"$name\"" e2e_text_has "$text" "$name"
  done
  # Every size in the private face: also those first asked for before the
  # face was installed, which GDI may still answer with its stand-in.
  faces="$(pdffonts "$report" 2>/dev/null | awk 'NR > 2 {sub(/^[A-Z]+\+/, "", $1); print $1}')"
  e2e_check "the report is printed in the program's own face alone" \
    [ -n "$faces" -a -z "$(grep -v '^RUZeruzazOri-' <<<"$faces")" ]
  e2e_check "the report has three pages" [ "$(e2e_pdf_pages "$report")" = 3 ]
  e2e_check "pages 1 and 2 run along the sheet, page 3 across it" \
    [ "$(upright_words "$report" 1),$(upright_words "$report" 2),$(upright_words "$report" 3)" = \
      "along,along,across" ]
  echo "report: $(e2e_pdf_pages "$report") pages, faces: $(paste -sd' ' <<<"$faces")"
fi
e2e_check "the family group sheet is the other" [ -n "$sheet" ]
if [ -n "$sheet" ]; then
  e2e_check "the sheet names \"Johanna Spaargaren\"" \
    e2e_text_has "$(e2e_pdf_text "$sheet")" "Johanna Spaargaren"
  e2e_check "the sheet has one page" [ "$(e2e_pdf_pages "$sheet")" = 1 ]
  # The sheet is in the body font, 12 cpi: every word, bold or regular,
  # starts on a column, 6 pt a column from the left edge of the text; the
  # year at column 32 of the first child's line also shows the pitch.
  columns="$(pdftotext -bbox "$sheet" - 2>/dev/null | awk -F'"' '
    /<word / { t = $9; gsub(/<\/word>|>/, "", t); x[n] = $2; w[n++] = t }
    END {
      left = 1e9
      for (i = 0; i < n; i++) if (x[i] < left) left = x[i]
      for (i = 0; i < n; i++) {
        c = (x[i] - left) / 6; d = (c - int(c + 0.5)) * 6
        if (d < -0.1 || d > 0.1) { off++; if (!first) first = w[i] " at " x[i] - left " pt" }
        if (w[i] == "1852-1921") pitch = (x[i] - left) / 32
      }
      printf "%d words off the columns%s; pitch %.2f pt\n", off, first ? " (first: " first ")" : "", pitch
    }')"
  echo "sheet: $columns"
  e2e_check "every word of the sheet starts on a 6 pt column" \
    [ "$columns" = "0 words off the columns; pitch 6.00 pt" ]
fi
for f in "${pdfs[@]}"; do rm -f "$f"; done
e2e_finish
