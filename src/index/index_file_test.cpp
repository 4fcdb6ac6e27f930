#include "index/index_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "scan/directory_scan.h"
#include "state/run_state.h"
#include "testing/temp_card.h"

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

// (Whole index files, namesakes and their images: the expected cards and the limits card.)
TEST(IndexFile, SaysSoWhenTheFileCannotBeCreated) {
  TempCard card;
  card.MakeDir("INDEX10.DAT");
  auto state = std::make_unique<RunState>();
  state->playerModel = 10;
  state->directoryCount = 2;  // the root and a folder with a track
  std::strcpy(state->directories[1].displayName, "ABC");
  MakeSortKey(state->directories[1].displayName, state->directories[1].sortKey);
  state->directories[1].trackCount = 1;
  testing::internal::CaptureStdout();
  BuildIndexFile(*state);
  const std::string console = GetCapturedConsole();
  EXPECT_NE(console.find("INDEX10.DATの作成でエラー\n"), std::string::npos) << console;
  EXPECT_EQ(console.find("インデックス数"), std::string::npos) << console;
}

}  // namespace
