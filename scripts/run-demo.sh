#!/usr/bin/env bash
# The main job: builds rizarode and the demo host application, then runs
# rizarode in the demo directory (build/demo-run), as a user starts it in
# place of the host application. It runs on the built-in defaults: the
# terminal desktop (the status line on standard error while the status
# window is shown: during start-up, throughout with /WDEBUG=1) and the printer
# "Save as PDF", which writes each print job as a PDF file into ~/PDF/. It
# ends by itself once the demo host has printed its two reports and ended,
# and then names the PDF files it wrote.
#
# Arguments are passed on to rizarode (for example /WDEBUG=1). The demo
# host's pace can be set with the VELDRAK_DEMO_* variables that
# demo/host_script.h describes.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${RIZARODE_BUILD_DIR:-build}"
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

pdf_dir="${HOME}/PDF"
started="$(mktemp)"
trap 'rm -f "$started"' EXIT

echo "Running rizarode in $build/demo-run; it ends when the demo host VELDRAK ends." >&2
set +e
(
  cd "$build/demo-run"
  # No display and no print scheduler: the defaults a fresh machine has.
  exec env -u DISPLAY -u WAYLAND_DISPLAY -u PRINTER -u LPDEST \
    CUPS_SERVER=/nonexistent/rizarode-demo.sock ../rizarode "$@"
)
status=$?
set -e

mapfile -t written < <(find "$pdf_dir" -maxdepth 1 -name '*.pdf' -newer "$started" 2>/dev/null | sort)
echo >&2
echo "rizarode ended with exit code $status." >&2
if [ ${#written[@]} -gt 0 ]; then
  echo "The printed reports are in $pdf_dir/:" >&2
  printf '  %s\n' "${written[@]}" >&2
else
  echo "No PDF file was written to $pdf_dir/." >&2
fi
exit "$status"
