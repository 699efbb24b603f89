#!/usr/bin/env bash
# End to end on Windows, under Wine: the Windows demo host as VELDRAK.EXE in a
# host directory with the two font files and rizarode.exe, started there in
# a fresh Wine prefix whose fonts directory lacks the private face (and whose
# HOME and XDG_DATA_HOME are empty, since Wine also sees fontconfig's fonts).
# The first start installs the fonts and goes on without a restart offer;
# both jobs go through GDI to the CUPS default queue (cups-pdf) and are
# checked as the PDF files it writes, word by word against the same job from
# the Linux program; the program ends by itself with 0.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

e2e_wine_require_display "$@"

# The scheduler and its queue, as scripts/services.sh sets them up; Wine's
# default printer is the CUPS default destination.
e2e_require_pdf_queue
PDF_DIR="$(cups_pdf_dir)"

e2e_wine_prepare_host_dir
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

# The same job from the Linux program on the same queue: every word at the
# same place, within half a point, since both lay out their pages by the
# same rules and differ only in the device that draws them. cups-pdf turns
# Wine's landscape page in its content and the Linux one by the page's
# rotation, so each word is taken where it stands on the sheet as read:
# from the left along its line, and from the top.
word_corners() {
  pdftotext -bbox "$1" - 2>/dev/null | awk -F'"' '
    function flush(   i, across) {
      across = long > 0 && up * 2 > long
      for (i = 0; i < n; i++) {
        if (across) { x = height - y1[i]; y = x0[i] } else { x = x0[i]; y = y0[i] }
        printf "%d %.3f %.3f %s\n", p, x, y, t[i]
      }
      n = long = up = 0
    }
    /<page / { flush(); p++; height = $4 }
    /<word / {
      t[n] = $9; gsub(/<\/word>|>/, "", t[n])
      x0[n] = $2; y0[n] = $4; y1[n] = $8
      if (length(t[n]) >= 4) { long++; if ($8 - $4 > $6 - $2) up++ }
      n++
    }
    END { flush() }' | sort -k1,1n -k3,3n |
    # Words of one line (their tops within 3 pt) from left to right.
    awk '$1 != p || $3 - top > 3 { line++; p = $1; top = $3 } { print line, $0 }' |
    sort -k1,1n -k3,3n | cut -d' ' -f2-
}
largest_shift() {
  paste -d' ' <(word_corners "$1") <(word_corners "$2") | awk '
    NF != 8 || $1 != $5 || $4 != $8 { print "words differ at \"" $4 "\" and \"" $8 "\""; bad = 1; exit }
    { dx = $2 - $6; dy = $3 - $7; if (dx < 0) dx = -dx; if (dy < 0) dy = -dy
      if (dx > m) m = dx; if (dy > m) m = dy; n++ }
    END { if (!bad) printf "%.3f pt over %d words\n", m, n }' || true
}
LINUX_BUILD="${RIZARODE_LINUX_BUILD:-$E2E_SRC/build}"
e2e_check "the Linux build is there to print the same job ($LINUX_BUILD)" \
  [ -x "$LINUX_BUILD/rizarode" -a -x "$LINUX_BUILD/demo-run/VELDRAK.EXE" ]
if [ -x "$LINUX_BUILD/rizarode" ] && [ -n "$report" ] && [ -n "$sheet" ]; then
  wine_pdfs="$(mktemp -d /tmp/rzwp.XXXXXX)"
  mv "$report" "$wine_pdfs/report.pdf"
  mv "$sheet" "$wine_pdfs/sheet.pdf"
  rm -rf "$E2E_HOST_DIR" "$E2E_LOG"
  wine_home="$E2E_HOME"
  E2E_BUILD="$LINUX_BUILD"
  E2E_PROGRAM="$LINUX_BUILD/rizarode"
  e2e_prepare_host_dir
  e2e_run -u DISPLAY -u WAYLAND_DISPLAY -u CUPS_SERVER
  e2e_wait_for_own_pdfs "$PDF_DIR" 2
  compared=0
  for f in $(e2e_own_pdfs "$PDF_DIR"); do
    text="$(e2e_pdf_text "$f")"
    for kind in report sheet; do
      [ "$kind" = report ] && key="Descendants of Aldert Brinkhorst" || key="Family group sheet"
      if e2e_text_has "$text" "$key"; then
        compared=$((compared + 1))
        shift="$(largest_shift "$wine_pdfs/$kind.pdf" "$f")"
        echo "$kind: largest difference from the Linux PDF: $shift"
        e2e_check "every word of the $kind within 0.5 pt of the Linux PDF's ($shift)" \
          awk -v s="$shift" 'BEGIN { exit !(s ~ /^[0-9.]+ pt/ && s + 0 <= 0.5) }'
      fi
    done
    rm -f "$f"
  done
  e2e_check "both jobs came out of the Linux program too" [ "$compared" = 2 ]
  rm -rf "$wine_pdfs" "$wine_home"
fi
for f in "${pdfs[@]}"; do rm -f "$f"; done
e2e_finish
