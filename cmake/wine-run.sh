#!/bin/sh
# Runs a Windows program under 64-bit Wine for the tests:
#   wine-run.sh [--prefix=DIR] PROGRAM.exe [ARGS...]
# The prefix is WINEPREFIX when set, else DIR, else ~/.cache/varnel-wine. The
# first run creates it (about ten seconds) under a lock, so tests started in
# parallel do not all try to build it at once. No Mono or Gecko install
# prompts: nothing here needs .NET or the HTML engine. Wine's own debug
# chatter is off; the program's output and exit status pass through.
set -eu

prefix_arg=
case "${1:-}" in
  --prefix=*) prefix_arg=${1#--prefix=}; shift ;;
esac
WINEPREFIX=${WINEPREFIX:-${prefix_arg:-${XDG_CACHE_HOME:-$HOME/.cache}/varnel-wine}}
WINEDEBUG=${WINEDEBUG:--all}
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

wine=
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: Wine not found; install the Debian package wine64" >&2
  exit 127
fi

# A set-up that was cut short (a test killed meanwhile) leaves a prefix with
# system.reg in which no program starts ("could not load kernel32.dll"), so
# only a finished set-up is marked ready; any other prefix is made anew.
ready=$WINEPREFIX/.varnel-ready
# shellcheck disable=SC2016
set_up='[ -f "$0" ] && exit 0
rm -rf "$WINEPREFIX"
"$1" wineboot.exe --init >/dev/null 2>&1 && "$2" -w && touch "$0"'
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo true)
  if command -v flock >/dev/null 2>&1; then
    flock "$WINEPREFIX.lock" sh -c "$set_up" "$ready" "$wine" "$wineserver"
  else
    sh -c "$set_up" "$ready" "$wine" "$wineserver"
  fi
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$wine" "$@"
fi
# Without a display (gtest's test listing during the build) Wine's session is
# set up with no display driver, and a program with windows started while that
# session lingers (a few seconds) cannot make any. So wait for it to end.
status=0
"$wine" "$@" || status=$?
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
[ -z "$wineserver" ] || "$wineserver" -w || true
exit "$status"
