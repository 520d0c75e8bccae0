#!/usr/bin/env bash
# Black-box tests of dirlist.exe under Wine, in a fresh Wine prefix, and of
# the zip it ships in.
# Usage: tests/windows_test.sh BUILD_DIR (holding dirlist.exe and the zip)
set -euo pipefail

exe=$(realpath "$1/dirlist.exe")
zip=$(ls "$1"/dirlist-*-win32.zip)
work=$(mktemp -d /tmp/dirlist-wine.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
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

# The executable: PE32, i386, console subsystem, Windows' own DLLs only.
headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 format" "1" "$(grep -c 'Magic.*(PE32)$' <<<"$headers")"
check "i386" "1" "$(i686-w64-mingw32-objdump -f "$exe" | grep -c 'architecture: i386')"
check "console subsystem" "1" "$(grep -c 'Subsystem.*(Windows CUI)' <<<"$headers")"
imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
check "imports only Windows' own DLLs" "" \
  "$(tr ' ' '\n' <<<"$imports" | grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|ole32.dll|msvcrt.dll|winmm.dll|ddraw.dll|dsound.dll|dinput.dll|advapi32.dll' || true)"

# The zip: the program, its licence and a README, the texts with CR LF.
check "zip holds" "LICENSE.txt README.txt dirlist.exe" "$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
check "zip's dirlist.exe is the one built" "" "$(unzip -p "$zip" dirlist.exe | cmp - "$exe" 2>&1)"
for text in README.txt LICENSE.txt; do
  check "$text: every line ends in CR LF" "0" "$(unzip -p "$zip" "$text" | grep -c -v $'\r$' || true)"
done

# The first run in a new prefix prints lines of its own: make it beforehand,
# and keep one server for all the runs below.
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p

dir="$work/listing"
mkdir "$dir"
listed=("plain" "with spaces.txt" "100%" "%s%n" "no-dot" "several.dots.in.it")
for name in "${listed[@]}"; do : >"$dir/$name"; done
mkdir "$dir/subdir"
: >"$dir/.dotted"
: >"$dir/hidden.txt"
: >"$dir/read-only.txt"
chmod a-w "$dir/read-only.txt"
(cd "$dir" && "$wine64" attrib +h hidden.txt >/dev/null 2>&1)

expected=$(printf '%s\n' "${listed[@]}" | sort)
for args in "" "--help -l *"; do
  # shellcheck disable=SC2086 # the arguments are meant to split
  (cd "$dir" && wine "$exe" $args >"$work/out" 2>"$work/err") && status=0 || status=$?
  what="dirlist.exe ${args:-with no arguments}"
  check "$what: exit status" 0 "$status"
  check "$what: standard error" "" "$(cat "$work/err")"
  check "$what: lists ordinary files only (as a set)" "$expected" "$(tr -d '\r' <"$work/out" | sort)"
  check "$what: every line ends in CR LF" "${#listed[@]}" "$(grep -c $'\r$' "$work/out" || true)"
  check "$what: one line per name" "${#listed[@]}" "$(wc -l <"$work/out")"
done

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
