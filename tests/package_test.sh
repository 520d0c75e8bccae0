#!/usr/bin/env bash
# Builds the Debian package from the build directory $1, unpacks it, and
# checks what it holds: a working dirlist, its man page, and a dependency on
# the Allegro runtime computed from the binary.
set -euo pipefail

build=$(realpath "$1")
work=$(mktemp -d /tmp/dirlist-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/dirlist_*_*.deb)
dpkg-deb -x "$deb" "$work/root"

failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ -f "$work/root/usr/share/man/man1/dirlist.1" ] || fail "no man page in $deb"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'liballegro4\.4' <<<"$depends" || fail "Depends lacks the Allegro runtime: $depends"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section is not utils"

mkdir "$work/dir" "$work/dir/subdir"
: >"$work/dir/one"
: >"$work/dir/two words"
: >"$work/dir/.hidden"
out=$(cd "$work/dir" && "$work/root/usr/bin/dirlist" | sort) || fail "packaged dirlist failed"
[ "$out" = $'one\ntwo words' ] || fail "packaged dirlist printed: $out"

[ "$failed" -eq 0 ] && echo "package: $(basename "$deb") passed"
exit "$failed"
