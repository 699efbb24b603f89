#!/usr/bin/env bash
# End to end through the real print scheduler: cupsd with the cups-pdf
# queue "PDF" as the default destination. cups-pdf writes into the PDF
# directory of the submitting user's home as the system knows it (not
# $HOME); this run's reports are told apart by the reference the demo host
# prints on them, and removed afterwards.
. "$(dirname "$0")/e2e_lib.sh"

# The scheduler and its queue, as scripts/services.sh sets them up.
e2e_require_pdf_queue

PDF_DIR="$(cups_pdf_dir)"

e2e_prepare_host_dir
# Debug flag 1 keeps the status window shown, so its texts reach the terminal.
E2E_ARGS=(/WDEBUG=1)
e2e_run -u DISPLAY -u WAYLAND_DISPLAY -u CUPS_SERVER

# The scheduler prints on its own time: wait until both jobs have come out.
for _ in $(seq 1 120); do
  [ "$(e2e_own_pdfs "$PDF_DIR" | wc -l)" -ge 2 ] && break
  sleep 0.5
done
e2e_check_status_line
e2e_check_outcome "$PDF_DIR"
e2e_own_pdfs "$PDF_DIR" | while read -r f; do rm -f "$f"; done
e2e_finish
