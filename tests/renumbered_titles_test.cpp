// Titles of tracks renumbered by later runs, and of names a Mac wrote decomposed.
#include <gtest/gtest.h>

#include "testing/e2e_card.h"

namespace {

constexpr char kModel10Rule1[] = "go\n10\n1\n";  // titles from the names before renaming
constexpr size_t kRecordBytes = 448;

// Track k's short name and title (the 32-byte field, spaces cut off).
std::string Track(const std::string& list, int k) {
  std::string record = list.substr(static_cast<size_t>(k) * kRecordBytes, kRecordBytes);
  std::string name = record.substr(0, record.find('\0'));
  std::string title = record.substr(16, 32);
  title.erase(title.find_last_not_of(' ') + 1);
  return name + " " + title;
}

}  // namespace

// A track added between runs takes a number already given: the tracks behind it move on.
TEST(RenumberedTitles, TracksMovedOnByLaterRunsKeepTheTitlesOfTheirFirstNames) {
  TempCard card;
  WriteTestFontSet();
  card.WriteFile("S/A.mp3", "plays A");
  card.WriteFile("S/C.mp3", "plays C");
  ToolResult r = RunOn(card, kModel10Rule1);
  ASSERT_EQ(r.status, 0) << r.output;
  card.WriteFile("S/0015.mp3", "plays N");  // between 001.MP3 and 002.MP3
  r = RunOn(card, kModel10Rule1);
  ASSERT_EQ(r.status, 1) << r.output;  // 0015.mp3 cannot take 002.MP3, which moves on
  r = RunOn(card, kModel10Rule1);
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_EQ(card.ReadFile("S/002.MP3") + card.ReadFile("S/003.MP3"), "plays Nplays C");
  std::string list = card.ReadFile("S/SNDLST10.DAT");
  ASSERT_EQ(list.size(), 3 * kRecordBytes);
  EXPECT_EQ(Track(list, 0) + "|" + Track(list, 1) + "|" + Track(list, 2),
            "001.MP3 A.mp3|002.MP3 0015.mp3|003.MP3 C.mp3");
}

// Names a Mac wrote decomposed (NFD), with a display-name file Notepad saved (UTF-8, no mark):
// titles show composed, a composed line finds its decomposed name, characters without a code of
// their own take their best fit, and the folder is filed under its composed first letter (ガ).
TEST(RenumberedTitles, DecomposedNamesShowComposedAndMatchTheirDisplayNameLines) {
  TempCard card;
  WriteTestFontSet();
  const std::string folder =
      "\u30AB\u3099\u30A4\u30C8\u3099\u30D5\u3099\u30C3\u30AF";  // ガイドブック
  card.WriteFile(folder + "/Cafe\u0301 Noir.mp3", "one");
  card.WriteFile(folder + "/\u30AB\u3099\u30A4\u30C8\u3099.mp3", "two");  // ガイド.mp3
  card.WriteFile(folder + "/表示名04.txt", "ガイド.mp3\tガイドの歌\r\n");
  ToolResult r = RunOn(card, "go\n10\n0\n");
  ASSERT_EQ(r.status, 0) << r.output;
  std::string list, index = card.ReadFile("INDEX10.DAT");
  for (const auto& [path, content] : TakeSnapshot(card))
    if (path.ends_with("/SNDLST10.DAT")) list = content;
  ASSERT_EQ(list.size(), 2 * kRecordBytes);
  EXPECT_EQ(Track(list, 0) + "|" + Track(list, 1),
            "001.MP3 001.MP3|002.MP3 " + ToCp932("ガイドの歌"));
  r = RunOn(card, "go\n10\n1\n");  // titles from the names themselves
  ASSERT_EQ(r.status, 0) << r.output;
  for (const auto& [path, content] : TakeSnapshot(card))
    if (path.ends_with("/SNDLST10.DAT")) list = content;
  EXPECT_EQ(Track(list, 0) + "|" + Track(list, 1),
            "001.MP3 Cafe Noir.mp3|002.MP3 " + ToCp932("ガイド.mp3"));
  EXPECT_NE(index.find(ToCp932("ガイドブック")), std::string::npos);
  // The index group's title field: its letter, padded.
  EXPECT_NE(index.find(ToCp932("ガ") + std::string(31, ' ')), std::string::npos);
}
