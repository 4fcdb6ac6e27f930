#!/usr/bin/env bash
# A cardprep.exe whose console was made for it alone (double-clicked, or a folder dropped onto it)
# says how the run ended and asks for Enter before its window closes, however the run ends; in a
# console others share, or with its input or output redirected, it never asks. Runs under Wine in a terminal of its own (script(1) makes one, which
# Wine turns into the program's console); CARDPREP_CONSOLE_PROCESSES tells how many share it.
#
#   tests/console_wait_test.sh CARDPREP.EXE
source "$(dirname "${BASH_SOURCE[0]}")/wine_test_lib.sh"
exe=$(realpath "$1")
wait_line='終了するには Enter キーを押してください (Press Enter to close this window)'

# check NAME PROCESSES TYPED STATUS WAITS [in|out]: runs cardprep.exe on a
# fresh card with TYPED typed into its terminal (\r is Enter), which then
# stays open for 20 s; expects the exit status STATUS (124: still waiting
# when the terminal went away) and the wait line when WAITS is 1. With "in"
# the answers come from a file instead, with "out" the output goes to one.
# Set for one call: ARGS, the program's arguments (a dropped folder);
# EXPECT, lines (separated by |) the run must print; SUB, a folder of the
# drive N: that holds the card instead of its root.
check() {
  local name=$1 processes=$2 typed=$3 status=$4 waits=$5 redirect=${6:-}
  local card=$work/$name
  mkdir -p "$card/${SUB:-}/Long Folder Name"
  printf 'x' >"$card/${SUB:-}/Long Folder Name/Long Track Name.mp3"
  # Enter stays a carriage return even before Wine sets the terminal up.
  local command="stty -icrnl; CARDPREP_CONSOLE_PROCESSES=$processes '$repo/scripts/wine-run' --drive N '$card' -- '$exe' ${ARGS:-}"
  case "$redirect" in
    in) printf '%b' "$typed" | tr '\r' '\n' >"$work/$name.in"; command+=" <'$work/$name.in'"; typed="" ;;
    out) command+=" >'$work/$name.redirected'" ;;
  esac
  retry "$work/$name.out" \
    'timeout 20 script -qec "$command" /dev/null < <(sleep 2; printf "%b" "$typed"; sleep 30)'
  local got=$?
  [[ ! -f "$work/$name.redirected" ]] || cat "$work/$name.redirected" >>"$work/$name.out"
  if ((got != status)); then
    fail "$name: exit status $got, not $status" "$work/$name.out"
  elif ((waits)) && ! grep -qF "$wait_line" "$work/$name.out"; then
    fail "$name: no line asking for Enter" "$work/$name.out"
  elif ((!waits)) && grep -qF 'Press Enter' "$work/$name.out"; then
    fail "$name: asked for Enter" "$work/$name.out"
  elif ! has_lines "$work/$name.out" "${EXPECT:-}"; then
    fail "$name: a line missing of: ${EXPECT:-}" "$work/$name.out"
  else
    echo "ok: $name"
  fi
}

# has_lines OUT LINES: whether OUT holds each of the |-separated LINES.
has_lines() {
  local line
  local -a lines
  IFS='|' read -ra lines <<<"$2"
  for line in "${lines[@]}"; do grep -qF -- "$line" "$1" || return 1; done
}

stopped='中止しました。何も変更していません (Stopped: nothing was changed)'
done_line='完了: フォルダ 1、曲 1、名前を変えたもの 2 (Done: folders 1, tracks 1, names changed 2)'
# A console of its own: every ending says how it ended and asks, and the
# Enter closes it.
EXPECT=$stopped check stopped-at-a-prompt 1 'no\r\r' 0 1
EXPECT=$done_line check finished 1 'go\r4\r\r' 0 1
[[ -f "$work/finished/HIST04.DAT" ]] || fail "finished: the card was not prepared" "$work/finished.out"
# A folder dropped onto the program: the card's root, after the same
# dialogue; a drive's root is prepared, any other folder refused.
ARGS='N:\\' EXPECT=$done_line check dropped-drive 1 'go\r4\r\r' 0 1
SUB=CARD ARGS='N:\\CARD' EXPECT='【カレントディレクトリを確認すること】:N:\CARD|ここはカードのルートではない' \
  check dropped-folder 1 '\r' 1 1
[[ -f "$work/dropped-folder/CARD/Long Folder Name/Long Track Name.mp3" ]] ||
  fail "dropped-folder: the card changed" "$work/dropped-folder.out"
check failed-without-fonts 1 'go\r10\r\r' 1 1
check waits-for-enter 1 'no\r' 124 1
# Shared or redirected: the run ends at once, as it always did.
check console-shared 2 'no\r' 0 0
check input-redirected 1 'no\r' 0 0 in
check output-redirected 1 'no\r' 0 0 out
check finished-input-redirected 1 'go\r4\r' 0 0 in
finish "The double-click wait: all cases passed."
