// Folders that go away while a run works on the card: after the rename
// pass, and between the folder listing and their own track scan. The scan
// goes on, writes nothing where it should not, and leaves what is there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/run_state.h"
#include "platform/host.h"
#include "rename/rename_pass.h"
#include "scan/directory_scan.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"

namespace {

// Runs the rename pass on the card root as the run driver does.
void RenameCardRoot(RunState& state) {
  char16_t root[260];
  ASSERT_TRUE(HostGetCurrentDirectoryW(root, 260));
  testing::internal::CaptureStdout();
  RenameToShortNames(state, root);
  GetCapturedConsole();
  ASSERT_EQ(state.renameFailed, 0);
}

// Where the test card is not a drive root (Windows), its own folder counts
// against the 47-byte path limit of the table.
bool CardTooDeep(size_t longestRelative) {
  return ScanCard::PathPrefix().size() + longestRelative > kMaxPathBytes;
}

std::string WorkFile(const RunState& state) {
  return std::string(state.workDir) + "\\DIRLSTWK.TXT";
}

}  // namespace

TEST(VanishingFolders, AFolderRemovedAfterTheRenamePassIsNotInTheTable) {
  ScanCard scan(4);
  if (CardTooDeep(9)) GTEST_SKIP() << "the test card's folder is too deep for the path limit";
  scan.card().WriteFile("Album One/a.mp3", "a");
  scan.card().WriteFile("Album Two/b.mp3", "b");
  RenameCardRoot(scan.state());
  std::filesystem::remove_all(scan.card().root() / "AlbumTwo");

  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryStructure(scan.state()), 1);
  GetCapturedConsole();
  const RunState& s = scan.state();
  ASSERT_EQ(s.directoryCount, 2);
  EXPECT_STREQ(s.directories[1].displayName, "Album One");
  EXPECT_EQ(s.directories[1].trackCount, 1);
  EXPECT_EQ(s.randomCount, 1);
}

// The listing names three folders; before the scan reaches them one is
// removed and one is replaced by a file of its name. Their rows are there
// without tracks, their track lists are reported as not written, and the
// file is left as it is.
TEST(VanishingFolders, FoldersGoneAfterTheListingGetEmptyRowsAndALine) {
  ScanCard scan(4);
  if (CardTooDeep(2)) GTEST_SKIP() << "the test card's folder is too deep for the path limit";
  scan.card().WriteFile("A/001.MP3", "a");
  scan.card().WriteFile("B/001.MP3", "b");
  scan.card().WriteFile("C/001.MP3", "c");
  const std::string workFile = WorkFile(scan.state());
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
