#!/usr/bin/env bash
# The package as a user gets it: its control fields, its files with their modes and owners,
# and the program, unpacked into a scratch root, running from there with the system's Qt.
# Usage: deb_contents_test.sh DEB_DIR VERSION GUI(ON|OFF)
set -uo pipefail
deb=$(ls "$1"/*.deb) || exit 1
version=$2 gui=$3
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ferrowick ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version-1" ] || fail "Version is '$(field Version)', the project is $version"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
wanted=(libc6 libstdc++6)
[ "$gui" = ON ] && wanted+=(libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-dejavu-core fonts-dejavu-extra)
depends_names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for pkg in "${wanted[@]}"; do
  grep -qxF "$pkg" <<<"$depends_names" || fail "Depends lacks $pkg: $depends"
done

# Every entry is root's, directories 0755, the program 0755, everything else 0644.
listing=$(dpkg-deb -c "$deb")
while read -r mode owner _ _ _ path _; do
  [ "$owner" = root/root ] || fail "$path is owned by $owner"
  case "$mode" in
    d*) [ "$mode" = drwxr-xr-x ] || fail "$path has mode $mode" ;;
    *)  if [ "$path" = ./usr/bin/ferrowick ]; then want=-rwxr-xr-x; else want=-rw-r--r--; fi
        [ "$mode" = "$want" ] || fail "$path has mode $mode, expected $want" ;;
  esac
done <<<"$listing"
files=(./usr/bin/ferrowick ./usr/share/man/man1/ferrowick.1.gz
       ./usr/share/doc/ferrowick/copyright ./usr/share/doc/ferrowick/changelog.Debian.gz)
[ "$gui" = ON ] && files+=(./usr/share/applications/ferrowick.desktop
                           ./usr/share/icons/hicolor/scalable/apps/ferrowick.svg)
for f in "${files[@]}"; do
  grep -qE " $f\$" <<<"$listing" || fail "the package lacks $f"
done
grep -E ' \./usr/local/|\.a$|\.h(pp)?$' <<<"$listing" && fail "the package carries build or /usr/local files"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root" || { fail "dpkg -x failed"; exit 1; }
program="$root/usr/bin/ferrowick"
readelf -S "$program" | grep -qE '\.symtab|\.debug_' && fail "the program is not stripped"
out=$(env -u LD_LIBRARY_PATH "$program" --version 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "ferrowick --version from the scratch root exited $rc: $out"
[ "$out" = "ferrowick $version" ] || fail "ferrowick --version printed '$out'"
missing=$(ldd "$program" | grep 'not found')
[ -z "$missing" ] || fail "unresolved libraries: $missing"

page="$root/usr/share/man/man1/ferrowick.1.gz"
[ "$(gzip -l "$page" >/dev/null 2>&1 && echo ok)" = ok ] || fail "the manual page is not gzip'd"
rendered=$(MANWIDTH=80 man -l "$page" 2>&1 | col -b)
for heading in NAME SYNOPSIS; do
  grep -qx "$heading" <<<"$rendered" || fail "the installed manual page has no $heading"
done

[ $failures -eq 0 ] && echo "package $deb: sound"
exit $((failures > 0))
