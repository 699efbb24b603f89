#!/usr/bin/env bash
# The DOS host under the DOSBox that users have, on the screens they have:
# on an X screen with a window manager, at laptop and monitor sizes, DOSBox's
# window, frame and all, lies inside the work area; a window that DOSBox
# replaces (output=opengl in the user's dosbox.conf), one that opens late,
# and DOSBox-X (when it is installed) do not end the run: each prints its
# job once, and the run ends with the emulator, not before.
. "$(dirname "$0")/e2e_lib.sh"

DOS_HOST="$E2E_BUILD/dos/DOSHOST.EXE"
for tool in dosbox Xvfb openbox xwininfo xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: needs $tool"
    exit 0
  fi
done
if [ ! -f "$DOS_HOST" ]; then
  echo "skipped: needs the DOS test host (nasm)"
  exit 0
fi

XVFB_PID=""
WM_PID=""
stop_screen() {
  [ -z "$WM_PID" ] || kill "$WM_PID" 2>/dev/null || true
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
  [ -z "$XVFB_PID" ] || wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID="" WM_PID=""
}
window_cleanup() {
  local p
  for p in /proc/[0-9]*; do
    if { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -qF -- "$E2E_WORK"; then
      kill "${p#/proc/}" 2>/dev/null || true
    fi
  done
  stop_screen
  e2e_cleanup
}
trap window_cleanup EXIT

# A screen of its own of this size, with a window manager that sets the
# work area and frames windows.
start_screen() {
  local fd_file="$E2E_HOME/display" i
  stop_screen
  rm -f "$fd_file"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for i in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(cat "$fd_file")"
  openbox >/dev/null 2>&1 &
  WM_PID=$!
  for i in $(seq 1 100); do
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q = && return 0
    sleep 0.05
  done
  echo "openbox did not start on $DISPLAY" >&2
  return 1
}

e2e_prepare_host_dir
rm -f "$E2E_HOST_DIR/VELDRAK.EXE"
cp "$DOS_HOST" "$E2E_HOST_DIR/VELDRAK.EXE"

# The emulator, named in RIZARODE_DOSBOX and found on PATH, is a script
# that runs the real one and notes when it ended (with DOSBOX_LATE, it
# starts it that many seconds late).
EMULATOR_ENDED="$E2E_HOME/emulator-ended"
mkdir -p "$E2E_HOME/bin"
for name in dosbox dosbox-x; do
  cat >"$E2E_HOME/bin/$name" <<'EOF'
#!/bin/sh
[ -z "$DOSBOX_LATE" ] || sleep "$DOSBOX_LATE"
"$DOSBOX_REAL" "$@"
date +%s.%N >"$DOSBOX_ENDED"
EOF
  chmod +x "$E2E_HOME/bin/$name"
done

# Runs rizarode with this emulator in the background, notes the outer
# rectangle of the emulator's last shown window ("x y width height") in
# $E2E_HOME/window, and the times both ended.
RUN_ENDED=""
window_run() {
  local name="$1" late="$2" id info frame geometry=""
  rm -rf "$E2E_HOME/PDF" "$EMULATOR_ENDED"
  (
    cd "$E2E_HOST_DIR"
    exec env -u TMP -u PRINTER -u LPDEST -u WAYLAND_DISPLAY \
      HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
      PATH="$E2E_HOME/bin:$PATH" RIZARODE_DOSBOX="$name" DOSBOX_REAL="$(command -v "$name")" \
      DOSBOX_LATE="$late" \
      DOSBOX_ENDED="$EMULATOR_ENDED" timeout 150 "$E2E_BUILD/rizarode"
  ) </dev/null >"$E2E_LOG" 2>&1 &
  local run=$!
  while kill -0 "$run" 2>/dev/null; do
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"DOSBox/ {print $1}'); do
      info="$(xwininfo -id "$id" 2>/dev/null)" || continue
      grep -q "IsViewable" <<<"$info" || continue
      # The window may go at any moment.
      frame="$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)" ||
        continue
      [ -n "$frame" ] || continue
      geometry="$(awk -v f="$frame" '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF}
        END {split(f, e, " "); print x - e[1], y - e[3], w + e[1] + e[2], h + e[3] + e[4]}' \
        <<<"$info")"
    done
    sleep 0.1
  done
  set +e
  wait "$run"
  E2E_STATUS=$?
  set -e
  RUN_ENDED="$(date +%s.%N)"
  echo "$geometry" >"$E2E_HOME/window"
  echo "rizarode ended with exit code $E2E_STATUS; the emulator's window: ${geometry:-none}"
}

# The job printed once, and the run ended by the emulator's end, within two
# polling ticks of it.
check_printed_once_and_ended_with_emulator() {
  local how="$1" pdfs
  e2e_check "$how: rizarode ended with exit code 0" [ "$E2E_STATUS" -eq 0 ]
  mapfile -t pdfs < <(find "$E2E_HOME/PDF" -name '*.pdf' 2>/dev/null)
  e2e_check "$how: the job was printed once (${#pdfs[@]} PDF files)" [ "${#pdfs[@]}" -eq 1 ]
  [ "${#pdfs[@]}" -eq 1 ] && e2e_check_dos_job_pdf "$how" "${pdfs[0]}" "/WIN=VK"
  if [ -s "$EMULATOR_ENDED" ]; then
    local lag
    lag="$(awk -v a="$(cat "$EMULATOR_ENDED")" -v b="$RUN_ENDED" 'BEGIN {printf "%.2f", b - a}')"
    echo "$how: the run ended $lag s after the emulator"
    e2e_check "$how: the run ended after the emulator, within 2.5 s ($lag s)" \
      awk -v l="$lag" 'BEGIN {exit !(l >= 0 && l <= 2.5)}'
  else
    e2e_fail "$how: the emulator had not ended when the run did"
  fi
}

# The outer window inside the work area, and a picture of the height the
# room allows (whole-number scales where one of 2 or more fits).
check_window_fits() {
  local how="$1" window area
  read -r -a window <"$E2E_HOME/window"
  read -r -a area < <(xprop -root _NET_WORKAREA | sed 's/.*= //' | tr -d , | cut -d' ' -f1-4)
  e2e_check "$how: DOSBox's window was seen" [ "${#window[@]}" -eq 4 ]
  [ "${#window[@]}" -eq 4 ] || return 0
  e2e_check "$how: the window (${window[*]}) lies inside the work area (${area[*]})" \
    [ "${window[0]}" -ge "${area[0]}" -a "${window[1]}" -ge "${area[1]}" -a \
      $((window[0] + window[2])) -le $((area[0] + area[2])) -a \
      $((window[1] + window[3])) -le $((area[1] + area[3])) ]
  e2e_check "$how: the window is at least 95% of the work area across or down" \
    [ $((window[2] * 100)) -ge $((area[2] * 95)) -o $((window[3] * 100)) -ge $((area[3] * 95)) -o \
      "$2" = whole ]
}

# screen size | emulator | the picture's scale: whole, or as large as fits
screens=("1366x768|as large" "1280x1024|as large" "1920x1080|whole" "3840x2160|whole")
for entry in "${screens[@]}"; do
  IFS='|' read -r size scale <<<"$entry"
  start_screen "$size"
  window_run dosbox ""
  check_window_fits "dosbox at $size" "$scale"
  check_printed_once_and_ended_with_emulator "dosbox at $size"
done

# A user's dosbox.conf that has SDL replace DOSBox's first window.
start_screen 1920x1080
printf '[sdl]\noutput=opengl\n' >"$E2E_HOST_DIR/dosbox.conf"
window_run dosbox ""
check_printed_once_and_ended_with_emulator "output=opengl in the user's dosbox.conf"
rm -f "$E2E_HOST_DIR/dosbox.conf"

# A DOSBox whose window opens only after the wait for it.
window_run dosbox 6
check_printed_once_and_ended_with_emulator "a DOSBox that opens its window after 6 s"

# DOSBox-X, found on PATH by its name.
if command -v dosbox-x >/dev/null; then
  start_screen 1366x768
  window_run dosbox-x ""
  check_printed_once_and_ended_with_emulator "dosbox-x"
  check_window_fits "dosbox-x at 1366x768" "as large"
else
  echo "note: dosbox-x is not installed; its case is skipped"
fi

e2e_finish
