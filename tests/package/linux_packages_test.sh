#!/usr/bin/env bash
# The Debian package and the tarball of varnel-split as a user gets them:
#   linux_packages_test.sh DEB TARBALL VERSION GOLDEN_DIR
# The package's control fields, its exact file list and lintian's verdict;
# then, unpacked into a temporary root, the program from there prints VERSION
# and splits the packaged example log into the files of GOLDEN_DIR (the golden
# case of the example log); the manual page passes mandoc's lint, renders with
# man and shows the example's real output. The tarball must hold the same
# files under bin/ and share/.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 DEB TARBALL VERSION GOLDEN_DIR" >&2
  exit 2
fi
deb=$1 tarball=$2 version=$3 golden=$4
root=$(mktemp -d "${TMPDIR:-/tmp}/varnel-deb.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() {
  echo "package test: FAIL: $*" >&2
  exit 1
}

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = varnel-split ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = hamradio ] || fail "Section: $(field Section)"
[[ "$(field Maintainer)" =~ ^VARNEL\ contributors\ \<[^@\>]+@[^@\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
# Computed from the program's shared libraries, so the C library is in it.
[[ "$(field Depends)" =~ (^|, )libc6\ \(\>=\ [0-9.]+\) ]] || fail "Depends: $(field Depends)"
[ "$(field Description | sed -n '2,$p' | wc -l)" -ge 3 ] || fail "no long description"

files="bin/varnel-split
share/doc/varnel-split/CHANGELOG.md
share/doc/varnel-split/README.md
share/doc/varnel-split/changelog.gz
share/doc/varnel-split/copyright
share/doc/varnel-split/examples/rover.adi
share/man/man1/varnel-split.1.gz"
listed=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | sort)
[ "$listed" = "$files" ] || fail "the package holds:"$'\n'"$listed"
listed=$(tar -tzf "$tarball" | grep -v '/$' | sort)
[ "$listed" = "$files" ] || fail "the tarball holds:"$'\n'"$listed"

echo "== lintian $deb"
lint_status=0
report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || lint_status=$?
grep -v '^running with root privileges' <<<"$report" || true
[ "$lint_status" = 0 ] || fail "lintian reports errors or warnings"

mkdir "$root/deb" "$root/tar" "$root/work"
dpkg-deb -x "$deb" "$root/deb"
tar -xzf "$tarball" -C "$root/tar"
for program in "$root/deb/usr/bin/varnel-split" "$root/tar/bin/varnel-split"; do
  [ "$("$program" --version)" = "varnel-split $version" ] || fail "$program --version: $("$program" --version)"
done
zcat "$root/deb/usr/share/doc/varnel-split/changelog.gz" | head -n1 | grep -qF "varnel-split ($version)" ||
  fail "changelog.gz does not begin with $version"

cp "$root/deb/usr/share/doc/varnel-split/examples/rover.adi" "$root/work/"
cmp "$golden/rover.adi" "$root/work/rover.adi" || fail "the packaged example is not the example log"
(cd "$root/work" && "$root/deb/usr/bin/varnel-split" rover.adi >printed.txt) || fail "the split failed"
cmp "$golden/printed.txt" "$root/work/printed.txt" || fail "the split printed: $(cat "$root/work/printed.txt")"
[ "$(cd "$root/work" && ls rover_*.adi)" = "$(cd "$golden/after" && ls)" ] || fail "other output files: $(ls "$root/work")"
for output in "$golden"/after/*; do
  cmp "$output" "$root/work/${output##*/}" || fail "${output##*/} differs"
done

man_page=$root/deb/usr/share/man/man1/varnel-split.1.gz
echo "== mandoc -T lint $man_page"
mandoc -T lint "$man_page" || fail "mandoc reports problems in the manual page"
rendered=$(MANWIDTH=80 man -l "$man_page" 2>&1)
grep -q "varnel-split - split a rover's ADIF log" <<<"$rendered" || fail "man -l did not render the page"
while IFS= read -r line; do
  [ -z "$line" ] || grep -qF -- "$line" <<<"$rendered" || fail "the page's example lacks the real line \"$line\""
done <"$golden/printed.txt"
echo "package test: $deb and $tarball passed"
