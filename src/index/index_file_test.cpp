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
  void Add(const std::string& title, int tracks, const std::string& parentTitle = "",
           const std::string& path = "\\F") {
    if (state->directoryCount == 0) state->directoryCount = 1;  // the root row
    DirectoryEntry& e = state->directories[state->directoryCount++];
    std::strncpy(e.displayName, title.c_str(), 32);
    std::strncpy(e.parentDisplayName, parentTitle.c_str(), 32);
    std::strncpy(e.path, path.c_str(), 47);
    std::strncpy(e.shortName, path.substr(path.rfind('\\') + 1).c_str(), 12);
    MakeSortKey(e.displayName, e.sortKey);
    e.trackCount = static_cast<uint16_t>(tracks);
  }
  void Build() {
    testing::internal::CaptureStdout();
    BuildIndexFile(*state);
    console = GetCapturedConsole();
    file = card.ReadFile("INDEX10.DAT");
  }
  int U8(int at) const { return static_cast<uint8_t>(file.at(at)); }
  // The title fields of count records, up to the first zero byte, without trailing spaces.
  std::vector<std::string> Titles(int first, int count = 1) const {
    std::vector<std::string> titles;
    for (int r = first; r < first + count; ++r) {
      std::string title = file.substr(r * kRecord + 85, 33).c_str();
      titles.push_back(FromCp932(title.substr(0, title.find_last_not_of(' ') + 1)));
    }
    return titles;
  }
  std::string Title(int record) const { return Titles(record)[0]; }
  bool Printed(const std::string& text) const { return console.find(text) != std::string::npos; }

  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
  std::string file, console;
};

TEST(CompareSortKeys, PutsBwvAfterOtherBKeysAndOrdersShiftJisCharacters) {
  // Half-width katakana (0xB1) before a double-byte character; a trail byte belongs to it.
  const std::pair<const char*, const char*> ordered[] = {
      {"BWX", "BWV 1001"}, {"BZ", "BWV 1"},       {"BWV 1", "C"},      {"AB", "ABC"},
      {"\xB1", "\x88\x9F"}, {"\x88\x9F", "\x88\xA0"}, {"\x83", "\x83" "A"}};
  for (auto [a, b] : ordered) {
    EXPECT_LT(Compare(a, b), 0) << a << " < " << b;
    EXPECT_GT(Compare(b, a), 0) << b << " > " << a;
  }
  EXPECT_EQ(Compare("ABC", "ABC"), 0);
}

// Namesakes enough for an unstable sort to reorder them; the directory table left as it was.
TEST_F(IndexFile, NamesakesKeepRowOrderAndTheTableStaysUnchanged) {
  for (int i = 0; i < 40; ++i) Add(i % 2 ? "Same" : "SAME", 1, std::to_string(i));
  Build();
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(Title(3 + i), (i % 2 ? "Same|" : "SAME|") + std::to_string(i));
  }
  EXPECT_STREQ(state->directories[1].displayName, "SAME");
}

TEST_F(IndexFile, NamesakeTitlesStayWithin32Bytes) {
  const std::string t30(30, 'x'), t31(31, 'y');
  for (const std::string& title : {t30, t31}) {
    Add(title, 1, "Parent");
    Add(title, 1, "Other");
  }
  Add("short", 1, std::string(32, 'p'));
  Add("short", 1, "q");
  Build();
  EXPECT_EQ(Titles(5, 6), (std::vector<std::string>{"short|" + std::string(26, 'p'), "short|q",
                                                    t30 + "|P", t30 + "|O", t31, t31}));
  EXPECT_EQ(U8(5 * kRecord + 85 + 32), 0);
  EXPECT_TRUE(Printed("dupname=" + t31 + "\n"));
  EXPECT_TRUE(Printed("dupname=short|" + std::string(26, 'p') + "\n"));
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
