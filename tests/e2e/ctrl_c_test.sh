#!/usr/bin/env bash
# Ctrl-C typed at the terminal is a close request to rizarode, which refuses
# it; the host runs on, and so does the polling: a job written while the
# refusal waits for Enter is printed, and the run ends with its host. The
# host (a native stand-in here) is in a process group of its own, so the
# terminal's interrupt never reaches it. Run on a real terminal: a
# pseudo-terminal whose interrupt character is typed.
. "$(dirname "$0")/e2e_lib.sh"

e2e_prepare_host_dir
# A host that lives until it is told to stop, and says when it got SIGINT.
# Told to write, it writes one job and ends once the job has been taken.
cat >"$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
#!/bin/sh
trap 'echo interrupted > got-int; exit 130' INT
echo $$ > host.pid
for a; do
  case "$a" in /WIN=*) job="${a#/WIN=}" ;; /TEMP=*) dir="${a#/TEMP=}" ;; esac
done
while [ ! -e stop ] && [ ! -e write ]; do sleep 0.1; done
[ -e write ] || exit 0
printf '#JOBstart#\r\nWritten after Ctrl-C\r\n#form#\r\n#JOBend#\r\n' >"$dir$job"
i=0
while [ -e "$dir$job" ] && [ $i -lt 150 ]; do sleep 0.1; i=$((i + 1)); done
[ -e "$dir$job" ] || touch taken
HOST
chmod +x "$E2E_HOST_DIR/VELDRAK.EXE"

set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u TMP -u PRINTER -u LPDEST \
  HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
  XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
  XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
  timeout 120 python3 - "$E2E_BUILD/rizarode" "$E2E_HOST_DIR" >"$E2E_LOG" 2>&1 <<'PY'
import os, pty, select, sys, time

program, host_dir = sys.argv[1], sys.argv[2]
pid, terminal = pty.fork()
if pid == 0:
    os.chdir(host_dir)
    os.execv(program, [program])

seen = b""
def read_for(seconds, until=None):
    global seen
    end = time.monotonic() + seconds
    closed = False
    while time.monotonic() < end:
        if closed:
            time.sleep(0.1)
        else:
            ready, _, _ = select.select([terminal], [], [], 0.1)
            try:
                if ready: seen += os.read(terminal, 4096)
            except OSError:  # the program has closed the terminal
                closed = True
        if until and until():
            return

pid_file = os.path.join(host_dir, "host.pid")
read_for(60, lambda: os.path.exists(pid_file) and b"Starting VELDRAK" in seen)
read_for(2)  # the host window found, the polling ticks running
host = int(open(pid_file).read())
os.write(terminal, b"\x03")  # the terminal's interrupt character
read_for(10, lambda: b"Press Enter" in seen)
read_for(1)
alive = os.path.exists("/proc/%d" % host) and not os.path.exists(os.path.join(host_dir, "got-int"))
print("host after Ctrl-C:", "running" if alive else "ended")
# The refusal is not answered: the host writes a job meanwhile, and ends
# once the job is taken.
open(os.path.join(host_dir, "write"), "w").close()
read_for(20, lambda: os.path.exists(os.path.join(host_dir, "taken")))
print("job taken while the refusal waited:",
      "yes" if os.path.exists(os.path.join(host_dir, "taken")) else "no")
ended = []
def has_ended():
    if not ended:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done: ended.append(status)
    return bool(ended)
read_for(20, has_ended)
print(seen.decode("utf-8", "replace"))
print("rizarode exit code:", os.waitstatus_to_exitcode(ended[0]) if has_ended() else "still running")
PY
status=$?
set -e
e2e_check "the check itself ran" [ "$status" -eq 0 ]
e2e_check "the close request was refused with the message" grep -q "Press Enter" "$E2E_LOG"
e2e_check "the host did not receive the interrupt" grep -q "host after Ctrl-C: running" "$E2E_LOG"
e2e_check "rizarode ended with its host, exit code 0" grep -q "rizarode exit code: 0" "$E2E_LOG"
e2e_check "the job written meanwhile was taken" \
  grep -q "job taken while the refusal waited: yes" "$E2E_LOG"
printed_after_ctrl_c() {
  local f
  for f in "$E2E_HOME"/PDF/*.pdf; do
    [ -f "$f" ] && pdftotext "$f" - 2>/dev/null | grep -q "Written after Ctrl-C" && return 0
  done
  return 1
}
e2e_check "the job written while the refusal waited was printed" printed_after_ctrl_c

# The end of the session (SIGTERM, SIGHUP) ends rizarode with exit code 8;
# the host, out of reach of the terminal's hangup, is ended with it.
rm -f "$E2E_HOST_DIR/host.pid" "$E2E_HOST_DIR/stop" "$E2E_HOST_DIR/write"
(
  cd "$E2E_HOST_DIR"
  exec env -u DISPLAY -u WAYLAND_DISPLAY -u TMP -u PRINTER -u LPDEST \
    HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
    XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
    XDG_CONFIG_HOME="$E2E_HOME/.config" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
    "$E2E_BUILD/rizarode" </dev/null >>"$E2E_LOG" 2>&1
) &
rizarode=$!
for _ in $(seq 1 300); do [ -s "$E2E_HOST_DIR/host.pid" ] && break; sleep 0.1; done
sleep 1
host="$(cat "$E2E_HOST_DIR/host.pid" 2>/dev/null || echo 0)"
kill -TERM "$rizarode"
for _ in $(seq 1 100); do [ -d "/proc/$rizarode" ] && sleep 0.1; done
kill -KILL "$rizarode" 2>/dev/null || true
set +e
wait "$rizarode"
status=$?
set -e
host_gone() {
  local i
  [ "$host" != 0 ] || return 1
  for i in $(seq 1 50); do [ -d "/proc/$host" ] || return 0; sleep 0.1; done
  return 1
}
e2e_check "the session's end: exit code 8 (got $status)" [ "$status" -eq 8 ]
e2e_check "the session's end ended the host too" host_gone
touch "$E2E_HOST_DIR/stop"
e2e_finish
