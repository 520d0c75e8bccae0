#!/usr/bin/env bash
# Judges what dirlist shows on a terminal by real programs: it lists, in
# tmux, names that terminals once drew alike and names that hold shell
# syntax. What tmux's screen holds (capture-pane), with the characters that
# draw nothing left out, must tell every name from every other; and each
# line of it, pasted (paste-buffer) into interactive bash, zsh with
# extended_glob and ksh93, must name exactly its file.
# Usage: tests/tmux_test.sh DIRLIST
set -euo pipefail

dirlist=$(realpath "$1")
work=$(mktemp -d /tmp/dirlist-tmux.XXXXXX)
export TMUX_TMPDIR=$work LC_ALL=C.UTF-8
unset TMUX
server=(-L dirlist-test -f /dev/null)
tmux() { command tmux "${server[@]}" "$@"; }
# The shells may still be writing their history as the server ends.
trap 'tmux kill-server 2>/dev/null || true; rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }' EXIT
dir=$work/names out=$work/out
mkdir "$dir" "$out"

e10=e$(printf '\u0301%.0s' {1..10})
names=(
  # Pairs that tmux drew alike: a character newer than its C library knows,
  # a vowel jamo with nothing to join, joiners and selectors, a family of
  # four longer than a cell, an accent on an escape, an accent past a cell.
  $'a\U0001fae8b' ab $'\u1161ab'
  $'\U0001f9d1\u200d\U0001f9b2' $'\U0001f9d1\U0001f9b2' $'\u264a\ufe0e' $'\u264a' $'\u2764\ufe0f' $'\u2764'
  $'\u0915\u094d\u200c\u0937' $'\u0915\u094d\u0937'
  $'\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645' $'\u0645\u06cc\u062e\u0648\u0627\u0647\u0645'
  $'\U0001f468\u200d\U0001f469\u200d\U0001f467\u200d\U0001f466'
  $'\U0001f468\u200d\U0001f469\u200d\U0001f467\u200d\U0001f467'
  $'x\u200b\u0301' $'x\u200b' "$e10" "$e10"$'\u0301'
  # Shell syntax, and names that hold none and stay bare.
  '$(echo PWNED)' 'a;true' 'a b' '"' $'#\ufe0f\u20e3' 'a!b' '!!' '*' 'a?b' '[ab]' '{a,b}' '~root' 'x^y'
  'a#b' '^a' '=ls' '`id`' 'a&b' 'a|b' 'a<b>c' '(a)' '$HOME' 'a\b' "Don't" "it's \$5!" '#a'
  'a=b' 'a,b' 'report-2024_v1.2+final@home:x%.txt'
)
for name in "${names[@]}"; do : >"$dir/$name"; done
# The names in the order dirlist lists them, as they are.
mapfile -t listed < <(cd "$dir" && "$dirlist")

failed=0
fail() { echo "FAIL: $*"; failed=1; }

tmux -u new-session -d -s test -x 300 -y 100 -c "$dir" "'$dirlist'; tmux wait-for -S listed; exec sleep 600"
timeout 20 tmux "${server[@]}" wait-for listed || fail "dirlist did not end in tmux"
tmux capture-pane -p -J -t test >"$work/screen"
mapfile -t shown < <(head -n "${#listed[@]}" "$work/screen")
[ "${#shown[@]}" -eq "${#names[@]}" ] || fail "tmux shows ${#shown[@]} lines for ${#names[@]} names"

# Alike once what draws nothing is left out: what the C library, as tmux
# asks it, gives no width.
python3 - "$work/screen" "${#names[@]}" <<'EOF' || failed=1
import ctypes, locale, sys
locale.setlocale(locale.LC_CTYPE, "C.UTF-8")
wcwidth = ctypes.CDLL(None).wcwidth
seen = {}
for line in open(sys.argv[1], encoding="utf-8").read().split("\n")[:int(sys.argv[2])]:
    drawn = "".join(c for c in line if wcwidth(ord(c)) > 0)
    if drawn in seen:
        print(f"FAIL: tmux shows {seen[drawn]} and {line} alike, as {drawn}")
    seen[drawn] = line
EOF

# Pasted into each shell, at its prompt, in the listed directory.
shells=("bash --norc --noprofile -i" "zsh -f -i" "ksh93 -i")
waited() { for _ in $(seq $(($2 * 20))); do [ -e "$1" ] && return 0; sleep 0.05; done; return 1; }  # FILE SECONDS
for s in "${!shells[@]}"; do
  shell=${shells[$s]}
  tmux new-window -t test -n "sh$s" -c "$dir" "env -i HOME=$work TERM=screen LC_ALL=C.UTF-8 PATH=$PATH $shell"
  [ "$shell" != "zsh -f -i" ] || tmux send-keys -t "sh$s" -l 'setopt extended_glob' \; send-keys -t "sh$s" Enter
  tmux send-keys -t "sh$s" -l ": >$out/$s.ready" \; send-keys -t "sh$s" Enter
  waited "$out/$s.ready" 20 || { fail "$shell did not start"; continue; }
  for i in "${!shown[@]}"; do
    tmux send-keys -t "sh$s" -l "printf '%s\n' " \; set-buffer -- "${shown[$i]}" \; paste-buffer -p -t "sh$s" \; \
      send-keys -t "sh$s" -l " >$out/$s.$i; : >$out/$s.$i.done" \; send-keys -t "sh$s" Enter
    if ! waited "$out/$s.$i.done" 5; then
      fail "$shell: ${shown[$i]} did not run as one command"
      tmux send-keys -t "sh$s" C-c
    elif [ "$(cat "$out/$s.$i")" != "${listed[$i]}" ] || [ "$(wc -l <"$out/$s.$i")" -ne 1 ]; then
      fail "$shell: ${shown[$i]} names $(cat "$out/$s.$i"), not ${listed[$i]}"
    fi
  done
done

[ "$failed" -eq 0 ] && echo "tmux: ${#names[@]} names, each shown apart, and named in bash, zsh and ksh93"
exit "$failed"
