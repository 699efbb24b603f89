#!/usr/bin/env bash
# The argument text reaches a native host exactly: rizarode's own arguments,
# blanks doubled inside them and one at the end, arrive as the words between
# single blanks, so that the host joining its arguments with single blanks
# reads back the command line it was given. A stand-in host records them.
# Before that, the arguments that are answered without starting anything.
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

# "--help" and "--version", a terminal user's first tries, answer on
# standard output and start nothing: no host, no status window, no font
# check, no file in the work directory or the home. "/?" keeps its box.
for option in --help --version "/?"; do
  set +e
  (cd "$E2E_HOST_DIR" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u TMP HOME="$E2E_HOME" \
    TEMP="$E2E_WORK" XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
    RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" CUPS_SERVER=/nonexistent/rizarode-e2e.sock \
    timeout 60 "$E2E_PROGRAM" "$option" </dev/null >"$E2E_LOG.out" 2>"$E2E_LOG.err")
  status=$?
  set -e
  cat "$E2E_LOG.out" "$E2E_LOG.err" >>"$E2E_LOG"
  e2e_check "$option ends with exit code 0 (got $status)" [ "$status" -eq 0 ]
  e2e_check "$option started no host" [ ! -e "$E2E_HOST_DIR/arguments.txt" ]
  e2e_check "$option wrote nothing in the work directory" [ -z "$(ls -A "$E2E_WORK")" ]
  e2e_check "$option made nothing in the home (no fonts, no PDF)" \
    [ "$(ls -A "$E2E_HOME")" = registry ]
  case "$option" in
    --help)
      for text in "Usage: rizarode [/?] [/WDEBUG=x] [/TEMP=dir | /TEMP:dir]" \
        "x=16 Use Courier New font." "/TEMP:dir" "man rizarode"; do
        e2e_check "--help shows \"$text\"" grep -qF -- "$text" "$E2E_LOG.out"
      done
      e2e_check "--help shows no status line" [ ! -s "$E2E_LOG.err" ] ;;
    --version)
      e2e_check "--version shows the version" \
        grep -qx "rizarode [0-9]*\.[0-9]*\.[0-9]*" "$E2E_LOG.out"
      e2e_check "--version names the copyright holder and the licence" \
        grep -qx "Copyright (c) 2026 RIZARODE developers" "$E2E_LOG.out"
      e2e_check "... and the MIT License" grep -q "^MIT License" "$E2E_LOG.out"
      e2e_check "--version shows no status line" [ ! -s "$E2E_LOG.err" ] ;;
    *) e2e_check "/? shows its box" grep -qF "Command line options" "$E2E_LOG.err" ;;
  esac
done
rm -f "$E2E_LOG.out" "$E2E_LOG.err"

E2E_ARGS=("/a  b" "c ")
e2e_run -u DISPLAY -u WAYLAND_DISPLAY CUPS_SERVER=/nonexistent/rizarode-e2e.sock
e2e_check "rizarode ended by the host's end with exit code 0" [ "$E2E_STATUS" -eq 0 ]
arguments="$(cat "$E2E_HOST_DIR/arguments.txt" 2>/dev/null || true)"
expected="[/TEMP=$E2E_WORK][/A][][B][C][]"
e2e_check "the host received ...$expected (it received $arguments)" \
  [ "${arguments#\[/WIN=VK??????.TMP\]}" = "$expected" ]
e2e_finish
