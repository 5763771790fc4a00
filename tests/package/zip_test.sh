#!/usr/bin/env bash
# The Windows zip as a user gets it:
#   zip_test.sh ZIP VERSION GOLDEN_DIR GUI_DRIVER WINE_RUN OBJDUMP
# It must hold exactly the program folder, with static programs and CR LF
# texts. Unpacked into a fresh folder and started there under Wine (a fresh
# prefix, a display of its own), VARNEL.exe must open its window, show VERSION
# in About, have the page Help opens beside it, and split the folder's example
# log into the files of GOLDEN_DIR (the golden case of the example log);
# GUI_DRIVER presses the buttons. The run is bounded by `timeout`, which
# signals it in time for the cleanup of Wine and Xvfb below.
set -euo pipefail
# shellcheck source=../support/own_display.sh
source "$(dirname "$0")/../support/own_display.sh"
run_bounded "$0" "$@"
if [ $# -ne 6 ]; then
  echo "usage: $0 ZIP VERSION GOLDEN_DIR GUI_DRIVER WINE_RUN OBJDUMP" >&2
  exit 2
fi
zip=$(realpath "$1") version=$2 golden=$(realpath "$3") driver=$(realpath "$4")
wine_run=$(realpath "$5") objdump=$6
find_wineserver "zip test"

root=$(mktemp -d "${TMPDIR:-/tmp}/varnel-zip.XXXXXX")
folder=$root/VARNEL prefix=$root/wineprefix
# wine-run.sh prefers WINEPREFIX to --prefix: a developer's own prefix must
# not stand in for the fresh one this test needs.
export WINEPREFIX=$prefix
xvfb_pid='' varnel_pid='' passed=0
fail() {
  echo "zip test: FAIL: $*" >&2
  exit 1
}
cleanup() {
  set +e
  [ -n "$varnel_pid" ] && kill "$varnel_pid" 2>/dev/null
  WINEPREFIX=$prefix timeout 10 "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ "$passed" = 1 ]; then rm -rf "$root"; else echo "zip test: kept for inspection: $root" >&2; fi
}
trap cleanup EXIT
trap 'fail "interrupted or out of time"' INT TERM

files="LICENSE.txt
README.txt
VARNEL.exe
example/rover.adi
help/varnel.html
varnel-split.exe"
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
[ "$listed" = "$files" ] || fail "the zip holds:"$'\n'"$listed"
mkdir "$folder"
unzip -q "$zip" -d "$folder"

# Linked statically: Windows' own DLLs only, none of MinGW's.
for exe in VARNEL.exe varnel-split.exe; do
  for dll in $("$objdump" -p "$folder/$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    case $dll in
      kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | shell32.dll | msvcrt.dll) ;;
      *) fail "$exe needs $dll" ;;
    esac
  done
done
for text in README.txt LICENSE.txt; do
  lines=$(tr -cd '\n' <"$folder/$text" | wc -c)
  [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$folder/$text")" = "$lines" ] &&
    [ "$(tail -c 2 "$folder/$text" | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
    fail "$text does not end every line with CR LF"
done
grep -q "^VARNEL $version for Windows" "$folder/README.txt" || fail "README.txt names another version"
cmp "$golden/rover.adi" "$folder/example/rover.adi" || fail "example/rover.adi is not the example log"

# The fresh prefix is made by the first program run in it; its registry only
# reaches the disk when the Wine server ends, and until then every start
# would try to make the prefix again. So: the console program first, then
# wait for the server to end.
split_version=$("$wine_run" --prefix="$prefix" "$folder/varnel-split.exe" --version | tr -d '\r')
[ "$split_version" = "varnel-split $version" ] || fail "varnel-split.exe --version says: $split_version"
WINEPREFIX=$prefix timeout 30 "$wineserver" -w || fail "the Wine server of the fresh prefix did not end"
[ -f "$prefix/system.reg" ] || fail "Wine made no prefix in $prefix"

start_own_display "$root"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
(cd "$folder" && exec "$wine_run" --prefix="$prefix" VARNEL.exe) >"$root/varnel.log" 2>&1 &
varnel_pid=$!
"$wine_run" --prefix="$prefix" "$driver" "$(windows_path "$folder/VARNEL.exe")" \
  "$(windows_path "$folder/example/rover.adi")" >"$root/driver.out" 2>"$root/driver.err" ||
  fail "driving the window failed: $(cat "$root/driver.err" "$root/driver.out")"
shown=$(tr -d '\r' <"$root/driver.out")
echo "$shown"
field() { sed -n "s/^$1: //p" <<<"$shown"; }

page=$(field help)
[ -n "$page" ] && [ -f "$folder/${page//\\//}" ] || fail "Help opens \"$page\", which is not in the folder"
about=$(field about)
[[ "$about" == "VARNEL|Version $version -- "*"|VARNEL contributors" ]] || fail "About shows: $about"
[ "$(field input)" = rover.adi ] || fail "the input list shows: $(field input)"
diff <(field status) "$golden/status.txt" >&2 || fail "the status list differs from $golden/status.txt"

exited=0
for _ in $(seq 100); do
  kill -0 "$varnel_pid" 2>/dev/null || { exited=1; break; }
  sleep 0.2
done
[ "$exited" = 1 ] || fail "VARNEL.exe did not end after Exit"
status=0
wait "$varnel_pid" || status=$?
varnel_pid=''
[ "$status" = 0 ] || fail "VARNEL.exe ended with exit code $status"

# The outputs beside the example log, byte for byte, and nothing else new.
expected=$( (echo "$files"; cd "$golden/after" && ls | sed 's|^|example/|') | sort)
[ "$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)" = "$expected" ] ||
  fail "the folder after the split holds: $(cd "$folder" && find . -type f)"
for output in "$golden"/after/*; do
  cmp "$output" "$folder/example/${output##*/}" || fail "example/${output##*/} differs"
done

echo "zip test: $zip passed"
passed=1
