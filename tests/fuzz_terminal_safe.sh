#!/usr/bin/env bash
# Runs the terminal view's fuzz target FUZZER (the fuzz preset builds it)
# for SECONDS, from the corpus in tests/terminal_safe_corpus/, in each
# character set it takes: UTF-8, ASCII, and the locales made here with
# localedef: 8-bit ones, with letters or controls at 0x80-0x9F, and
# multibyte ones, whose characters may hold ASCII bytes or decode into two
# code points. Inputs that it finds new go to a scratch directory; to keep
# them, merge them into the corpus (-merge=1). Fails on the first fault,
# and leaves the input that caused it beside FUZZER. The unit allocates
# nothing, and the C library's locales would count as leaks: leaks are not
# looked for.
# Usage: tests/fuzz_terminal_safe.sh FUZZER SECONDS
set -euo pipefail

fuzzer=$(realpath "$1")
seconds=$2
corpus=$(dirname "$(realpath "$0")")/terminal_safe_corpus
work=$(mktemp -d /tmp/dirlist-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/locales" "$work/new"
for locale in de_DE.ISO-8859-1 ru_RU.KOI8-R ru_RU.CP1251 ja_JP.EUC-JP zh_CN.GBK zh_HK.BIG5-HKSCS zh_CN.GB18030; do
  localedef -c -i "${locale%%.*}" -f "${locale#*.}" "$work/locales/$locale" >/dev/null 2>&1 ||
    { echo "fuzz: localedef cannot make $locale (needs the locales package)" >&2; exit 1; }
done
# Its progress, a line per input it finds, is shown only on a fault.
if ! LOCPATH="$work/locales" ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -max_total_time="$seconds" -max_len=2048 \
  -print_final_stats=1 -artifact_prefix="$(dirname "$fuzzer")/" "$work/new" "$corpus" 2>"$work/log"; then
  grep -v -E '^#[0-9]+' "$work/log" >&2
  exit 1
fi
grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/log" >&2
