# shellcheck shell=bash
# Sourced by the tests that drive windows under Wine.
#
# run_bounded SCRIPT ARGS...: runs the calling script again under `timeout`
# (once: the variable VARNEL_BOUNDED marks the second run), which signals it
# in time for its own clean-up of Wine and Xvfb; ctest's timeout would kill
# it outright and leave them behind. Call it first, as `run_bounded "$0" "$@"`.
run_bounded() {
  if [ -z "${VARNEL_BOUNDED:-}" ]; then
    VARNEL_BOUNDED=1 exec timeout -k 20 240 bash "$@"
  fi
}

# find_wineserver NAME: sets wineserver to the Wine server's path, or exits
# with a message that starts with NAME. libwine ships /usr/lib/wine/wineserver;
# /usr/bin/wineserver only comes with the wine package.
find_wineserver() {
  wineserver=/usr/lib/wine/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver) ||
    { echo "$1: wineserver not found" >&2; exit 1; }
}

# start_own_display FOLDER starts an
# Xvfb of its own, which picks a free display number and writes it to fd 3,
# and exports DISPLAY for it. Sets xvfb_pid for the caller's clean-up; calls
# the caller's `fail` when no display comes up within ten seconds.
start_own_display() {
  local folder=$1
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$folder/display" 2>"$folder/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    grep -q '^[0-9]' "$folder/display" 2>/dev/null && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$folder/xvfb.log")"
    sleep 0.1
  done
  grep -q '^[0-9]' "$folder/display" || fail "Xvfb gave no display number"
  DISPLAY=:$(head -n1 "$folder/display")
  export DISPLAY
}
