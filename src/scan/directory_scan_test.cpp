#include "scan/directory_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"
#include "testing/temp_card.h"

namespace {

// Runs the scan with its console output caught.
struct ScanResult {
  int result;
  std::string output;
};
ScanResult ScanCardFolders(ScanCard& scan) {
  testing::internal::CaptureStdout();
  int result = ReadDirectoryStructure(scan.state());
  return {result, GetCapturedConsole()};
}

// On a host whose test card is not a drive root the listing's paths carry
// the card's own folder, which counts against the 47-byte limit.
#define SKIP_IF_CARD_TOO_DEEP(longestRelative)                                    \
  if (ScanCard::PathPrefix().size() + (longestRelative) > kMaxPathBytes) {        \
    GTEST_SKIP() << "the test card's folder is too deep for the path limit here"; \
  }

std::string PathOf(const std::string& relative) {
  std::string path = ScanCard::PathPrefix() + "\\" + relative;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(DirectoryScan, BuildsRowsAndLinksInListingOrder) {
  ScanCard scan(4);
  SKIP_IF_CARD_TOO_DEEP(5u);
  scan.card().WriteFile("A/A1/001.MP3", "");
  scan.card().MakeDir("A/A2");
  scan.card().WriteFile("B/001.MP3", "");
  ScanResult r = ScanCardFolders(scan);
  ASSERT_EQ(r.result, 1);
  RunState& s = scan.state();

  ASSERT_EQ(s.directoryCount, 5);
  const DirectoryEntry* d = s.directories;
  EXPECT_STREQ(d[1].shortName, "A");
  EXPECT_STREQ(d[2].shortName, "B");
  EXPECT_STREQ(d[3].shortName, "A1");
  EXPECT_STREQ(d[4].shortName, "A2");
  EXPECT_EQ(d[0].firstChild, 1);
  EXPECT_EQ(d[0].childCount, 2);
  EXPECT_EQ(d[1].firstChild, 3);
  EXPECT_EQ(d[1].childCount, 2);
  EXPECT_EQ(d[2].firstChild, 0);
  EXPECT_EQ(d[2].childCount, 0);
  for (int row : {3, 4}) {
    EXPECT_EQ(d[row].parent, 1);
    EXPECT_EQ(d[row].grandparent, 0);
    EXPECT_STREQ(d[row].parentDisplayName, "A");
  }
  EXPECT_EQ(d[1].parent, 0);
  EXPECT_EQ(d[3].path, PathOf("A/A1"));
  EXPECT_EQ(d[3].parentPath, PathOf("A"));
  EXPECT_EQ(d[3].listedPath, ScanCard::ListedPath("A/A1"));
  EXPECT_STREQ(d[3].displayName, "A1");
  EXPECT_STREQ(d[3].sortKey, "A1");

  // Tracks: B (row 2) and A1 (row 3), in row order.
  EXPECT_EQ(d[1].trackCount, 0);
  EXPECT_EQ(d[2].trackCount, 1);
  EXPECT_EQ(d[3].trackCount, 1);
  ASSERT_EQ(s.randomCount, 2);
  EXPECT_EQ(s.randomList[0], 2);
  EXPECT_EQ(s.randomList[1], 3);
  EXPECT_TRUE(scan.card().Exists("A/A2/SNDLST04.DAT"));

  EXPECT_EQ(r.output.rfind("ReadDirectoryStructure\nA\n", 0), 0u) << r.output;
  EXPECT_NE(r.output.find("\n[A]\nB\n"), std::string::npos) << r.output;
}

TEST(DirectoryScan, LeavesOutUnderscoreAndSystemFolders) {
  ScanCard scan(4);
  SKIP_IF_CARD_TOO_DEEP(30u);
  scan.card().WriteFile("_FONT/MNLZN16X.TLF", "font");
  scan.card().MakeDir("_X/Y");
  scan.card().MakeDir("SYSTEM1");
  scan.card().MakeDir("System Volume Information");
  scan.card().MakeDir("SYS");
  ASSERT_EQ(ScanCardFolders(scan).result, 1);
  RunState& s = scan.state();
  ASSERT_EQ(s.directoryCount, 3);
  EXPECT_STREQ(s.directories[1].shortName, "SYS");
  // Y's parent _X has no row: Y hangs on the root.
  EXPECT_STREQ(s.directories[2].shortName, "Y");
  EXPECT_EQ(s.directories[2].parent, 0);
  EXPECT_EQ(s.directories[2].grandparent, 0);
  EXPECT_EQ(s.directories[0].childCount, 2);
  EXPECT_EQ(s.directories[0].firstChild, 1);
}

TEST(DirectoryScan, TakesPathsOf47BytesAndLeavesOutLongerOnes) {
  ScanCard scan(4);
  SKIP_IF_CARD_TOO_DEEP(10u);
  std::string prefix = ScanCard::PathPrefix();
  std::string fits(kMaxPathBytes - 1 - prefix.size(), 'F');  // "\" + name = 47 bytes
  std::string over(kMaxPathBytes - prefix.size(), 'O');      // 48 bytes
  scan.card().MakeDir(fits + "/SUB");
  scan.card().MakeDir(over);
  ASSERT_EQ(ScanCardFolders(scan).result, 1);
  RunState& s = scan.state();
  ASSERT_EQ(s.directoryCount, 2);
  EXPECT_EQ(std::strlen(s.directories[1].path), 47u);
  EXPECT_STREQ(s.directories[1].shortName, "FFFFFFFFFFFF");  // 12 bytes of the name
}

TEST(DirectoryScan, NeverTakesPiecesOfAnOverlongListingLineForFolders) {
  ScanCard scan(4);
  // The listing line for the deepest folder is 132 bytes; its bytes from
  // 127 on read "\FAKE".
  std::string a(60, 'A'), b(60, 'B');
  scan.card().MakeDir(a + "/" + b + "/CCCC/FAKE");
  ScanResult r = ScanCardFolders(scan);
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(scan.state().directoryCount, 1);
  EXPECT_EQ(r.output.find("FAKE"), std::string::npos) << r.output;
}

TEST(DirectoryScan, FolderTitleIsTheOldNameWhereTheModelCanShowIt) {
  for (int model : {4, 8}) {
    ScanCard scan(model);
    SKIP_IF_CARD_TOO_DEEP(12u);
    scan.WriteRenameLog("00001/RENDIR04.LOG", "日本の歌\n");
    scan.WriteRenameLog("LONGFOLD/RENDIR04.LOG", "Long folder name\n");
    scan.WriteRenameLog("00002/RENDIR04.LOG", "Many letters: abcdefghijklmnopqrstuvwxyz\n");
    scan.card().MakeDir("LONGFOLD/SUB");
    ASSERT_EQ(ScanCardFolders(scan).result, 1);
    const DirectoryEntry* d = scan.state().directories;
    ASSERT_EQ(scan.state().directoryCount, 5);
    EXPECT_STREQ(d[1].shortName, "00001");
    EXPECT_EQ(std::string(d[1].displayName), model == 8 ? ToCp932("日本の歌") : "00001")
        << "model " << model;
    EXPECT_STREQ(d[2].displayName, "Many letters: abcdefghijklmnopqr");  // 32 bytes
    EXPECT_STREQ(d[3].displayName, "Long folder name");
    EXPECT_STREQ(d[3].sortKey, "LONG FOLDER NAME");
    EXPECT_STREQ(d[4].parentDisplayName, "Long folder name");
  }
}

TEST(DirectoryScan, LeavesOutFoldersBeyondTheTableAndSaysSo) {
  ScanCard scan(4);
  SKIP_IF_CARD_TOO_DEEP(6u);
  for (int i = 0; i < 1003; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "F%04d", i);
    scan.card().MakeDir(name);
  }
  scan.card().WriteFile("F1002/001.MP3", "");
  ScanResult r = ScanCardFolders(scan);
  ASSERT_EQ(r.result, 1);
  RunState& s = scan.state();
  EXPECT_EQ(s.directoryCount, 1000);
  EXPECT_STREQ(s.directories[999].shortName, "F0998");
  EXPECT_EQ(s.directories[0].childCount, 999);
  EXPECT_EQ(s.randomCount, 0);
  for (const char* name : {"F0999", "F1000", "F1001", "F1002"}) {
    EXPECT_NE(r.output.find("フォルダ数制限超過 " + FromCp932(ScanCard::ListedPath(name)) + "\n"),
              std::string::npos)
        << name;
  }
  EXPECT_FALSE(scan.card().Exists("F1002/SNDLST04.DAT"));
}

TEST(DirectoryScan, EmptyCardLeavesTheRootAlone) {
  ScanCard scan(4);
  ASSERT_EQ(ScanCardFolders(scan).result, 1);
  RunState& s = scan.state();
  EXPECT_EQ(s.directoryCount, 1);
  EXPECT_EQ(s.randomCount, 0);
  EXPECT_EQ(s.directories[0].firstChild, 1);
  EXPECT_EQ(s.directories[0].childCount, 0);
}

TEST(DirectoryScan, UnreadableListingSaysSoAndLeavesTheTableEmpty) {
  ScanCard scan(4);
  scan.card().MakeDir("A");
  std::strcpy(scan.state().tempDir, "no-such-folder/");
  ScanResult r = ScanCardFolders(scan);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.output, "ReadDirectoryStructure\ncannot open input file\n");
  EXPECT_EQ(scan.state().directoryCount, 0);
  EXPECT_EQ(scan.state().directories[0].firstChild, 0);
}

std::string SortKeyOf(const std::string& title) {
  char display[33] = {};
  std::memcpy(display, title.data(), title.size() < 32 ? title.size() : 32);
  char key[33];
  std::memset(key, 'x', sizeof key);
  MakeSortKey(display, key);
  EXPECT_EQ(key[32], 0);
  return std::string(key, 32);
}

TEST(SortKey, UpperCasesAsciiLettersOnly) {
  std::string key = SortKeyOf("abc xyz-09 ABC");
  EXPECT_EQ(key, "ABC XYZ-09 ABC" + std::string(18, '\0'));
  // A trail byte in the range of a..z stays; half-width katakana stays.
  std::string mixed = std::string("\x83\x61") + "a" + "\xB1" + "b";
  EXPECT_EQ(SortKeyOf(mixed).substr(0, 5), std::string("\x83\x61") + "A" + "\xB1" + "B");
}

TEST(SortKey, DoubleByteCharacterAtTheLastPositionLosesItsSecondByte) {
  std::string title = std::string(31, 'a') + "\x83\x61";  // 33 bytes; the field keeps 32
  std::string key = SortKeyOf(title);
  EXPECT_EQ(key, std::string(31, 'A') + "\x83");
}

}  // namespace
