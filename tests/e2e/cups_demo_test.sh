#!/usr/bin/env bash
# End to end through the real print scheduler: cupsd with the cups-pdf
# queue "PDF" as the default destination. cups-pdf writes into the PDF
# directory of the submitting user's home as the system knows it (not
# $HOME); this run's reports are told apart by the reference the demo host
# prints on them, and removed afterwards.
. "$(dirname "$0")/e2e_lib.sh"

# The scheduler and its queue, as scripts/services.sh sets them up.
command -v cupsd >/dev/null || { echo "cupsd is not installed (scripts/install-deps.sh)" >&2; exit 1; }
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  cupsd >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi
if ! lpstat -p PDF >/dev/null 2>&1; then
  lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E >/dev/null 2>&1 || true
  lpadmin -d PDF >/dev/null 2>&1 || true
fi
if [ "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" != "PDF" ]; then
  echo "the CUPS default destination is not the cups-pdf queue PDF" >&2
  lpstat -d -p >&2 || true
  exit 1
fi

cups_pdf_dir() {
  local out home
  out="$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)"
  home="$(getent passwd "$(id -un)" | cut -d: -f6)"
  out="${out:-\${HOME\}/PDF}"
  echo "${out//\$\{HOME\}/$home}"
}
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
