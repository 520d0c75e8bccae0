#!/usr/bin/env bash
# Runs the portable release's binaries (scripts/portable builds them in DIR)
# where nothing else is: the x86_64 one in an empty root that holds it
# alone, the 64-bit ARM one under QEMU. Each must list its directory.
# Usage: tests/portable_test.sh DIR
set -euo pipefail

dir=$(realpath "$1")
work=$(mktemp -d /tmp/dirlist-portable.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
unpack() {  # unpack ARCH: the dirlist of that architecture's tarball, into $work/ARCH
  mkdir "$work/$1"
  tar -C "$work/$1" --strip-components=1 -xzf "$(ls "$dir"/dirlist-*-linux-"$1".tar.gz)"
}

unpack x86_64
if [ "$(id -u)" -eq 0 ]; then
  root="$work/root"
  mkdir "$root"
  cp "$work/x86_64/dirlist" "$root/"
  : >"$root/a file"
  out=$(cd "$root" && chroot . /dirlist) || fail "x86_64, in an empty root: exit status $?"
  [ "$(sort <<<"$out")" = $'a file\ndirlist' ] || fail "x86_64, in an empty root, printed: $out"
else
  echo "SKIP: an empty root needs root"
fi

unpack aarch64
mkdir "$work/listing" "$work/listing/subdir"
: >"$work/listing/one"
: >"$work/listing/two words"
: >"$work/listing/.hidden"
out=$(cd "$work/listing" && qemu-aarch64-static "$work/aarch64/dirlist") || fail "aarch64, under QEMU: exit status $?"
[ "$(sort <<<"$out")" = $'one\ntwo words' ] || fail "aarch64, under QEMU, printed: $out"

[ "$failed" -eq 0 ] && echo "portable: passed"
exit "$failed"
