#!/usr/bin/env bash
# End to end without a display: the terminal desktop, the user's processes
# as the window list, and no print scheduler, so that "Save as PDF" writes
# the reports into ~/PDF/. The status window is hidden, so the terminal hears
# nothing of it once the host runs.
. "$(dirname "$0")/e2e_lib.sh"

e2e_prepare_host_dir
e2e_run -u DISPLAY -u WAYLAND_DISPLAY CUPS_SERVER=/nonexistent/rizarode-e2e.sock
e2e_check_status_silent
e2e_check_outcome "$E2E_HOME/PDF"
e2e_finish
