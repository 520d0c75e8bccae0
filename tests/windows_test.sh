#!/usr/bin/env bash
# Black-box tests of dirlist.exe under Wine, in a fresh Wine prefix, with and
# without a display, redirected, on a console and in System32; of its
# resources; and of the zip it ships in, which must come out the same when
# built again elsewhere.
# Usage: tests/windows_test.sh BUILD_DIR (holding dirlist.exe and the zip)
set -euo pipefail

here=$(dirname "$(realpath "$0")")
build=$(realpath "$1")
exe=$build/dirlist.exe
zip=$(ls "$1"/dirlist-*-win32.zip)
work=$(mktemp -d /tmp/dirlist-wine.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine reads Unix file names in the locale's character set: in the C locale
# it would hand Windows programs other names than the UTF-8 ones made here.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
xvfb=
trap 'wineserver -k 2>/dev/null || true; [ -z "$xvfb" ] || kill "$xvfb"; rm -rf "$work"' EXIT
wine64=/usr/lib/wine/wine64  # Wine's own tools run natively as 64-bit programs

passed=0 failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}

# The executable: PE32, i386, a console program aware of terminal servers,
# importing from kernel32 and msvcrt alone: the DLLs of the library's
# drivers are delay-loaded, and never called.
headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 format" "1" "$(grep -c 'Magic.*(PE32)$' <<<"$headers")"
check "i386" "1" "$(i686-w64-mingw32-objdump -f "$exe" | grep -c 'architecture: i386')"
check "console subsystem" "1" "$(grep -c 'Subsystem.*(Windows CUI)' <<<"$headers")"
check "terminal-server aware" "1" "$(grep -c -x -E '\s+TERMINAL_SERVICE_AWARE' <<<"$headers")"
check "imports only kernel32 and msvcrt" "kernel32.dll msvcrt.dll " \
  "$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')"

# Its manifest (no UAC virtualisation; Windows 7 to 11) and version
# information, as Windows reads them from its resources.
resources=$(i686-w64-mingw32-windres --input-format=coff -i "$exe" -O rc)
check "manifest: runs as the invoker" 1 "$(grep -c 'requestedExecutionLevel level=""asInvoker""' <<<"$resources")"
check "manifest: supports Windows 7, 8, 8.1 and 10 to 11" 4 "$(grep -c 'supportedOS Id=' <<<"$resources")"
version=${zip##*/dirlist-}
version=${version%-win32.zip}
check "version information" 1 "$(grep -c "VALUE \"ProductVersion\", \"$version\"" <<<"$resources")"

# The zip: the program, its licence, the notices and a README, the texts
# with CR LF.
check "zip holds" "dirlist.exe LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt" "$(unzip -Z1 "$zip" | tr '\n' ' ' | sed 's/ $//')"
check "zip's dirlist.exe is the one built" "" "$(unzip -p "$zip" dirlist.exe | cmp - "$exe" 2>&1)"
for text in README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  check "$text: every line ends in CR LF" "0" "$(unzip -p "$zip" "$text" | grep -c -v $'\r$' || true)"
done

# The same commit built again at another path, later: the same bytes. The
# static Allegro is shared.
copy="$work/elsewhere/dirlist"
mkdir -p "$copy/build-windows"
tar -C "$here/.." --exclude=./build --exclude='./build-*' -cf - . | tar -C "$copy" -xf -
ln -s "$build/allegro" "$copy/build-windows/allegro"
"$copy/scripts/windows" >"$work/rebuild.log" 2>&1 || cat "$work/rebuild.log"
check "dirlist.exe built again is the same" "" "$(cmp "$exe" "$copy/build-windows/dirlist.exe" 2>&1)"
check "the zip built again is the same" "" "$(cmp "$zip" "$copy/build-windows/${zip##*/}" 2>&1)"

# The first run in a new prefix prints lines of its own: make it beforehand,
# and keep one server for all the runs below.
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p

dir="$work/listing"
mkdir "$dir" "$dir/subdir" "$dir/sub"
# Among them names that the ANSI code page, UCS-2 or a console's code page
# would turn into others: Omega, a.txt and sub\x.txt exist beside them.
listed=("plain" "with spaces.txt" "100%" "%s%n" "no-dot" "several.dots.in.it"
  "Ωmega" "Omega" "ａ.txt" "a.txt" "sub∕x.txt" "日本.txt" "€uro" "Bob’s" "😀smile" "😁smile" "💩poo")
for name in "${listed[@]}"; do : >"$dir/$name"; done
: >"$dir/sub/x.txt"
: >"$dir/.dotted"
: >"$dir/hidden.txt"
: >"$dir/read-only.txt"
chmod a-w "$dir/read-only.txt"
(cd "$dir" && "$wine64" attrib +h hidden.txt >/dev/null 2>&1)
expected=$(printf '%s\n' "${listed[@]}" | LC_ALL=C sort)

# A display server, as on a desktop: there the library once took other paths.
: >"$work/display"
Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do read -r display <"$work/display" && break; sleep 0.1; done
check "Xvfb started" 1 "$([ -n "${display:-}" ] && echo 1)"

list() {  # list WHAT DISPLAY [ARGUMENTS...]: runs dirlist.exe in $dir, output redirected
  local what=$1 display=$2 status
  shift 2
  (cd "$dir" && env ${display:+DISPLAY=$display} wine "$exe" "$@" >"$work/out" 2>"$work/err") &&
    status=0 || status=$?
  check "$what: exit status" 0 "$status"
  check "$what: standard error" "" "$(cat "$work/err")"
  check "$what: lists ordinary files only, each name exactly" "$expected" "$(tr -d '\r' <"$work/out" | LC_ALL=C sort)"
  check "$what: every line ends in CR LF" "${#listed[@]}" "$(grep -c $'\r$' "$work/out" || true)"
  check "$what: one line per name" "${#listed[@]}" "$(wc -l <"$work/out")"
}
list "no display" ""
list "display :${display:-}, with arguments" ":${display:-}" --help -l '*'
# As on a Windows without the desktop's DLLs (Server Core, Windows PE).
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw,dsound,winmm,ole32,gdi32,user32=d" list "without the desktop's DLLs" ""

# In System32 a 32-bit program on 64-bit Windows is shown SysWOW64 unless
# it turns that redirection off.
windows=$WINEPREFIX/drive_c/windows
if [ -d "$windows/syswow64" ]; then
  : >"$windows/system32/dirlist-in-system32.txt"
  : >"$windows/syswow64/dirlist-in-syswow64.txt"
  (cd "$windows/system32" && wine "$exe" >"$work/out" 2>"$work/err") || true
  check "in System32: lists System32, not SysWOW64" "dirlist-in-system32.txt" \
    "$(tr -d '\r' <"$work/out" | grep '^dirlist-in-' || true)"
else
  echo "SKIP: in System32: this Wine prefix has no syswow64"
fi

# On a console the names show as characters, whatever its code page, also
# through a handle opened for writing alone, as `> CON` gives: run it in a
# Wine console on a pseudo-terminal, then read the console's cells back.
i686-w64-mingw32-gcc -O2 -o "$work/read_console.exe" "$here/read_console.c"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
console="$(windows_path "$exe") > CON & $(windows_path "$work/read_console.exe") $(windows_path "$work/cells")"
(cd "$dir" && script -qec "wine cmd /c '$console'" /dev/null >/dev/null </dev/null) && status=0 || status=$?
check "on a console: its cells read back" 0 "$status"
# Wine's cmd writes "Invalid function." to the console as it redirects to CON.
# There a name with a space comes out quoted, as on a terminal.
check "on a console: shows each name" "$(sed "s/^with spaces.txt\$/'&'/" <<<"$expected" | LC_ALL=C sort)" \
  "$(grep -v -x -e '' -e 'Invalid function.' "$work/cells" 2>&1 | LC_ALL=C sort)"

# Names longer than the record holds, on a real NTFS file system.
"$here/long_names_test.sh" wine "$exe" && status=0 || status=$?
[ "$status" -eq 77 ] || check "long names on NTFS" 0 "$status"

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
