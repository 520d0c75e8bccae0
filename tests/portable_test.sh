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

# On a terminal under an installed 8-bit locale, where a static C library
# would load the system's character set module and, through it, the
# system's own C library: it must open no shared object and no module,
# even with a broken libc.so.6 first on the library path, and show the
# letters escaped.
locales="$work/locales"
mkdir "$locales" "$work/koi8" "$work/lib"
if ! localedef -c -i ru_RU -f KOI8-R "$locales/ru_RU.KOI8-R" >/dev/null 2>&1; then
  echo "SKIP: an 8-bit locale: localedef cannot make ru_RU.KOI8-R (needs the locales package)"
elif ! strace -o /dev/null true 2>/dev/null; then
  echo "SKIP: an 8-bit locale: strace cannot trace here"
else
  : >"$work/koi8/"$'\xed\xc1\xcd\xc1.txt'  # Мама.txt
  head -c 4096 /dev/urandom >"$work/lib/libc.so.6"
  for library_path in "" "$work/lib"; do
    what="x86_64, on a terminal, LANG=ru_RU.KOI8-R${library_path:+, LD_LIBRARY_PATH=$library_path}"
    (cd "$work/koi8" && script -qec "strace -f -qq -e trace=open,openat -o '$work/trace' -E LOCPATH='$locales' \
      -E LANG=ru_RU.KOI8-R ${library_path:+-E LD_LIBRARY_PATH='$library_path'} '$work/x86_64/dirlist' 2>'$work/err'" \
      /dev/null) >"$work/out" || fail "$what: exit status $?"
    [ "$(tr -d '\r' <"$work/out")" = "\$'\\355\\301\\315\\301.txt'" ] || fail "$what, printed: $(cat -v "$work/out")"
    [ ! -s "$work/err" ] || fail "$what, standard error: $(cat "$work/err")"
    ! grep -E '\.so|gconv' "$work/trace" || fail "$what: opened a shared object or a character set module"
  done
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
