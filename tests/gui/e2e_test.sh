#!/usr/bin/env bash
# Uses the real VARNEL.exe as a person would, under Wine on a private virtual
# display, and checks what it leaves on disk:
#   e2e_test.sh VARNEL.exe DATA_DIR ARTIFACT_DIR WINE_RUN WINE_PREFIX varnel-split.exe
#               session_driver.exe
# DATA_DIR holds rover.adi (the log to split, with a UTF-8 and a Latin-1
# QTH), before/ (output files already there, so the overwrite question comes
# up), after/ (the folder's exact contents after the split, besides
# VARNEL.exe), status.txt (the status lines) and printed.txt (what
# varnel-split.exe prints: the lines and its count of QSOs left out). The program is started with
# the log's full path as its argument, as "Open with" does, from a Cyrillic
# folder whose name has a blank; it splits, then a copy of the log in a
# Polish folder, beside a folder of the same name without its accents, is
# chosen through Input and the open-file dialog and split (while its question
# waits, the end of the session is refused). The look-alike
# folder must stay untouched, as it must when varnel-split.exe splits both
# logs again from its arguments and prints the status lines; over dangling
# Unix links at output names it makes nothing at their targets. Started once
# more, the program's split is ended by a critical end of the session during
# its question: it grants it, its files closed after whole records. The screenshot
# of the window with its status list goes to ARTIFACT_DIR/varnel-e2e.png.
#
# Every wait is bounded and waits for something visible (a window by name, a
# file's bytes, pixels in the status list), and the whole run is bounded by
# `timeout`, which signals it in time for the cleanup below to run (ctest's
# own timeout would kill it outright and leave Xvfb and Wine behind).
set -euo pipefail
# shellcheck source=../support/own_display.sh
source "$(dirname "$0")/../support/own_display.sh"
run_bounded "$0" "$@"

if [ $# -ne 7 ]; then
  echo "usage: $0 VARNEL.exe DATA_DIR ARTIFACT_DIR WINE_RUN WINE_PREFIX varnel-split.exe" \
    "session_driver.exe" >&2
  exit 2
fi
exe=$1 data=$2 artifacts=$3 wine_run=$4 prefix=$5 split_exe=$6 session_driver=$7
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool not found" >&2; exit 1; }
done
find_wineserver e2e

root=$(mktemp -d "${TMPDIR:-/tmp}/varnel-e2e.XXXXXX")
folder="$root/Ровер logs"    # what VARNEL sees: the program, the log, old outputs
polish="$root/Łódź"          # the same log and old outputs
look_alike="$root/Lódz"      # what an 8-bit conversion would make of it
mkdir -p "$folder" "$polish" "$look_alike" "$artifacts"
rm -f "$artifacts"/varnel-e2e*.png
xvfb_pid='' varnel_pid='' own_display='' passed=0

log() { echo "e2e: $*"; }
fail() {
  echo "e2e: FAIL: $*" >&2
  if [ -n "$own_display" ]; then import -window root "$artifacts/varnel-e2e-failure.png" 2>/dev/null || true; fi
  exit 1
}

cleanup() {
  set +e
  [ -n "$varnel_pid" ] && kill "$varnel_pid" 2>/dev/null
  # Ends every Wine process of this prefix (the program, explorer, services)
  # so nothing outlives the test or keeps the display busy.
  WINEPREFIX=$prefix timeout 10 "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ "$passed" = 1 ]; then
    rm -rf "$root"
  else
    echo "e2e: kept for inspection: $root" >&2
    [ -f "$root/varnel.log" ] && sed 's/^/e2e: program output: /' "$root/varnel.log" >&2
  fi
}
trap cleanup EXIT
trap 'fail "interrupted or out of time"' INT TERM

# A display of our own.
start_own_display "$root"
own_display=$DISPLAY
log "display $DISPLAY, folder $folder"

# wait_window NAME SECONDS: prints the id of the visible window titled NAME.
wait_window() {
  timeout "$2" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true
}
# wait_gone NAME SECONDS: succeeds once no visible window is titled NAME.
wait_gone() {
  local tries=$(($2 * 5))
  while [ "$tries" -gt 0 ]; do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.2
    tries=$((tries - 1))
  done
  return 1
}
# keys WINDOW KEY...: keyboard input for WINDOW. Without a window manager the
# X focus can drift back to the root, so it is set again before each key.
keys() {
  local window=$1
  shift
  for key in "$@"; do
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key "$key" 2>/dev/null || true
  done
}
# The buttons' centres in client coordinates (Input at 20,25; the row below at
# y 75; each 80x25). With no window manager the X window is the client area.
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
click_input() { click 60 37; }
click_split() { click 60 87; }
click_exit() { click 405 87; }

# end_session_refused: Wine's end of the session (what a log-off sends) while
# the split waits in its question: the program refuses it, so Wine neither
# ends it nor takes its question away.
end_session_refused() {
  local status=0
  "$wine_run" --prefix="$prefix" wineboot.exe --end-session --shutdown >/dev/null 2>&1 ||
    status=$?
  [ "$status" != 0 ] || fail "the session ended during a split"
  kill -0 "$varnel_pid" 2>/dev/null || fail "the program was ended during a split"
  [ -n "$(wait_window Warning 5)" ] || fail "the question went away with the session's end"
  log "the end of the session was refused during the split"
}

# split_and_check FOLDER [end_session]: Split, answer Yes to the question for
# rover_FN42.adi (it exists), and wait until FOLDER holds exactly after/ (and
# VARNEL.exe, when it is the program's folder); with end_session, the
# session's end is refused first. A second click while the question waits
# does nothing (one split at a time), so a click that got lost can simply be
# repeated.
split_and_check() {
  local warning=
  for _ in 1 2 3; do
    click_split
    warning=$(wait_window Warning 20)
    [ -n "$warning" ] && break
  done
  [ -n "$warning" ] || fail "no overwrite question"
  [ "${2:-}" != end_session ] || end_session_refused
  for _ in 1 2 3 4 5; do
    keys "$warning" y
    if wait_gone Warning 10; then break; fi
  done
  wait_gone Warning 1 || fail "the overwrite question did not take Yes"
  wait_outputs "$1"
}
# wait_outputs FOLDER: waits until FOLDER holds the outputs of after/, byte
# for byte, and nothing else (but VARNEL.exe in the program's folder).
wait_outputs() {
  local expected matched=0
  expected=$( (cd "$data/after" && ls -A; [ "$1" != "$folder" ] || echo VARNEL.exe) | sort)
  for _ in $(seq 150); do
    if [ "$(cd "$1" && ls -A | sort)" = "$expected" ] &&
       (cd "$data/after" && for f in *; do cmp -s "$f" "$1/$f" || exit 1; done); then
      matched=1
      break
    fi
    sleep 0.2
  done
  if [ "$matched" = 0 ]; then
    diff <(echo "$expected") <(cd "$1" && ls -A | sort) >&2 || true
    for f in "$data"/after/*; do cmp "$f" "$1/${f##*/}" >&2 || true; done
    fail "the output files in $1 differ from $data/after"
  fi
  log "output files in $1 match $data/after"
}
# The folders as they were before any split: the log and old outputs.
reset_folders() {
  for f in "$folder" "$polish" "$look_alike"; do
    rm -f "$f"/*.adi
    cp "$data/rover.adi" "$data"/before/* "$f/"
  done
}
# check_look_alike: the folder whose name differs only in its accents is as
# reset_folders left it.
check_look_alike() {
  [ "$(cd "$look_alike" && ls -A | sort)" = "$( (echo rover.adi; cd "$data/before" && ls -A) | sort)" ] &&
    cmp -s "$data/rover.adi" "$look_alike/rover.adi" || fail "the look-alike folder $look_alike was written"
}
win_path() { printf 'Z:%s\\rover.adi' "${1//\//\\}"; }
windows_path=$(win_path "$folder")

# Started as "Open with" starts it: the log's full path, quoted (it has a
# blank), as the only argument, from another folder.
cp "$exe" "$folder/VARNEL.exe"
reset_folders
(cd "$root" && exec "$wine_run" --prefix="$prefix" "$folder/VARNEL.exe" "$windows_path") \
  >"$root/varnel.log" 2>&1 &
varnel_pid=$!

# The first run in a new prefix sets Wine up first, which takes a while.
main=$(wait_window VARNEL 150)
[ -n "$main" ] || fail "the VARNEL window did not appear"
log "main window $main, started with $windows_path"
split_and_check "$folder"

# The status list's first line is drawn once the split's lines are shown.
shown=0
for _ in $(seq 100); do
  colours=$(import -window "$main" png:- 2>/dev/null |
            convert - -crop 300x10+30+131 +repage -format '%k' info: 2>/dev/null || echo 0)
  if [ "${colours:-0}" -gt 1 ]; then shown=1; break; fi
  sleep 0.1
done
[ "$shown" = 1 ] || fail "the status list shows no lines"
import -window "$main" "$artifacts/varnel-e2e.png"
log "screenshot: $artifacts/varnel-e2e.png"

# Input: the Polish folder's log, typed into the open-file dialog, and split.
windows_path=$(win_path "$polish")
chosen=0
for attempt in 1 2 3; do
  dialog=$(wait_window 'Input ADIF File' 1)
  [ -n "$dialog" ] || { click_input; dialog=$(wait_window 'Input ADIF File' 20); }
  [ -n "$dialog" ] || continue
  keys "$dialog" ctrl+a
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool type --delay 15 "$windows_path" 2>/dev/null || true
  keys "$dialog" Return
  if wait_gone 'Input ADIF File' 15; then chosen=1; break; fi
  log "open-file dialog still open after attempt $attempt"
done
[ "$chosen" = 1 ] || fail "could not choose $windows_path in the open-file dialog"
split_and_check "$polish" end_session
check_look_alike

# Exit ends the program with exit code 0.
for _ in 1 2 3; do
  click_exit
  for _ in $(seq 50); do
    kill -0 "$varnel_pid" 2>/dev/null || break 2
    sleep 0.2
  done
done
kill -0 "$varnel_pid" 2>/dev/null && fail "the program did not end after Exit"
status=0
wait "$varnel_pid" || status=$?
varnel_pid=''
[ "$status" = 0 ] || fail "exit code $status after Exit"
log "exit code 0"

# varnel-split.exe: both logs from its arguments, with the same outcome.
reset_folders
for f in "$folder" "$polish"; do
  shown=$("$wine_run" --prefix="$prefix" "$split_exe" --overwrite "$(win_path "$f")" | tr -d '\r') ||
    fail "varnel-split.exe failed on $(win_path "$f")"
  [ "$shown" = "$(cat "$data/printed.txt")" ] || fail "varnel-split.exe printed: $shown"
  wait_outputs "$f"
done
check_look_alike

# Dangling Unix symbolic links at output names, pointing out of the folder:
# Wine follows them where Windows opens the link itself. Each is refused,
# stays as it was, and nothing appears at its target, not even one named like
# the output (which the name check alone would let through).
away=$root/away
mkdir -p "$away"
reset_folders
rm -f "$folder/rover_FN42.adi"
ln -s "$away/planted.adi" "$folder/rover_FN42.adi"
ln -s "$away/rover_FN43.adi" "$folder/rover_FN43.adi"
windows_path=$(win_path "$folder")
status=0
shown=$("$wine_run" --prefix="$prefix" "$split_exe" --overwrite "$windows_path" 2>&1 | tr -d '\r') ||
  status=$?
[ "$status" = 1 ] || fail "varnel-split.exe exited $status over dangling links: $shown"
for name in rover_FN42.adi rover_FN43.adi; do
  grep -qxF "Could not open output file ${windows_path%rover.adi}$name" <<<"$shown" ||
    fail "no open error for the link $name: $shown"
done
[ -z "$(ls -A "$away")" ] || fail "a link's target was created: $(ls -A "$away")"
[ "$(readlink "$folder/rover_FN42.adi")" = "$away/planted.adi" ] &&
  [ "$(readlink "$folder/rover_FN43.adi")" = "$away/rover_FN43.adi" ] ||
  fail "a dangling link was changed"
log "dangling links at output names refused, their targets still absent"

# "Shut down anyway" while the split waits in its question for rover_FN43.adi:
# the ordinary query is refused, the critical one granted, and by then the
# two outputs written so far end after their last whole record on disk.
critical="$root/critical"
mkdir -p "$critical"
cp "$data/rover.adi" "$critical/"
cp "$data/before/rover_FN42.adi" "$critical/rover_FN43.adi"
(cd "$root" && exec "$wine_run" --prefix="$prefix" "$exe" "$(win_path "$critical")") \
  >"$root/varnel.log" 2>&1 &
varnel_pid=$!
shown=$("$wine_run" --prefix="$prefix" "$session_driver" | tr -d '\r') ||
  fail "the session driver failed: $shown"
[ "$shown" = "$(printf 'ordinary: 0\ncritical: 1\nended')" ] ||
  fail "the end of the session was answered: $shown"
# What Windows leaves once it ends the process now.
kill "$varnel_pid" 2>/dev/null || true
varnel_pid=''
[ "$(cd "$critical" && ls -A | sort)" = "$(printf '%s\n' rover.adi rover_FN31_FN32.adi \
  rover_FN42.adi rover_FN43.adi)" ] || fail "critical end: files $(ls -A "$critical")"
cmp -s "$data/after/rover_FN31_FN32.adi" "$critical/rover_FN31_FN32.adi" &&
  cmp -s <(head -n 2 "$data/after/rover_FN42.adi") "$critical/rover_FN42.adi" &&
  cmp -s "$data/before/rover_FN42.adi" "$critical/rover_FN43.adi" ||
  fail "critical end: the outputs do not end after their whole records"
log "a critical end of the session during the question was granted, the files whole"
passed=1
