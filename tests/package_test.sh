#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the tree at $1, has lintian
# check it, unpacks it, and checks what it holds: a working dirlist, its man
# page and copyright file, and a dependency on the Allegro runtime and on no
# C++ runtime; and that building it again elsewhere gives the same bytes.
set -euo pipefail

work=$(mktemp -d /tmp/dirlist-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
deb=$("$1/scripts/package" "$work/out" | awk '{print $2}')

failed=0
fail() { echo "FAIL: $*"; failed=1; }

lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian: $(lintian "$deb" 2>&1)"
dpkg-deb -x "$deb" "$work/root"
[ -f "$work/root/usr/share/man/man1/dirlist.1.gz" ] || fail "no compressed man page"
[ -f "$work/root/usr/share/doc/dirlist/copyright" ] || fail "no copyright file"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'liballegro4\.4' <<<"$depends" || fail "Depends lacks the Allegro runtime: $depends"
! grep -q 'libstdc++' <<<"$depends" || fail "Depends names the C++ runtime: $depends"

mkdir "$work/dir" "$work/dir/subdir"
: >"$work/dir/one"
: >"$work/dir/two words"
: >"$work/dir/.hidden"
out=$(cd "$work/dir" && "$work/root/usr/bin/dirlist" | sort) || fail "packaged dirlist failed"
[ "$out" = $'one\ntwo words' ] || fail "packaged dirlist printed: $out"

again=$("$1/scripts/package" "$work/elsewhere/out" | awk '{print $2}')
cmp "$deb" "$again" || fail "the package built again differs"

[ "$failed" -eq 0 ] && echo "package: $(basename "$deb") passed"
exit "$failed"
