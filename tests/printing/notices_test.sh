#!/usr/bin/env bash
# The notice of where a job went, through the real program on a session bus
# of the test's own with a notification service of its own, which records
# each Notify call and invokes the notice's action once the run has ended;
# a viewer of the test's, first on PATH as xdg-open, records what it was
# asked to open. Each outcome in each language; then a run without a
# session bus, which goes on as ever.
. "$(dirname "$0")/../e2e/e2e_lib.sh"

if ! command -v dbus-run-session >/dev/null || ! /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null; then
  echo "skipped: needs dbus-run-session, python3-dbus and python3-gi (scripts/install-deps.sh)"
  exit 0
fi
if [ -z "${RIZARODE_NOTICES_BUS:-}" ]; then
  RIZARODE_NOTICES_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

SERVER_PID=""
TEST_DIR="$(mktemp -d /tmp/rznotice.XXXXXX)"
cleanup_notices() {
  [ -z "$SERVER_PID" ] || kill "$SERVER_PID" 2>/dev/null || true
  [ -z "${E2E_SCHED_PID:-}" ] || e2e_stop_scheduler
  rm -rf "$TEST_DIR"
  e2e_cleanup
}
trap cleanup_notices EXIT

RECORD="$TEST_DIR/notify.jsonl"
OPENED="$TEST_DIR/opened"
mkdir "$TEST_DIR/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$OPENED" >"$TEST_DIR/bin/xdg-open"
chmod +x "$TEST_DIR/bin/xdg-open"
: >"$RECORD"
: >"$OPENED"
exec {server_out}< <(NOTICE_ACTION_DELAY=2 exec /usr/bin/python3 \
  "$E2E_SRC/tests/printing/data/notification_server.py" "$RECORD")
SERVER_PID=$!
read -r -t 20 -u "$server_out" ready || true
[ "${ready:-}" = ready ] || { echo "the notification service did not start" >&2; exit 1; }

# The host: one job, then it ends.
write_host() {
  e2e_write_script_host "$E2E_HOST_DIR/VELDRAK.EXE" <<'HOST'
sleep 1
printf 'Notice test %s\r\n#form##JOBend#\r\n' "$NOTICE_REF" >"$job"
sleep 4
HOST
}

REFERENCE="$E2E_REFERENCE"
# Runs one case in language $1 (the marker's directory) and sets NOTICE to
# the one Notify call it made (empty when none came within 15 s).
run_case() {
  local lang="$1" before
  shift
  e2e_new_case
  write_host
  rm -rf "$E2E_HOST_DIR/NL"
  mkdir -p "$E2E_HOST_DIR/$lang"
  touch "$E2E_HOST_DIR/$lang/VELDRAK.TXT"
  before="$(wc -l <"$RECORD")"
  "$@"
  e2e_start_program PATH="$TEST_DIR/bin:$PATH" NOTICE_REF="$REFERENCE"
  e2e_finish_program
  for _ in $(seq 1 75); do [ "$(wc -l <"$RECORD")" -gt "$before" ] && break; sleep 0.2; done
  NOTICE="$(tail -n +"$((before + 1))" "$RECORD")"
}

field() { /usr/bin/python3 -c 'import json,sys; v=json.loads(sys.stdin.read())[sys.argv[1]]; print("|".join(v) if isinstance(v,list) else v)' "$1" <<<"$NOTICE"; }
opened() { for _ in $(seq 1 50); do grep -qxF -- "$1" "$OPENED" && return 0; sleep 0.2; done; return 1; }

# How each case is made: the printer it finds, or a ~/PDF that cannot be.
saved() { unset E2E_CUPS_SERVER; }
printed() { E2E_CUPS_SERVER=/run/cups/cups.sock; }
refused() { E2E_CUPS_SERVER="$E2E_SCHED/cups.sock"; }
kept() { unset E2E_CUPS_SERVER; : >"$E2E_HOME/PDF"; }

e2e_require_pdf_queue
e2e_start_scheduler RizaRodeRefusing
cupsreject -h "$E2E_SCHED/cups.sock" RizaRodeRefusing

# case | language | the notice's first line | its action's label | the file it opens
CASES=(
  "saved|NL|De afdruk is als PDF bewaard:|PDF openen|PDF/RIZARODE-2"
  "saved|D|Der Druckauftrag wurde als PDF gespeichert:|PDF öffnen|PDF/RIZARODE-2"
  "saved|GB|The print job was saved as PDF:|Open the PDF|PDF/RIZARODE-2"
  "printed|NL|De afdruk is afgedrukt op PDF.||"
  "printed|D|Der Druckauftrag wurde auf PDF gedruckt.||"
  "printed|GB|The print job was printed on PDF.||"
  "refused|NL|De afdruk is door RizaRodeRefusing geweigerd en bewaard als:|PDF openen|PDF/RIZARODE-unsent-"
  "refused|D|Der Druckauftrag wurde von RizaRodeRefusing abgelehnt und gespeichert als:|PDF öffnen|PDF/RIZARODE-unsent-"
  "refused|GB|The print job was refused by RizaRodeRefusing and saved as:|Open the PDF|PDF/RIZARODE-unsent-"
  "kept|NL|Een afdruk is niet afgedrukt. Deze blijft bewaard en wordt afgedrukt zodra het programma weer start.||"
  "kept|D|Ein Druckauftrag wurde nicht gedruckt. Er bleibt aufbewahrt und wird gedruckt, sobald das Programm wieder startet.||"
  "kept|GB|A print job was not printed. It is kept and printed when the program starts again.||"
)
for row in "${CASES[@]}"; do
  IFS='|' read -r how lang first label file <<<"$row"
  run_case "$lang" "$how"
  what="$how $lang"
  e2e_check "$what: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "$what: one notice (got: $NOTICE)" [ "$(grep -c . <<<"$NOTICE")" -eq 1 ]
  [ -n "$NOTICE" ] || continue
  echo "recorded: $NOTICE"
  body="$(field body)"
  e2e_check "$what: it says \"$first\"" [ "$(head -1 <<<"$body")" = "$first" ]
  if [ -z "$file" ]; then
    e2e_check "$what: no action" [ -z "$(field actions)" ]
    continue
  fi
  pdf="$(sed -n 2p <<<"$body")"
  e2e_check "$what: it names the file, which is there" e2e_text_has "$pdf" "$E2E_HOME/$file"
  e2e_check "$what: which holds the job" e2e_text_has "$(e2e_pdf_text "$pdf")" "$REFERENCE"
  e2e_check "$what: its action is \"$label\"" [ "$(field actions)" = "default|$label|open|$label" ]
  e2e_check "$what: the action, after the run, opened the file in the viewer" opened "$pdf"
done
e2e_stop_scheduler
E2E_SCHED_PID=""
# The printed jobs out of the shared queue's directory.
e2e_wait_for_own_pdfs "$(cups_pdf_dir)" 3
e2e_own_pdfs "$(cups_pdf_dir)" "$REFERENCE" | xargs -r rm -f

# No session bus: no notice, nothing else changes.
before="$(wc -l <"$RECORD")"
e2e_new_case
write_host
mkdir "$TEST_DIR/runtime"
unset E2E_CUPS_SERVER
start="$(date +%s%N)"
e2e_start_program -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$TEST_DIR/runtime" \
  PATH="$TEST_DIR/bin:$PATH" NOTICE_REF="$REFERENCE"
e2e_finish_program
echo "measured: the run without a session bus took $((($(date +%s%N) - start) / 1000000)) ms"
sleep 3
e2e_check "no bus: the run ends normally" [ "$E2E_STATUS" -eq 0 ]
e2e_check "no bus: the job was saved as PDF" [ "$(e2e_pdf_count "$E2E_HOME/PDF")" -eq 1 ]
e2e_check "no bus: no notice" [ "$(wc -l <"$RECORD")" -eq "$before" ]
e2e_check "no bus: \"Printing ended\" as ever" grep -qF "Printing ended" "$E2E_LOG"
e2e_finish
