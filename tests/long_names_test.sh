#!/usr/bin/env bash
# Runs COMMAND (dirlist, or wine dirlist.exe) in a real NTFS file system, an
# image made with mkntfs and mounted with ntfs-3g, that holds names longer
# than the search record holds as UTF-8. dirlist must list every name
# whole, byte for byte, on a pipe and on a terminal, and exit 0.
# dirlist.exe, whose search hands over no more of a name than its record
# holds, must list the names that fit and exit 1, for the listing is
# incomplete: none may come out cut short. Exits 77 (skipped) without root
# and FUSE.
# Usage: tests/long_names_test.sh COMMAND...
set -euo pipefail

if [ "$(id -u)" -ne 0 ] || [ ! -e /dev/fuse ]; then
  echo "long names: skipped: mounting NTFS needs root and FUSE"
  exit 77
fi
work=$(mktemp -d /tmp/dirlist-ntfs.XXXXXX)
trap 'umount "$work/mnt" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/mnt"
truncate -s 8M "$work/image"
mkntfs -F -Q -q "$work/image" >/dev/null 2>&1 || { echo "FAIL: mkntfs could not make an image"; exit 1; }
if ! ntfs-3g "$work/image" "$work/mnt"; then
  echo "long names: skipped: ntfs-3g cannot mount here"
  exit 77
fi

kan() { for ((i = 0; i < $1; i++)); do printf '漢'; done; }
# 765, 513, 512 and 511 bytes of UTF-8, then two that fit the record.
names=("$(kan 255)" "$(kan 171)" "$(kan 170)ab" "$(kan 170)a" "$(kan 100)" short)
for name in "${names[@]}"; do : >"$work/mnt/$name"; done
if [ "$1" = wine ]; then
  listed=("$(kan 100)" short) status_expected=1
else
  listed=("${names[@]}") status_expected=0
fi

failed=0
check() {  # check HOW: the listing in $work/out and $work/err, ended with $status
  if [ "$(tr -d '\r' <"$work/out" | LC_ALL=C sort)" != "$(printf '%s\n' "${listed[@]}" | LC_ALL=C sort)" ]; then
    echo "FAIL: $1: listed, one line a name:"; tr -d '\r' <"$work/out" | awk '{print length($0) " bytes: " $0}'; failed=1
  fi
  [ "$status" -eq "$status_expected" ] || { echo "FAIL: $1: exit status $status, not $status_expected"; failed=1; }
  [ ! -s "$work/err" ] || { echo "FAIL: $1: standard error:"; cat "$work/err"; failed=1; }
}
(cd "$work/mnt" && "$@" >"$work/out" 2>"$work/err") && status=0 || status=$?
check "on a pipe"
if [ "$1" != wine ]; then
  (cd "$work/mnt" && LC_ALL=C.UTF-8 script -qec "$(printf '%q ' "$@") 2>'$work/err'" /dev/null >"$work/out") &&
    status=0 || status=$?
  check "on a terminal"
fi
[ "$failed" -eq 1 ] || echo "long names: $* passed"
exit "$failed"
