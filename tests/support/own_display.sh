# Sourced by the tests that drive windows: start_own_display FOLDER starts an
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
  export DISPLAY=:$(head -n1 "$folder/display")
}
