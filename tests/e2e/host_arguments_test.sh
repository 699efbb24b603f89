#!/usr/bin/env bash
# The argument text reaches a native host exactly: rizarode's own arguments,
# blanks doubled inside them and one at the end, arrive as the words between
# single blanks, so that the host joining its arguments with single blanks
# reads back the command line it was given. A stand-in host records them.
. "$(dirname "$0")/e2e_lib.sh"

e2e_prepare_host_dir
rm -f "$E2E_HOST_DIR/VELDRAK.EXE"
cat >"$E2E_HOST_DIR/VELDRAK.EXE" <<'SH'
#!/bin/sh
for a in "$@"; do printf '[%s]' "$a"; done >arguments.tmp
mv arguments.tmp arguments.txt
sleep 1
SH
chmod +x "$E2E_HOST_DIR/VELDRAK.EXE"

E2E_ARGS=("/a  b" "c ")
e2e_run -u DISPLAY -u WAYLAND_DISPLAY CUPS_SERVER=/nonexistent/rizarode-e2e.sock
e2e_check "rizarode ended by the host's end with exit code 0" [ "$E2E_STATUS" -eq 0 ]
arguments="$(cat "$E2E_HOST_DIR/arguments.txt" 2>/dev/null || true)"
expected="[/TEMP=$E2E_WORK][/A][][B][C][]"
e2e_check "the host received ...$expected (it received $arguments)" \
  [ "${arguments#\[/WIN=VK??????.TMP\]}" = "$expected" ]
e2e_finish
