#include "index/index_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "scan/directory_scan.h"
#include "state/run_state.h"

namespace {

int Compare(const char* a, const char* b) {
  DirectoryEntry x{}, y{};
  std::strcpy(x.sortKey, a);
  std::strcpy(y.sortKey, b);
  return CompareSortKeys(x, y);
}

// (The order of BWV keys, half-width kana and double-byte characters: the limits card.)
TEST(CompareSortKeys, ALeadByteEndingTheKeyIsACharacterOfItsOwn) {
  EXPECT_LT(Compare("\x83", "\x83\x41"), 0);  // 0x83 alone, then 0x8341
  EXPECT_GT(Compare("\x83\x41", "\x83"), 0);
  EXPECT_EQ(Compare("ABC", "ABC"), 0);
}

}  // namespace
