#!/usr/bin/env bash
# End to end on an X display (Xvfb): the status window and message boxes of
# the GTK desktop, the X11 window list, the demo host with a real window
# titled "VELDRAK", and "Save as PDF" for lack of a print scheduler.
. "$(dirname "$0")/e2e_lib.sh"

# A display of its own: on a shared one, a window that another test opens
# while the host starts would count as a new window, and might be taken for
# the host's.
e2e_use_own_display "$@"

e2e_prepare_host_dir
e2e_run CUPS_SERVER=/nonexistent/rizarode-e2e.sock
e2e_check_outcome "$E2E_HOME/PDF"
e2e_finish
