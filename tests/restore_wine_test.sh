#!/usr/bin/env bash
# The Windows build of cardprep-restore under Wine, on cards cardprep.exe prepares (models 4, 8,
# 10 and 12; one run, or two with files added in between): restored with --remove-catalogue, each
# card is exactly the tree it was, fonts and files of the user's included.
#
#   tests/restore_wine_test.sh CARDPREP.EXE CARDPREP-RESTORE.EXE WRITE_TEST_FONTS.EXE
source "$(dirname "${BASH_SOURCE[0]}")/wine_test_lib.sh"
cardprep=$(realpath "$1")
restore=$(realpath "$2")
fonts=$(realpath "$3")

# wine CARD INPUT PROGRAM [ARGS...]: the program with CARD as drive R:.
wine() {
  local card=$1 input=$2
  shift 2
  retry "$card.out" 'printf "%b" "$input" | "$repo/scripts/wine-run" --drive R "$card" -- "$@"' "$@"
}

# A card of names of every kind: Japanese, case variants, long names, a
# character code page 932 lacks, a display-name file, files that are no
# MP3, a folder named like one (renamed as a track), and a file of the
# user's named like one of cardprep's.
make_card() {
  local card=$1
  mkdir -p "$card/日本の歌/Live 1999" "$card/My Music/Sub Folder" "$card/한국 노래" "$card/_Private"
  printf 'a' >"$card/日本の歌/b.mp3"
  printf 'b' >"$card/日本の歌/A.MP3"
  printf 'c' >"$card/日本の歌/Live 1999/The Long Name Of A Track That Goes On And On.mp3"
  printf 'song.mp3\t\x89\xcc\n' >"$card/日本の歌/表示名04.txt"
  printf 'd' >"$card/My Music/song.mp3"
  printf 'f' >"$card/My Music/001.MP3"
  printf 'g' >"$card/My Music/Sub Folder/x y.mp3"
  mkdir -p "$card/My Music/Live.mp3/Disc 2"
  printf 'o' >"$card/My Music/Live.mp3/Disc 2/z.mp3"
  printf 'h' >"$card/My Music/cover.jpg"
  printf 'i' >"$card/한국 노래/노래.mp3"
  printf 'j' >"$card/My Music/INDEX10.DAT"
  printf 'k' >"$card/_Private/SNDLST10.DAT"
  printf 'l' >"$card/Top Level.mp3"
}

# Files added between two runs, in the root and in a new folder.
add_files() {
  mkdir -p "$1/Added Later"
  printf 'm' >"$1/Added Later/新しい歌.mp3"
  printf 'n' >"$1/zz added.mp3"
}

check() {
  local name=$1 model=$2 runs=$3
  local card=$work/$name
  mkdir -p "$card"
  make_card "$card"
  ((model >= 8)) && wine "$card" "" "$fonts"
  local answers="go\n$model\n"
  ((model >= 8)) && answers+="0\n"
  cp -a "$card" "$card.orig"
  if ((runs == 2)); then
    wine "$card" "$answers" "$cardprep"
    add_files "$card"
    add_files "$card.orig"
  fi
  wine "$card" "$answers" "$cardprep"
  cp "$card.out" "$card.prepared.out"
  if diff -r -q "$card.orig" "$card" >/dev/null; then
    fail "$name: cardprep.exe changed nothing" "$card.prepared.out"
    return
  fi
  # A run ended in its rename pass writes no folder list: nothing shows that its work log is
  # cardprep's; it stays, said, and the restore ends with status 1.
  local expected=0
  if ! compgen -G "$card/DIRLST*.DAT" >/dev/null; then
    cp "$card/CARDPREP.LOG" "$card.orig/"
    expected=1
  fi
  wine "$card" 'go\n' "$restore" --remove-catalogue
  local status=$?
  if ((status != expected)); then
    fail "$name: cardprep-restore.exe ended with status $status" "$card.out"
  elif ((expected == 1)) && ! grep -aq 'CARDPREP.LOG]' "$card.out"; then
    fail "$name: the work log kept was not named" "$card.out"
  elif ! diff -r "$card.orig" "$card" >"$card.diff"; then
    fail "$name: not the tree it was" "$card.diff"
  else
    echo "ok: $name"
  fi
}

check model4 4 1  # a Japanese folder name cannot be renamed for model 4: a failed run
check model10 10 1
check model8-two-runs 8 2
check model12-two-runs 12 2
finish "cardprep-restore.exe gave every card back as it was."
