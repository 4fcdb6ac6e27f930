// The one ASCII letter fold of the program: FAT compares names without
// regard to ASCII letter case, and so do the listing order, the patterns
// and the sort keys.
#pragma once

// ASCII letters in upper case; every other byte or unit as it is.
template <typename Char>
constexpr Char AsciiUpper(Char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - ('a' - 'A')) : c;
}
