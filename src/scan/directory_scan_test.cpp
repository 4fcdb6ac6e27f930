#include "scan/directory_scan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host.h"
#include "state/run_state.h"
#include "testing/rename_card.h"

namespace {

std::string ScanFolders(ScanCard& scan, int result = 1) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryStructure(scan.state()), result);
  return GetCapturedConsole();
}

// Each row as "short name, first child, child count, parent, grandparent, tracks".
std::vector<std::string> Rows(const RunState& s) {
  std::vector<std::string> rows;
  for (const DirectoryEntry* d = s.directories; d < s.directories + s.directoryCount; ++d) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %d %d %d %d %d", d->shortName, d->firstChild,
                  d->childCount, d->parent, d->grandparent, d->trackCount);
    rows.push_back(text);
  }
  return rows;
}
using Strings = std::vector<std::string>;

// Where the test card is not a drive root, its own folder counts against the 47-byte limit.
#define SKIP_IF_CARD_TOO_DEEP(longestRelative)                           \
  if (ScanCard::PathPrefix().size() + (longestRelative) > kMaxPathBytes) \
  GTEST_SKIP() << "the test card's folder is too deep for the path limit here"

// (Old names' parent titles and sort keys are pinned by the expected cards.)
TEST(DirectoryScan, FolderTitleIsTheOldNameWhereTheModelCanShowIt) {
  for (int model : {4, 8}) {
    ScanCard scan(model);
    SKIP_IF_CARD_TOO_DEEP(6u);
    scan.card().WriteFile("00001/RENDIR04.LOG", Utf16Log("日本の歌\n"));
    ScanFolders(scan);
    const DirectoryEntry* d = scan.state().directories;
    ASSERT_EQ(scan.state().directoryCount, 2);
    EXPECT_EQ(std::string(d[1].displayName), model == 8 ? ToCp932("日本の歌") : "00001") << model;
  }
}

TEST(DirectoryScan, EmptyCardKeepsTheRootAndAnUnreadListingSaysSo) {
  ScanCard scan(4);
  ScanFolders(scan);
  EXPECT_EQ(Rows(scan.state()), Strings{" 1 0 0 0 0"});
  ScanCard unread(4);
  std::strcpy(unread.state().workDir, "no-such-folder/");
  EXPECT_EQ(ScanFolders(unread, 0), "ReadDirectoryStructure\ncannot open input file\n");
  EXPECT_EQ(unread.state().directoryCount, 0);
}

// Only the folders below the card's root count for the systems' own folders (which get no rows,
// nor what is below them: the other-systems test): a root in a '$' folder keeps its rows.
TEST(DirectoryScan, TheSystemsOwnFoldersCountOnlyBelowTheCardsRoot) {
  ScanCard listed(4);
  const std::string workFile = std::string(listed.state().workDir) + "DIRLSTWK.TXT";
  std::FILE* f = HostOpen(workFile.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("\\$CARD\\A\r\n\\$CARD\\.T\r\n\\$CARD\\A\\B\r\n\\$CARD\\.T\\C\r\n", f);
  std::fclose(f);
  testing::internal::CaptureStdout();
  ReadDirectoryListing(listed.state(), workFile.c_str());
  GetCapturedConsole();
  EXPECT_EQ(Rows(listed.state()), (Strings{" 1 1 0 0 0", "A 2 1 0 0 0", "B 0 0 1 0 0"}));
}

// Folders gone after the listing (one now a file) get rows without tracks and a line each.
TEST(DirectoryScan, FoldersGoneAfterTheListingGetEmptyRowsAndALine) {
  ScanCard scan(4);
  SKIP_IF_CARD_TOO_DEEP(2u);
  for (const char* name : {"A", "B", "C"})
    scan.card().WriteFile(std::string(name) + "/001.MP3", "x");
  const std::string workFile = std::string(scan.state().workDir) + "DIRLSTWK.TXT";
  ASSERT_TRUE(HostWriteFolderListing(workFile.c_str()));
  std::filesystem::remove_all(scan.card().root() / "B");
  std::filesystem::remove_all(scan.card().root() / "C");
  scan.card().WriteFile("C", "a file where the folder was");
  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryListing(scan.state(), workFile.c_str()), 1);
  std::string out = GetCapturedConsole();
  EXPECT_EQ(Rows(scan.state()),
            (Strings{" 1 3 0 0 0", "A 0 0 0 0 1", "B 0 0 0 0 0", "C 0 0 0 0 0"}));
  EXPECT_EQ(scan.state().randomCount, 1);
  EXPECT_NE(out.find(ScanCard::ListedPath("B") + "\\SNDLST04.DATの作成でエラー"), std::string::npos)
      << out;
  EXPECT_FALSE(scan.card().Exists("B"));
  EXPECT_EQ(scan.card().ReadFile("C"), "a file where the folder was");
  EXPECT_TRUE(scan.card().Exists("A/SNDLST04.DAT"));
}

}  // namespace
