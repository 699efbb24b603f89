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

# The session ends (SIGTERM) while the jobs cannot be printed (~/PDF cannot
# be made): the run still ends as at the session's end, without waiting for
# the box that tells the user where the jobs are kept; that box is open in a
# process of its own. The demo host stays until it is hung up.

# The mapped windows titled $1 and the process behind each: "WINDOW PID".
windows_titled() {
  local w pid
  for w in $(xwininfo -root -tree | awk -v t="\"$1\":" '$2 == t {print $1}'); do
    xwininfo -id "$w" 2>/dev/null | grep -q "Map State: IsViewable" || continue
    pid="$(xprop -id "$w" _NET_WM_PID 2>/dev/null | awk '{print $3}')"
    echo "$w ${pid:-none}"
  done
}

another_live_process() { [ -n "$1" ] && [ "$1" != "none" ] && [ "$1" != "$2" ] && [ -d "/proc/$1" ]; }

e2e_new_case
: >"$E2E_HOME/PDF"
e2e_start_program DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" \
  VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=0.5 VELDRAK_DEMO_GAP=0.3 \
  VELDRAK_DEMO_END_DELAY=300 VELDRAK_DEMO_CONSUME_TIMEOUT=300 \
  VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE"
for _ in $(seq 1 300); do
  [ -n "$(find "$E2E_WORK" -maxdepth 1 -name 'VK*.0[0-9][0-9]' -print -quit)" ] && break
  sleep 0.2
done
program_pid="$(pgrep -P "$E2E_PID" || true)"
[ -z "$program_pid" ] || kill -TERM "$program_pid"
e2e_finish_program
e2e_check "session's end with jobs kept: exit code of the session's end" [ "$E2E_STATUS" -eq 8 ]
box=""
for _ in $(seq 1 100); do
  box="$(windows_titled rizarode | head -1)"
  [ -n "$box" ] && break
  sleep 0.2
done
box_pid="${box#* }"
e2e_check "session's end with jobs kept: a box is open after the run ended" [ -n "$box" ]
e2e_check "session's end with jobs kept: in a process of its own" \
  another_live_process "$box_pid" "$program_pid"
# What the box was started with: its text in the run's language (Dutch).
box_text="$(tr '\0' '\n' <"/proc/$box_pid/environ" 2>/dev/null | grep -a '^RIZARODE_NOTIFY_TEXT=' || true)"
e2e_check "session's end with jobs kept: the box tells where the jobs are kept" e2e_text_has "$box_text" "$E2E_WORK"
e2e_check "session's end with jobs kept: and that the next start prints them" \
  e2e_text_has "$box_text" "zodra het programma weer start"
e2e_check "session's end with jobs kept: the jobs are kept" \
  grep -q . <(find "$E2E_WORK" -maxdepth 1 -name 'VK*')
if another_live_process "$box_pid" "$program_pid"; then kill "$box_pid"; fi
e2e_finish
