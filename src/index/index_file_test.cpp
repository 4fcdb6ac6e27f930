#include "index/index_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "scan/directory_scan.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

constexpr int kRecord = 512;

int Compare(const char* a, const char* b) {
  DirectoryEntry x{}, y{};
  std::strcpy(x.sortKey, a);
  std::strcpy(y.sortKey, b);
  return CompareSortKeys(x, y);
}

class IndexFile : public testing::Test {
 protected:
  // Appends a folder row as the directory scan leaves it (code page 932 titles).
  void Add(const std::string& title, int tracks) {
    if (state->directoryCount == 0) state->directoryCount = 1;  // the root row
    DirectoryEntry& e = state->directories[state->directoryCount++];
    std::strncpy(e.displayName, title.c_str(), 32);
    std::strcpy(e.path, "\\F");
    std::strcpy(e.shortName, "F");
    MakeSortKey(e.displayName, e.sortKey);
    e.trackCount = static_cast<uint16_t>(tracks);
  }
  void Build() {
    testing::internal::CaptureStdout();
    BuildIndexFile(*state);
    console = GetCapturedConsole();
    file = card.ReadFile("INDEX10.DAT");
  }
  bool Printed(const std::string& text) const { return console.find(text) != std::string::npos; }

  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
  std::string file, console;
};

// (The order of BWV keys, half-width kana and double-byte characters: the limits card.)
TEST(CompareSortKeys, ALeadByteEndingTheKeyIsACharacterOfItsOwn) {
  EXPECT_LT(Compare("\x83", "\x83\x41"), 0);  // 0x83 alone, then 0x8341
  EXPECT_GT(Compare("\x83\x41", "\x83"), 0);
  EXPECT_EQ(Compare("ABC", "ABC"), 0);
}

TEST_F(IndexFile, SaysSoWhenTheFileCannotBeCreated) {
  card.MakeDir("INDEX10.DAT");
  Add("ABC", 1);
  testing::internal::CaptureStdout();
  BuildIndexFile(*state);
  console = GetCapturedConsole();
  EXPECT_TRUE(Printed("ファイル作成エラー INDEX10.DAT\n"));
  EXPECT_FALSE(Printed("インデックス数"));
}

// A title drawn after a longer one keeps nothing of it.
TEST_F(IndexFile, RendersEachTitleIntoFreshImages) {
  ASSERT_EQ(LoadTestFontSet(*state), 1);
  Add("AB", 1);
  Build();
  const std::string alone = file.substr(3 * kRecord, kRecord);  // the folder record of AB
  state = std::make_unique<RunState>();
  ASSERT_EQ(LoadTestFontSet(*state), 1);
  Add("AAAAAAAAAA", 1);
  Add("AB", 1);
  Build();
  ASSERT_EQ(file.size(), 5u * kRecord);
  EXPECT_EQ(file.substr(4 * kRecord + 128, 384), alone.substr(128));
}

}  // namespace
