#include "index/index_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scan/directory_scan.h"
#include "state/run_state.h"

namespace {

int Compare(const char* a, const char* b) {
  DirectoryEntry x{}, y{};
  std::strcpy(x.sortKey, a);
  std::strcpy(y.sortKey, b);
  return CompareSortKeys(x, y);
}

// A lead byte at byte 31 or ending a key is a character alone. (Their order: the limits card.)
TEST(SortKeys, ALeadByteAtTheirEndStaysAloneAndIsACharacterOfItsOwn) {
  char display[33] = {}, key[33];
  std::memcpy(display, (std::string(31, 'a') + "\x83\x61").data(), 32);
  std::memset(key, 'x', sizeof key);
  MakeSortKey(display, key);
  EXPECT_EQ(std::string(key, 33), std::string(31, 'A') + "\x83" + std::string(1, '\0'));
  EXPECT_LT(Compare("\x83", "\x83\x41"), 0);  // 0x83 alone, then 0x8341
  EXPECT_GT(Compare("\x83\x41", "\x83"), 0);
  EXPECT_EQ(Compare("ABC", "ABC"), 0);
}

}  // namespace
