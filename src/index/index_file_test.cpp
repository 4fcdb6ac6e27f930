#include "index/index_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

constexpr int kRecord = 512;

// Appends a folder row the way the directory scan leaves it (titles in
// code page 932).
int AddFolder(RunState& state, const std::string& title, int tracks,
              const std::string& parentTitle = "", const std::string& path = "\\F",
              const std::string& shortName = "F") {
  if (state.directoryCount == 0) state.directoryCount = 1;  // the root row
  const int row = state.directoryCount++;
  DirectoryEntry& e = state.directories[row];
  std::strncpy(e.displayName, title.c_str(), 32);
  std::strncpy(e.parentDisplayName, parentTitle.c_str(), 32);
  std::strncpy(e.path, path.c_str(), 47);
  std::strncpy(e.shortName, shortName.c_str(), 12);
  for (int i = 0; i < 32; ++i) {
    const char c = e.displayName[i];
    e.sortKey[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (IsSjisLeadByte(static_cast<uint8_t>(c)) && i + 1 < 32) {  // the trail byte stays
      ++i;
      e.sortKey[i] = e.displayName[i];
    }
  }
  e.trackCount = static_cast<uint16_t>(tracks);
  return row;
}

int U16(const std::string& file, int offset) {
  return static_cast<uint8_t>(file[offset]) | static_cast<uint8_t>(file[offset + 1]) << 8;
}
int U8(const std::string& file, int offset) { return static_cast<uint8_t>(file[offset]); }
// The title field (offset 85) of a record, up to its first zero byte.
std::string Title(const std::string& file, int record) {
  return FromCp932(std::string(file.c_str() + record * kRecord + 85));
}

int Compare(const char* a, const char* b) {
  auto x = std::make_unique<DirectoryEntry>();
  auto y = std::make_unique<DirectoryEntry>();
  std::strcpy(x->sortKey, a);
  std::strcpy(y->sortKey, b);
  return CompareSortKeys(*x, *y);
}

struct IndexRun {
  std::string file;
  std::string console;
};

IndexRun Build(const TempCard& card, RunState& state) {
  testing::internal::CaptureStdout();
  BuildIndexFile(state);
  IndexRun run;
  run.console = GetCapturedConsole();
  run.file = card.ReadFile("INDEX10.DAT");
  return run;
}

TEST(CompareSortKeys, PutsBwvAfterOtherBKeysAndOrdersShiftJisCharacters) {
  EXPECT_LT(Compare("BWX", "BWV 1001"), 0);
  EXPECT_GT(Compare("BWV 1", "BZ"), 0);
  EXPECT_LT(Compare("BWV 1", "C"), 0);  // only among B keys
  EXPECT_LT(Compare("AB", "ABC"), 0);   // the key that ends first
  EXPECT_EQ(Compare("ABC", "ABC"), 0);
  // Half-width katakana (0xB1) before a double-byte character (0x88 0x9F),
  // although its byte is larger; a trail byte belongs to its character.
  EXPECT_LT(Compare("\xB1", "\x88\x9F"), 0);
  EXPECT_LT(Compare("\x88\x9F", "\x88\xA0"), 0);
  EXPECT_GT(Compare("\x83" "A", "\x83"), 0);
}

TEST(IndexFile, EmptyIndexIsHeaderAndTopRecord) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  state->directoryCount = 1;
  AddFolder(*state, "No Tracks", 0);
  IndexRun run = Build(card, *state);
  ASSERT_EQ(run.file.size(), 1024u);
  EXPECT_EQ(U16(run.file, 0), 0);
  EXPECT_EQ(U16(run.file, 2), 0);
  EXPECT_EQ(U16(run.file, kRecord + 75), 2);
  EXPECT_EQ(U8(run.file, kRecord + 77), 0);
  EXPECT_NE(run.console.find("インデックス数=0\n"), std::string::npos);
}

TEST(IndexFile, WritesEveryFieldOfGroupAndFolderRecords) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  AddFolder(*state, "Empty", 0);
  AddFolder(*state, "ABD", 1, "", "\\MUSIC\\ABD", "ABD");
  AddFolder(*state, "ABC", 3, "", "\\MUSIC\\ABC", "ABC");
  IndexRun run = Build(card, *state);
  const std::string& f = run.file;
  ASSERT_EQ(f.size(), 2560u);
  EXPECT_EQ(U16(f, 0), 3);
  EXPECT_EQ(U16(f, 2), 2);
  EXPECT_EQ(f.substr(4, 508), std::string(508, '\0'));
  // Top record.
  EXPECT_EQ(U16(f, kRecord + 75), 2);
  EXPECT_EQ(U8(f, kRecord + 77), 1);
  EXPECT_EQ(U16(f, kRecord + 78), 1);
  EXPECT_EQ(U16(f, kRecord + 80), 1);
  // Group A.
  const int g = 2 * kRecord;
  EXPECT_EQ(f.substr(g, 62), std::string(62, '\0'));
  EXPECT_EQ(f.substr(g + 62, 13), std::string("A\0\0\0\0\0\0\0\x02\0\0\0\0", 13));
  EXPECT_EQ(U16(f, g + 75), 3);
  EXPECT_EQ(U8(f, g + 77), 2);
  EXPECT_EQ(U16(f, g + 78), 1);
  EXPECT_EQ(f.substr(g + 85, 33), "A" + std::string(32, ' '));
  // Folders, in key order.
  const int a = 3 * kRecord;
  EXPECT_EQ(std::string(f.c_str() + a), "\\MUSIC\\ABC");
  EXPECT_EQ(U8(f, a + 61), 10);
  EXPECT_EQ(f.substr(a + 62, 13), std::string("ABC         \0", 13));
  EXPECT_EQ(U16(f, a + 75), 0);
  EXPECT_EQ(U16(f, a + 78), 1);
  EXPECT_EQ(U16(f, a + 80), 1);
  EXPECT_EQ(U8(f, a + 84), 3);
  EXPECT_EQ(f.substr(a + 85, 33), "ABC" + std::string(30, '\0'));
  EXPECT_EQ(U8(f, a + kRecord + 84), 1);
  EXPECT_EQ(Title(f, 4), "ABD");
  for (int r = 1; r < 5; ++r) EXPECT_EQ(f.substr(r * kRecord + 118, 10), std::string(10, '\0'));
}

TEST(IndexFile, GroupsBwvTitlesUnderBwAfterOtherBTitles) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  AddFolder(*state, "BWV 1001", 1);
  AddFolder(*state, "Beatles", 1);
  AddFolder(*state, "BWX", 1);
  AddFolder(*state, "Bach", 1);
  IndexRun run = Build(card, *state);
  ASSERT_EQ(run.file.size(), (2u + 2 + 4) * kRecord);
  EXPECT_EQ(U16(run.file, 0), 6);
  EXPECT_EQ(run.file.substr(2 * kRecord + 62, 13), std::string("B\0\0\0\0\0\0\0\x03\0\0BW", 13));
  EXPECT_EQ(run.file.substr(3 * kRecord + 62, 13), std::string("BW\0\0\0\0\0\0\x01\x03\0\0\0", 13));
  EXPECT_EQ(U16(run.file, 3 * kRecord + 75), 3 + 2 + 2);
  EXPECT_EQ(Title(run.file, 4), "Bach");
  EXPECT_EQ(Title(run.file, 5), "Beatles");
  EXPECT_EQ(Title(run.file, 6), "BWX");
  EXPECT_EQ(Title(run.file, 7), "BWV 1001");
  EXPECT_EQ(U16(run.file, 6 * kRecord + 78), 1);
  EXPECT_EQ(U16(run.file, 7 * kRecord + 78), 2);
}

TEST(IndexFile, PlacesDoubleByteGroupsAfterSingleByteOnes) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  AddFolder(*state, ToCp932("日本の歌"), 2);
  AddFolder(*state, ToCp932("ｱﾆﾒ"), 1);  // half-width katakana
  AddFolder(*state, "Zoo", 1);
  IndexRun run = Build(card, *state);
  EXPECT_EQ(Title(run.file, 2), "Z" + std::string(32, ' '));
  EXPECT_EQ(Title(run.file, 3), "ｱ" + std::string(32, ' '));
  EXPECT_EQ(Title(run.file, 4), "日" + std::string(31, ' '));
  EXPECT_EQ(run.file.substr(4 * kRecord + 62, 3), ToCp932("日") + '\0');
  EXPECT_EQ(Title(run.file, 7), "日本の歌");
  EXPECT_NE(run.console.find("INDEX CHA=日\n"), std::string::npos);
}

TEST(IndexFile, NamesakesGetParentTitlesInRowOrderAndTableStaysUnchanged) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  AddFolder(*state, "Jazz", 0);
  AddFolder(*state, "Rock", 0);
  AddFolder(*state, "BEST", 2, "Rock");
  AddFolder(*state, "Best", 1, "Jazz");
  AddFolder(*state, "best", 1);  // directly under the root
  AddFolder(*state, "Other", 1);
  IndexRun run = Build(card, *state);
  // Equal keys keep their row order, on every host and every run.
  EXPECT_EQ(Title(run.file, 4), "BEST|Rock");
  EXPECT_EQ(Title(run.file, 5), "Best|Jazz");
  EXPECT_EQ(Title(run.file, 6), "best|");
  EXPECT_EQ(Title(run.file, 7), "Other");
  EXPECT_STREQ(state->directories[3].displayName, "BEST");
  EXPECT_STREQ(state->directories[4].displayName, "Best");
  EXPECT_NE(run.console.find("displaynameuc=BEST BEST matched\n"), std::string::npos);
  EXPECT_NE(run.console.find("displaynameuc=OTHER BEST\n"), std::string::npos);
  EXPECT_NE(run.console.find("dupname=best|\n"), std::string::npos);
  EXPECT_EQ(run.console.find("dupname=Other"), std::string::npos);
}

TEST(IndexFile, ManyNamesakesKeepTheirRowOrder) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  for (int i = 0; i < 40; ++i) {
    AddFolder(*state, i % 2 ? "Same" : "SAME", 1, "P" + std::to_string(10 + i));
    AddFolder(*state, "Other" + std::to_string(i), 1);
  }
  IndexRun run = Build(card, *state);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(Title(run.file, 2 + 2 + 40 + i),
              (i % 2 ? "Same|P" : "SAME|P") + std::to_string(10 + i));
  }
}

TEST(IndexFile, NamesakeTitlesStayWithin32Bytes) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  const std::string t30(30, 'x');
  const std::string t31(31, 'y');
  AddFolder(*state, t30, 1, "Parent");
  AddFolder(*state, t30, 1, "Other");
  AddFolder(*state, t31, 1, "Parent");
  AddFolder(*state, t31, 1, "Other");
  AddFolder(*state, "short", 1, std::string(32, 'p'));
  AddFolder(*state, "short", 1, "q");
  IndexRun run = Build(card, *state);
  EXPECT_EQ(Title(run.file, 5), "short|" + std::string(26, 'p'));
  EXPECT_EQ(U8(run.file, 5 * kRecord + 85 + 32), 0);
  EXPECT_EQ(Title(run.file, 6), "short|q");
  EXPECT_EQ(Title(run.file, 7), t30 + "|P");
  EXPECT_EQ(Title(run.file, 9), t31);
  EXPECT_EQ(Title(run.file, 10), t31);
  EXPECT_NE(run.console.find("dupname=" + t31 + "\n"), std::string::npos);
}

TEST(IndexFile, SplitsAGroupOfMoreThan255Folders) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  for (int i = 0; i < 300; ++i) AddFolder(*state, "A" + std::to_string(1000 + i), 1);
  AddFolder(*state, "B", 1);
  IndexRun run = Build(card, *state);
  const std::string& f = run.file;
  ASSERT_EQ(f.size(), (2u + 3 + 301) * kRecord);
  EXPECT_EQ(U16(f, 0), 3 + 301);
  EXPECT_EQ(U16(f, 2), 301);
  EXPECT_EQ(U8(f, kRecord + 77), 3);
  EXPECT_EQ(f.substr(2 * kRecord + 62, 13), std::string("A\0\0\0\0\0\0\0\xFF\0\0A\0", 13));
  EXPECT_EQ(f.substr(3 * kRecord + 62, 13), std::string("A\0\0\0\0\0\0\0\x2D\xFF\0B\0", 13));
  EXPECT_EQ(U16(f, 3 * kRecord + 75), 255 + 5);
  EXPECT_EQ(Title(f, 255 + 5), "A1255");  // the record the second group points at
  EXPECT_EQ(U16(f, (255 + 4) * kRecord + 78), 1);
  EXPECT_EQ(U16(f, (255 + 5) * kRecord + 78), 2);
  EXPECT_EQ(U16(f, (300 + 5) * kRecord + 78), 3);
  EXPECT_NE(run.console.find("インデックス文字 A のフォルダが255個を超えた"), std::string::npos);
}

TEST(IndexFile, LeavesOutFoldersBeyond255GroupsAndSaysSo) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  // 260 distinct double-byte first characters, the 255th twice.
  for (int i = 0; i < 260; ++i) {
    const int trail = i % 188;  // 0x40..0x7E, 0x80..0xFC
    const char title[3] = {static_cast<char>(0x89 + i / 188),
                           static_cast<char>(trail < 63 ? 0x40 + trail : 0x41 + trail), 0};
    AddFolder(*state, title, 1);
    if (i == 254) AddFolder(*state, std::string(title) + "2", 1);
  }
  IndexRun run = Build(card, *state);
  const std::string& f = run.file;
  ASSERT_EQ(f.size(), (2u + 255 + 256) * kRecord);
  EXPECT_EQ(U16(f, 0), 255 + 256);
  EXPECT_EQ(U16(f, 2), 256);
  EXPECT_EQ(U8(f, kRecord + 77), 255);
  const int last = (2 + 254) * kRecord;
  EXPECT_EQ(U8(f, last + 70), 2);                         // folderCount
  EXPECT_EQ(f.substr(last + 73, 2), std::string(2, '\0'));  // no next group
  EXPECT_EQ(U16(f, last + 75), 254 + 255 + 2);
  EXPECT_EQ(U16(f, (2 + 255 + 255) * kRecord + 78), 255);
  EXPECT_NE(run.console.find("インデックスのグループが255個を超えた: 残り5フォルダ"),
            std::string::npos);
}

TEST(IndexFile, SaysSoWhenTheFileCannotBeCreated) {
  TempCard card;
  card.MakeDir("INDEX10.DAT");
  auto state = std::make_unique<RunState>();
  AddFolder(*state, "ABC", 1);
  testing::internal::CaptureStdout();
  BuildIndexFile(*state);
  IndexRun run{"", GetCapturedConsole()};
  EXPECT_NE(run.console.find("ファイル作成エラー INDEX10.DAT\n"), std::string::npos);
  EXPECT_EQ(run.console.find("インデックス数"), std::string::npos);
}

TEST(IndexFile, RendersEachTitleIntoFreshImages) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  ASSERT_EQ(LoadTestFontSet(*state), 1);
  AddFolder(*state, "AAAAAAAAAA", 1);
  AddFolder(*state, "AB", 1);
  IndexRun run = Build(card, *state);
  ASSERT_EQ(run.file.size(), 5u * kRecord);
  for (int k = 0; k < 6; ++k) {
    const uint8_t u = TestGlyphColumn(kTestHalf12, 'A', k, 0);
    const uint8_t l = TestGlyphColumn(kTestHalf12, 'A', k, 8) & 0x0F;
    EXPECT_EQ(U8(run.file, 2 * kRecord + 128 + k), u);  // group A
    EXPECT_EQ(U8(run.file, 2 * kRecord + 256 + k), l);
    EXPECT_EQ(U8(run.file, 4 * kRecord + 128 + 6 + k), TestGlyphColumn(kTestHalf12, 'B', k, 0));
  }
  // The short title after the long one: nothing left over past its end.
  EXPECT_EQ(run.file.substr(4 * kRecord + 128 + 12, 116), std::string(116, '\0'));
  EXPECT_EQ(run.file.substr(2 * kRecord + 128 + 6, 122), std::string(122, '\0'));
}

}  // namespace
