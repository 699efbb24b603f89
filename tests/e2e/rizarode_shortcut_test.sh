#!/usr/bin/env bash
# rizarode-shortcut from the build directory, case by case: the entries it
# makes, replaces and removes in $XDG_DATA_HOME/applications, each valid by
# desktop-file-validate, and the directories it refuses; the entries' names,
# one for each directory. One entry is then launched by GLib, as a desktop's
# menu does, from a copy of the command beside a program whose path needs
# quoting: it starts in its directory, and once the directory has moved, it
# shows the box that says so, the real program's, on the terminal.
. "$(dirname "$0")/e2e_lib.sh"

command -v desktop-file-validate >/dev/null || {
  echo "desktop-file-validate is not installed (scripts/install-deps.sh)" >&2
  exit 1
}

T="$(mktemp -d /tmp/rzshortcut.XXXXXX)"
trap 'rm -rf "$T"; e2e_cleanup' EXIT
export HOME="$T/home" XDG_DATA_HOME="$T/data"
APPS="$XDG_DATA_HOME/applications"
SHORTCUT="$E2E_BUILD/rizarode-shortcut"

# Host directories: the host's file in any case of letters; a blank, a
# backslash, a quote, a dollar and a percent in the names.
STAMBOOM="$T/Mijn stamboom"
PIF="$T/met pif"
ODD="$T/odd \\ \"q\" \$x 100%"
mkdir -p "$STAMBOOM" "$PIF" "$ODD" "$T/no host/VELDRAK.EXE" "$HOME"
touch "$STAMBOOM/veldrak.exe" "$PIF/VELDRAK.PIF" "$ODD/Veldrak.Exe" "$T/no host/VELDRAK.TXT"
ln -s "$STAMBOOM" "$T/link"
cd "$HOME"

entries() { find "$APPS" -name 'rizarode-*.desktop' 2>/dev/null | wc -l; }
entry_for() {
  grep -lxF "Comment=VELDRAK in $(printf '%s' "$1" | sed 's/\\/\\\\/g'), printing through RIZARODE" \
    "$APPS"/rizarode-*.desktop 2>/dev/null
}
all_valid() {
  local f
  for f in "$APPS"/rizarode-*.desktop; do
    [ -f "$f" ] || continue
    desktop-file-validate "$f" >&2 || return 1
  done
}

# CASE STATUS ENTRIES_AFTER MESSAGE_PART -- ARGUMENTS
shortcut_case() {
  local what="$1" status="$2" count="$3" message="$4" out code=0
  shift 5
  out="$("$SHORTCUT" "$@" 2>&1)" || code=$?
  e2e_check "$what: exit code $status ($code: ${out%%$'\n'*})" [ "$code" -eq "$status" ]
  e2e_check "$what: $count entries afterwards" [ "$(entries)" -eq "$count" ]
  e2e_check "$what: the message says \"$message\"" e2e_text_has "$out" "$message"
  e2e_check "$what: every entry is valid" all_valid
}

shortcut_case "a directory with a blank" 0 1 "made the menu entry" -- "$STAMBOOM"
shortcut_case "the same directory again, with a slash" 0 1 "made" -- "$STAMBOOM/"
shortcut_case "the same directory through a link, relative" 0 1 "made" -- "../link"
shortcut_case "a directory with VELDRAK.PIF" 0 2 "made" -- "$PIF"
shortcut_case "a name with \\, \", \$ and %" 0 3 "made" -- "$ODD"
shortcut_case "a directory without the host" 1 3 "holds no VELDRAK.EXE or VELDRAK.PIF" -- "$T/no host"
shortcut_case "a directory that does not exist" 1 3 "no such directory" -- "$T/nowhere"
shortcut_case "no directory" 2 3 "Usage:" --
shortcut_case "removing the PIF directory's entry" 0 2 "removed" -- --remove "$PIF"
shortcut_case "removing it again" 1 2 "no menu entry for" -- --remove "$PIF"
rm -rf "$ODD"
shortcut_case "removing the entry of a directory that is gone" 0 1 "removed" -- --remove "$ODD"

entry="$(entry_for "$STAMBOOM")"
e2e_check "the entry left names the directory with the blank" [ -n "$entry" ]
e2e_check "it shows the program's icon" grep -qx "Icon=rizarode" "$entry"
e2e_check "it starts the build's command for its directory" \
  grep -qxF "Exec=$E2E_BUILD/rizarode-shortcut --start \"$STAMBOOM\"" "$entry"

# Each entry is called after its directory, and no two alike: a directory
# named VELDRAK by the one it is in, one whose readable name another entry
# has by the one above it as well.
mkdir -p "$T/jansen/VELDRAK" "$T/oud/Mijn_stamboom"
touch "$T/jansen/VELDRAK/VELDRAK.EXE" "$T/oud/Mijn_stamboom/VELDRAK.EXE"
"$SHORTCUT" "$T/jansen/VELDRAK" >/dev/null
"$SHORTCUT" "$T/oud/Mijn_stamboom" >/dev/null
"$SHORTCUT" "$STAMBOOM" >/dev/null  # made again, it keeps its name
while IFS='|' read -r dir name; do
  e2e_check "the entry for ${dir#"$T/"} is called \"$name\"" grep -qxF "Name=$name" "$(entry_for "$dir")"
done <<TABLE
$STAMBOOM|VELDRAK - Mijn stamboom
$T/jansen/VELDRAK|VELDRAK - jansen
$T/oud/Mijn_stamboom|VELDRAK - Mijn stamboom (oud)
TABLE
e2e_check "the names are valid" all_valid
"$SHORTCUT" --remove "$T/jansen/VELDRAK" >/dev/null
"$SHORTCUT" --remove "$T/oud/Mijn_stamboom" >/dev/null

# Launched as a menu launches it: a copy of the command beside a stand-in
# rizarode that notes where it runs.
BIN="$T/bin \"dir\" \$1"
mkdir -p "$BIN"
cp "$SHORTCUT" "$BIN/rizarode-shortcut"
printf '#!/bin/sh\nprintf %%s "${RIZARODE_NOTIFY_TEXT:-}" >"%s/box"\npwd >"%s/started"\n' "$T" "$T" \
  >"$BIN/rizarode"
chmod +x "$BIN/rizarode"
"$BIN/rizarode-shortcut" "$STAMBOOM" >/dev/null
e2e_check "the copy's entry is valid" all_valid
gio launch "$(entry_for "$STAMBOOM")" >"$T/launch.log" 2>&1 || cat "$T/launch.log" >&2
for _ in $(seq 1 100); do
  [ -s "$T/started" ] && break
  sleep 0.1
done
e2e_check "launched, it runs the program beside the command in the host directory" \
  [ "$(cat "$T/started" 2>/dev/null)" = "$STAMBOOM" -a ! -s "$T/box" ]

# The host directory moved: launched again, the entry still starts the
# program, which is to show a box that names the directory and the command
# that makes a new entry, in the session's language.
mv "$STAMBOOM" "$T/verhuisd"
rm -f "$T/started"
LANG=nl_NL.UTF-8 gio launch "$(entry_for "$STAMBOOM")" >"$T/launch.log" 2>&1 || cat "$T/launch.log" >&2
for _ in $(seq 1 100); do
  [ -s "$T/started" ] && break
  sleep 0.1
done
box="$(tr '\r' '\n' <"$T/box" 2>/dev/null)"
e2e_check "launched for a directory that is gone, it asks for a box" [ -n "$box" ]
e2e_check "the box says in Dutch that the directory is gone" \
  e2e_text_has "$box" "De map van dit menu-item bestaat niet meer:"
e2e_check "... names it" e2e_text_has "$box" "    $STAMBOOM"
e2e_check "... and how to make a new entry" e2e_text_has "$box" "rizarode-shortcut MAP-VAN-VELDRAK"
# The real program shows it; without a display, on standard error.
for case in "de_DE.UTF-8|Den Ordner dieses Menüeintrags gibt es nicht mehr:" \
  "C|The directory of this menu entry is gone:"; do
  code=0
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES LANG="${case%%|*}" \
    "$SHORTCUT" --start "$STAMBOOM" 2>&1 </dev/null)" || code=$?
  e2e_check "LANG=${case%%|*}: the program's box says \"${case#*|}\" (exit code $code)" \
    [ "$code" -eq 0 -a -n "$(grep -F "${case#*|}" <<<"$out")" ]
  e2e_check "LANG=${case%%|*}: ... and how to remove the entry" \
    e2e_text_has "$out" "rizarode-shortcut --remove '$STAMBOOM'"
done
e2e_finish
