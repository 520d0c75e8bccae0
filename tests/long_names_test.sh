#!/usr/bin/env bash
# Runs COMMAND (dirlist, or wine dirlist.exe) in a real NTFS file system, an
# image made with mkntfs and mounted with ntfs-3g, that holds names longer
# than the search record holds as UTF-8. dirlist must list every name
# whole, byte for byte, redirected and on a terminal (for dirlist.exe, a
# Windows console, read back by read_console.c), and exit 0. Exits 77
# (skipped) without root and FUSE.
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

repeat() { for ((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }
# 765, 513, 512, 511 and 508 bytes of UTF-8 (the last in UTF-16 surrogate
# pairs), then two that fit the record.
listed=("$(repeat 漢 255)" "$(repeat 漢 171)" "$(repeat 漢 170)ab" "$(repeat 漢 170)a" "$(repeat 😀 127)"
  "$(repeat 漢 100)" short)
for name in "${listed[@]}"; do : >"$work/mnt/$name"; done

failed=0
check() {  # check HOW: the listing in $work/out and $work/err, ended with $status
  if [ "$(tr -d '\r' <"$work/out" | LC_ALL=C sort)" != "$(printf '%s\n' "${listed[@]}" | LC_ALL=C sort)" ]; then
    echo "FAIL: $1: listed, one line a name:"; tr -d '\r' <"$work/out" | awk '{print length($0) " bytes: " $0}'; failed=1
  fi
  [ "$status" = 0 ] || { echo "FAIL: $1: exit status $status"; failed=1; }
  [ ! -s "$work/err" ] || { echo "FAIL: $1: standard error:"; cat "$work/err"; failed=1; }
}
(cd "$work/mnt" && "$@" >"$work/out" 2>"$work/err") && status=0 || status=$?
check "redirected"
if [ "$1" = wine ]; then
  # From a batch file, on a console as wide as the longest name, so that no
  # name wraps.
  i686-w64-mingw32-gcc -O2 -o "$work/read_console.exe" "$(dirname "$0")/read_console.c"
  windows_path() { printf 'Z:%s' "${1//\//\\}"; }
  printf '%s\r\n' "@echo off" "$(windows_path "$2") 2>$(windows_path "$work/err")" \
    ">$(windows_path "$work/status") echo %errorlevel%" \
    "$(windows_path "$work/read_console.exe") $(windows_path "$work/cells")" >"$work/run.bat"
  (cd "$work/mnt" && script -qec "stty cols 300; wine cmd /c '$(windows_path "$work/run.bat")'" /dev/null >/dev/null </dev/null)
  grep -v -x '' "$work/cells" >"$work/out" || true
  status=$(tr -d '\r ' <"$work/status" || echo "unknown: the batch file did not end")
else
  (cd "$work/mnt" && LC_ALL=C.UTF-8 script -qec "$(printf '%q ' "$@") 2>'$work/err'" /dev/null >"$work/out") &&
    status=0 || status=$?
fi
check "on a terminal"
[ "$failed" -eq 1 ] || echo "long names: $* passed"
exit "$failed"
