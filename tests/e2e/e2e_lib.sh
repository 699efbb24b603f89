# Shared steps of the end-to-end tests: the demo host application is started
# for real by rizarode, prints its two reports and ends; the tests then look
# at what came out. Sourced by tests/e2e/*_test.sh with the build directory
# and the source directory as $1 and $2.

set -euo pipefail

E2E_BUILD="$(cd "$1" && pwd)"
E2E_SRC="$(cd "$2" && pwd)"
E2E_NAME="$(basename "$0" .sh)"
E2E_FAILURES=0

E2E_REFERENCE="$E2E_NAME-$$-$RANDOM"
E2E_HOST_DIR=""
E2E_WORK=""
E2E_HOME=""
E2E_LOG=""
# rizarode's arguments in e2e_run, and the program itself (the build's
# unless a test names an installed one).
E2E_ARGS=()
E2E_PROGRAM="$E2E_BUILD/rizarode"

e2e_cleanup() {
  # A host left running by a failed run: only the one started from this
  # run's own copy of the demo directory.
  local p
  [ -n "$E2E_HOST_DIR" ] || return 0
  for p in /proc/[0-9]*; do
    if [ "$(readlink "$p/exe" 2>/dev/null)" = "$E2E_HOST_DIR/VELDRAK.EXE" ]; then
      kill "${p#/proc/}" 2>/dev/null || true
    fi
  done
  rm -rf "$E2E_HOST_DIR" "$E2E_WORK" "$E2E_HOME" "$E2E_LOG"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

e2e_check() {
  local what="$1"
  shift
  if "$@"; then echo "ok: $what"; else e2e_fail "$what"; fi
}

# The second start while the host of a killed run lives on: it ended with
# code $1, at most $2 host processes ran at a time, and its words ($3) say
# that it found the running host ($4). Then that host is killed and waited
# for (host_pids and host_count are the test's own).
e2e_check_host_outlives_run() {
  e2e_check "with the run killed and its host alive, a second start ends with 9 (got $1)" \
    [ "$1" -eq 9 ]
  e2e_check "and starts no second host (most: $2)" [ "$2" = 1 ]
  e2e_check "it found the running host without its run" grep -q "$4" "$3"
  local p
  for p in $(host_pids); do kill -KILL "$p"; done
  for _ in $(seq 1 100); do [ "$(host_count)" = 0 ] && break; sleep 0.1; done
}

e2e_finish() {
  if [ "$E2E_FAILURES" -ne 0 ]; then
    echo "--- rizarode's output ---" >&2
    [ -z "$E2E_LOG" ] || cat "$E2E_LOG" >&2 || true
    echo "$E2E_FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# Private directories: the host's directory (a copy of the demo directory),
# the work directory (in /var/tmp: where /tmp is a tmpfs, as on Debian 13, a
# TEMP there is passed over for lasting storage) and a home of its own, so that ~/PDF and the user's font
# directory, fonts and registry belong to this run alone.
e2e_prepare_host_dir() {
  E2E_HOST_DIR="$(mktemp -d /tmp/rzh.XXXXXX)"
  E2E_WORK="$(mktemp -d /var/tmp/rzw.XXXXXX)/"
  E2E_HOME="$(mktemp -d /tmp/rzhome.XXXXXX)"
  E2E_LOG="$E2E_HOST_DIR.log"
  [ -x "$E2E_BUILD/demo-run/VELDRAK.EXE" ] || {
    echo "the demo directory $E2E_BUILD/demo-run is missing; build the project first" >&2
    exit 1
  }
  cp -r "$E2E_BUILD/demo-run/." "$E2E_HOST_DIR/"
  # The registry key under which Windows registers fonts, as a machine has
  # it; the program writes values but never creates keys.
  mkdir -p "$E2E_HOME/registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts"
}

# Runs rizarode in the host directory and sets E2E_STATUS. The arguments
# are handed to env before the run's own settings: options such as
# "-u DISPLAY" first, then NAME=value words. The demo host runs at a brisk pace,
# yet writes each job over more than two polling ticks so that the wait for
# the host to close the file is seen.
e2e_run() {
  set +e
  (
    cd "$E2E_HOST_DIR"
    exec env -u TMP -u PRINTER -u LPDEST "$@" \
      HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" \
      VELDRAK_DEMO_START_DELAY=0.5 VELDRAK_DEMO_WRITE_SECONDS=2.5 VELDRAK_DEMO_GAP=0.3 \
      VELDRAK_DEMO_END_DELAY=1.5 VELDRAK_DEMO_CONSUME_TIMEOUT=60 \
      VELDRAK_DEMO_REFERENCE="$E2E_REFERENCE" \
      timeout 180 "$E2E_PROGRAM" "${E2E_ARGS[@]}" </dev/null
  ) >"$E2E_LOG" 2>&1
  E2E_STATUS=$?
  set -e
  echo "rizarode ended with exit code $E2E_STATUS"
}

# The PDF files in a directory whose text carries this run's reference, or
# the one given.
e2e_own_pdfs() {
  local dir="$1" reference="${2:-$E2E_REFERENCE}" f
  for f in "$dir"/*.pdf; do
    [ -f "$f" ] || continue
    if pdftotext "$f" - 2>/dev/null | grep -q "$reference"; then echo "$f"; fi
  done
}

# The DOS test host's one job (tests/dos/dos_test_host.asm) in a printed
# PDF: its text on two pages, and the command tail that reached the host.
e2e_check_dos_job_pdf() {
  local how="$1" pdf="$2" tail="$3" text
  text="$(e2e_pdf_text "$pdf")"
  e2e_check "$how: the job's text was printed" e2e_text_has "$text" "Family report from the DOS host"
  e2e_check "$how: its second page too" e2e_text_has "$text" "Page two of the DOS job"
  e2e_check "$how: the job has two pages" [ "$(e2e_pdf_pages "$pdf")" = 2 ]
  e2e_check "$how: the host was told \"$tail\"" e2e_text_has "$text" "$tail"
}

e2e_pdf_text() { pdftotext -layout "$1" - 2>/dev/null; }
e2e_pdf_pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ {print $2}'; }

# "portrait" or "landscape" for each page, one per line.
e2e_pdf_orientations() {
  local pages
  pages="$(e2e_pdf_pages "$1")"
  pdfinfo -f 1 -l "$pages" "$1" 2>/dev/null | awk '
    /^Page +[0-9]+ size:/ { w = $4; h = $6 }
    /^Page +[0-9]+ rot:/ {
      r = $4 % 180
      if ((w > h) != (r == 90)) print "landscape"; else print "portrait"
    }'
}

e2e_text_has() { grep -qF -- "$2" <<<"$1"; }

# The checks every run makes once rizarode has ended: the normal end, the
# driver file kept, the print file gone, and the two reports as PDF files
# with the expected pages and names.
e2e_check_outcome() {
  local pdf_dir="$1"
  e2e_check "rizarode ended by itself with exit code 0" [ "$E2E_STATUS" -eq 0 ]
  e2e_check "the driver file stays in the work directory" [ -f "${E2E_WORK}RIZARODE.TMP" ]
  e2e_check "no print file is left in the work directory" \
    [ -z "$(find "$E2E_WORK" -maxdepth 1 -name 'VK*.TMP' -print -quit)" ]

  local pdfs report="" sheet="" f text
  mapfile -t pdfs < <(e2e_own_pdfs "$pdf_dir")
  e2e_check "two PDF files were printed (found ${#pdfs[@]} in $pdf_dir)" [ "${#pdfs[@]}" -eq 2 ]
  for f in "${pdfs[@]}"; do
    text="$(e2e_pdf_text "$f")"
    if e2e_text_has "$text" "Descendants of Aldert Brinkhorst"; then report="$f"; fi
    if e2e_text_has "$text" "Family group sheet"; then sheet="$f"; fi
  done

  e2e_check "the descendants report is one of them" [ -n "$report" ]
  if [ -n "$report" ]; then
    text="$(e2e_pdf_text "$report")"
    local name
    for name in "Aldert Brinkhorst" "Geertruida van Ommeren" "Hendrik Brinkhorst" \
      "Zoë Lammerts" "Teunis Brinkhorst" "Overview of all descendants" \
      "Named after his grandfather"; do
      e2e_check "the report names \"$name\"" e2e_text_has "$text" "$name"
    done
    e2e_check "the report is printed in the program's own face" \
      grep -q "RUZeruzazOri" <(pdffonts "$report" 2>/dev/null)
    e2e_check "the report has three pages" [ "$(e2e_pdf_pages "$report")" = 3 ]
    e2e_check "pages 1 and 2 are portrait, page 3 landscape" \
      [ "$(e2e_pdf_orientations "$report" | paste -sd,)" = "portrait,portrait,landscape" ]
  fi

  e2e_check "the family group sheet is the other" [ -n "$sheet" ]
  if [ -n "$sheet" ]; then
    text="$(e2e_pdf_text "$sheet")"
    e2e_check "the sheet names \"Johanna Spaargaren\"" e2e_text_has "$text" "Johanna Spaargaren"
    e2e_check "the sheet has one page" [ "$(e2e_pdf_pages "$sheet")" = 1 ]
  fi
}

# The status texts of the host launch and the polling cycle, as the terminal
# desktop writes them while the status window is shown (debug flag 1).
E2E_STATUS_TEXTS=("Starting VELDRAK.EXE" "Adding to print job" "Printing started"
  "Printing ended" "Waiting for print job: 00:00:0")

e2e_check_status_line() {
  local text
  for text in "${E2E_STATUS_TEXTS[@]}"; do
    e2e_check "the status line showed \"$text\"" grep -qF -- "$text" "$E2E_LOG"
  done
}

e2e_log_lacks() { ! grep -qF -- "$1" "$E2E_LOG"; }

# Without debug flag 1 the status window is hidden before the host starts:
# from then on the terminal desktop writes nothing of it.
e2e_check_status_silent() {
  local text
  for text in "${E2E_STATUS_TEXTS[@]}"; do
    e2e_check "the hidden status window kept \"$text\" to itself" e2e_log_lacks "$text"
  done
}

# Makes sure the scheduler runs with the cups-pdf queue "PDF" as the default
# destination, as scripts/services.sh sets it up; ends the test otherwise.
e2e_require_pdf_queue() {
  command -v cupsd >/dev/null || { echo "cupsd is not installed (scripts/install-deps.sh)" >&2; exit 1; }
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    mkdir -p /run/cups
    cupsd >/dev/null 2>&1 || true
    for _ in $(seq 1 50); do
      lpstat -r 2>/dev/null | grep -q "is running" && break
      sleep 0.2
    done
  fi
  if ! lpstat -p PDF >/dev/null 2>&1; then
    lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E >/dev/null 2>&1 || true
    lpadmin -d PDF >/dev/null 2>&1 || true
  fi
  if [ "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" != "PDF" ]; then
    echo "the CUPS default destination is not the cups-pdf queue PDF" >&2
    lpstat -d -p >&2 || true
    exit 1
  fi
}

# The directory cups-pdf writes into: the PDF directory of the submitting
# user's home as the system knows it (not $HOME).
cups_pdf_dir() {
  local out home
  out="$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)"
  home="$(getent passwd "$(id -un)" | cut -d: -f6)"
  out="${out:-\${HOME\}/PDF}"
  echo "${out//\$\{HOME\}/$home}"
}

# Starts the test again on an X display of its own (Xvfb), where no window
# that another test opens can be taken for the host's: call with the test's
# arguments.
e2e_use_own_display() {
  [ -z "${RIZARODE_E2E_OWN_DISPLAY:-}" ] || return 0
  command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 1; }
  RIZARODE_E2E_OWN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$0" "$@"
}

# The tests under Wine. Wine's windows need an X display; the window walk
# sees only the windows of the run's own prefix, so a shared display will do.
e2e_wine_require_display() {
  command -v wine >/dev/null || { echo "wine is not installed (scripts/install-deps.sh)" >&2; exit 1; }
  xdpyinfo >/dev/null 2>&1 || e2e_use_own_display "$@"
}

# A fresh Wine prefix in a home of the run's own (whose XDG_DATA_HOME is
# empty, since Wine also sees fontconfig's fonts), ended and removed with
# the run.
# A host directory for the Windows program: a copy of the Windows build's
# demo directory, with rizarode.exe and its fonts.
e2e_wine_prepare_host_dir() {
  [ -f "$E2E_BUILD/demo-run/rizarode.exe" ] || {
    echo "the demo directory $E2E_BUILD/demo-run is missing; build the Windows program first" >&2
    exit 1
  }
  E2E_HOST_DIR="$(mktemp -d /tmp/rzwh.XXXXXX)"
  E2E_LOG="$E2E_HOST_DIR.log"
  cp -r "$E2E_BUILD/demo-run/." "$E2E_HOST_DIR/"
}

e2e_wine_prefix() {
  E2E_HOME="$(mktemp -d /tmp/rzwhome.XXXXXX)"
  export WINEPREFIX="$E2E_HOME/prefix" WINEDEBUG=-all HOME="$E2E_HOME" XDG_DATA_HOME="$E2E_HOME/share"
  # No Mono or Gecko installers, no menu entries in the desktop's menus.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
  trap e2e_wine_cleanup EXIT
  local t0
  t0=$(date +%s%N)
  wineboot -i >/dev/null 2>&1
  echo "fresh prefix made in $((($(date +%s%N) - t0) / 1000000)) ms"
}

e2e_wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  e2e_cleanup
}

# Waits until the scheduler, which prints on its own time, has put COUNT of
# this run's PDF files into DIR (a minute at most).
e2e_wait_for_own_pdfs() {
  local dir="$1" count="$2"
  for _ in $(seq 1 120); do
    [ "$(e2e_own_pdfs "$dir" | wc -l)" -ge "$count" ] && return 0
    sleep 0.5
  done
}

# --- A stand-in host and a program run in the background ---------------------

# Writes FILE as a stand-in host: a bash script that reads its print file's
# name from /WIN= and its directory from /TEMP= into $job (and $name, $dir),
# followed by the lines read from stdin. The script has its own shebang, so
# the kernel starts it with no env in between and the process is named
# after the file, as the host's window is titled. Its lines may call
# wait_for_done: when FAULT_DONE is set, it waits for that flag file (five
# minutes at most), and also ends when the test has gone, so that no host
# outlives it.
e2e_write_script_host() {
  local file="$1"
  {
    cat <<'PREAMBLE'
#!/bin/bash
for arg in "$@"; do
  case "$arg" in
    /WIN=*) name="${arg#/WIN=}" ;;
    /TEMP=*) dir="${arg#/TEMP=}" ;;
  esac
done
job="$dir$name"
wait_for_done() {
  local i
  [ -n "${FAULT_DONE:-}" ] || return 0
  for ((i = 0; i < 1500; i++)); do
    [ -e "$FAULT_DONE" ] || [ ! -d "$dir" ] && break
    sleep 0.2
  done
}
PREAMBLE
    cat
  } >"$file"
  chmod +x "$file"
}

E2E_PID=""

# A fresh run of a case: new private directories (those of the case before
# removed) and an empty log.
e2e_new_case() {
  e2e_cleanup
  e2e_prepare_host_dir
  : >"$E2E_LOG"
}

# Starts rizarode in the host directory in the background on the terminal
# desktop, with status output (debug flag 1), and sets E2E_PID (that of the
# timeout command; rizarode is its only child). Its output is added to
# $E2E_LOG, so that the runs of one case share a log. The arguments go to env
# before the run's own settings, as with e2e_run: NAME=value words, such as
# what the stand-in host reads. There is no print scheduler unless
# E2E_CUPS_SERVER names one's socket.
e2e_start_program() {
  (
    cd "$E2E_HOST_DIR"
    exec env -u TMP -u PRINTER -u LPDEST -u DISPLAY -u WAYLAND_DISPLAY "$@" \
      HOME="$E2E_HOME" TEMP="$E2E_WORK" RIZARODE_REGISTRY_ROOT="$E2E_HOME/registry" \
      XDG_DATA_HOME="$E2E_HOME/.local/share" XDG_CACHE_HOME="$E2E_HOME/.cache" \
      XDG_CONFIG_HOME="$E2E_HOME/.config" \
      CUPS_SERVER="${E2E_CUPS_SERVER:-/nonexistent/rizarode-$E2E_NAME.sock}" \
      timeout 300 "$E2E_PROGRAM" /WDEBUG=1 </dev/null
  ) >>"$E2E_LOG" 2>&1 &
  E2E_PID=$!
}

# Waits for the run e2e_start_program started and sets E2E_STATUS.
e2e_finish_program() {
  set +e
  wait "$E2E_PID"
  E2E_STATUS=$?
  set -e
}

# Waits up to $1 seconds for the log to hold the text $2.
# Waits, 30 s at most, until none of the processes runs (a zombie has ended).
e2e_wait_gone() {
  local pid i state
  for pid in "$@"; do
    for i in $(seq 300); do
      state="$(ps -o stat= -p "$pid" 2>/dev/null)" || break
      case "$state" in Z*) break ;; esac
      sleep 0.1
    done
  done
}

e2e_wait_for_log() {
  local i
  for ((i = 0; i < $1 * 5; i++)); do
    grep -qF -- "$2" "$E2E_LOG" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

# The PDF files in a directory: how many, and all their text.
e2e_pdf_count() { find "$1" -maxdepth 1 -name '*.pdf' 2>/dev/null | wc -l; }
e2e_all_pdf_text() { local f; for f in "$1"/*.pdf; do [ -f "$f" ] && pdftotext "$f" - 2>/dev/null; done; }

# A scheduler of the test's own that listens on a socket alone, with the
# queue NAME (to /dev/null) as its default destination: sets E2E_SCHED (its
# directory; the socket is $E2E_SCHED/cups.sock) and E2E_SCHED_PID. Needs
# root and cupsd. Lines in E2E_SCHED_CONF go into its cupsd.conf too.
e2e_start_scheduler() {
  local queue="$1" i
  E2E_SCHED="$(mktemp -d /tmp/rzcups.XXXXXX)"
  mkdir -p "$E2E_SCHED"/{spool,cache,state,log,tmp}
  chmod 1777 "$E2E_SCHED/tmp"
  printf 'Listen %s/cups.sock\nLogLevel warn\nBrowsing No\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n' \
    "$E2E_SCHED" >"$E2E_SCHED/cupsd.conf"
  [ -z "${E2E_SCHED_CONF:-}" ] || printf '%s\n' "$E2E_SCHED_CONF" >>"$E2E_SCHED/cupsd.conf"
  printf 'ServerRoot %s\nRequestRoot %s/spool\nCacheDir %s/cache\nStateDir %s/state\nTempDir %s/tmp\nErrorLog %s/log/error_log\nAccessLog %s/log/access_log\nPageLog %s/log/page_log\nFileDevice Yes\n' \
    "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" "$E2E_SCHED" \
    >"$E2E_SCHED/cups-files.conf"
  cupsd -f -c "$E2E_SCHED/cupsd.conf" -s "$E2E_SCHED/cups-files.conf" >/dev/null 2>&1 &
  E2E_SCHED_PID=$!
  for ((i = 0; i < 100; i++)); do [ -S "$E2E_SCHED/cups.sock" ] && break; sleep 0.1; done
  lpadmin -h "$E2E_SCHED/cups.sock" -p "$queue" -v file:///dev/null -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd >/dev/null 2>&1 &&
    lpadmin -h "$E2E_SCHED/cups.sock" -d "$queue" >/dev/null 2>&1
  return 0
}

e2e_stop_scheduler() {
  kill "$E2E_SCHED_PID" 2>/dev/null || true
  wait "$E2E_SCHED_PID" 2>/dev/null || true
  rm -rf "$E2E_SCHED"
}
