#!/usr/bin/env bash
# Starts the services that the tests use, when they are not running yet:
#  - an X server (Xvfb) on a free display, exported as DISPLAY;
#  - the CUPS scheduler with a cups-pdf queue "PDF" as the default
#    destination, whose jobs land in ~/PDF/.
# Source it (". scripts/services.sh") so that DISPLAY reaches the caller.
# Each service is skipped with a note when its package is missing.

# A display whose server has gone (killed, or its machine restarted) still
# has its lock file and socket: they would keep every later start away.
rizarode_clear_stale_display() {
  local lock="/tmp/.X$1-lock" pid
  [ -e "$lock" ] || return 0
  pid="$(tr -dc '0-9' <"$lock" 2>/dev/null)"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then return 0; fi
  rm -f "$lock" "/tmp/.X11-unix/X$1"
}

rizarode_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "services: Xvfb is not installed; display tests will be skipped" >&2
    unset DISPLAY
    return 0
  fi
  local n
  for n in $(seq 90 110); do
    rizarode_clear_stale_display "$n"
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/tmp/rizarode-xvfb.log 2>&1 &
      local i
      for i in $(seq 1 50); do
        if DISPLAY=":${n}" xdpyinfo >/dev/null 2>&1; then
          export DISPLAY=":${n}"
          return 0
        fi
        sleep 0.1
      done
    fi
  done
  echo "services: could not start Xvfb" >&2
  unset DISPLAY
}

rizarode_start_cups() {
  if ! command -v cupsd >/dev/null 2>&1; then
    echo "services: cupsd is not installed; scheduler tests will be skipped" >&2
    return 0
  fi
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    mkdir -p /run/cups
    cupsd >/dev/null 2>&1 || true
    local i
    for i in $(seq 1 50); do
      lpstat -r 2>/dev/null | grep -q "is running" && break
      sleep 0.2
    done
  fi
  if ! lpstat -p PDF >/dev/null 2>&1; then
    lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E >/dev/null 2>&1 ||
      echo "services: could not add the PDF queue" >&2
  fi
  lpadmin -d PDF >/dev/null 2>&1 || true
  cupsenable PDF >/dev/null 2>&1 || true
  cupsaccept PDF >/dev/null 2>&1 || true
}

rizarode_start_xvfb
rizarode_start_cups
