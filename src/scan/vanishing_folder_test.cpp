// Folders that go away between the folder listing and their own track scan:
// the listing names three folders; before the scan reaches them one is
// removed and one is replaced by a file of its name. Their rows are there
// without tracks, their track lists are reported as not written, and the
// file is left as it is.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/run_state.h"
#include "platform/host.h"
#include "scan/directory_scan.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"

TEST(VanishingFolders, FoldersGoneAfterTheListingGetEmptyRowsAndALine) {
  ScanCard scan(4);
  // Where the test card is not a drive root, its own folder counts against the path limit.
  if (ScanCard::PathPrefix().size() + 2 > kMaxPathBytes) GTEST_SKIP() << "card folder too deep";
  for (const char* name : {"A", "B", "C"}) scan.card().WriteFile(std::string(name) + "/001.MP3", "x");
  const std::string workFile = std::string(scan.state().workDir) + "\\DIRLSTWK.TXT";
  ASSERT_TRUE(HostWriteFolderListing(workFile.c_str()));
  std::filesystem::remove_all(scan.card().root() / "B");
  std::filesystem::remove_all(scan.card().root() / "C");
  scan.card().WriteFile("C", "a file where the folder was");

  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryListing(scan.state(), workFile.c_str()), 1);
  std::string out = GetCapturedConsole();
  const RunState& s = scan.state();
  ASSERT_EQ(s.directoryCount, 4);
  EXPECT_EQ(s.directories[1].trackCount, 1);
  EXPECT_EQ(s.directories[2].trackCount, 0);
  EXPECT_EQ(s.directories[3].trackCount, 0);
  EXPECT_EQ(s.randomCount, 1);
  EXPECT_NE(out.find(ScanCard::ListedPath("B") + "\\SNDLST04.DATの作成でエラー"), std::string::npos)
      << out;
  EXPECT_FALSE(scan.card().Exists("B"));
  EXPECT_EQ(scan.card().ReadFile("C"), "a file where the folder was");
  EXPECT_TRUE(scan.card().Exists("A/SNDLST04.DAT"));
}
