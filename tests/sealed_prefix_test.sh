#!/usr/bin/env bash
# The tests' Wine prefix reaches neither "/" nor the home folder: a program in it finds no drive
# Z:, and no link of its drive C: (the user folders Wine links to the home folder) leads outside
# the prefix. (Other drives are the repository and the cards the tests map.)
#
#   tests/sealed_prefix_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_test_lib.sh"
cd "$repo" || exit 1
prefix=${CARDPREP_WINEPREFIX:-$repo/build/windows/wineprefix}

retry "$work/drives.out" \
  '"$repo/scripts/wine-run" cmd /c "if exist Z:\\ (echo reached Z:) else (echo no Z:)"'
grep -q '^no Z:' "$work/drives.out" || fail "a program in the prefix reaches drive Z:" "$work/drives.out"

while IFS= read -r link; do
  target=$(readlink -f "$link")
  case "$target/" in
    "$(realpath "$prefix")"/*) ;;
    *) echo "$link -> $target" >>"$work/links" ;;
  esac
done < <(find "$prefix/drive_c" -type l)
[[ -s "$work/links" ]] && fail "links of the prefix lead outside it" "$work/links"

finish "The prefix reaches only its own folders."
