#include "scan/directory_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/run_state.h"
#include "testing/rename_card.h"

namespace {

std::string WriteAndRead(ScanCard& scan, const std::string& fileName, std::string* out = nullptr) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), 1);
  std::string printed = GetCapturedConsole();
  if (out != nullptr) *out = printed;
  return scan.card().ReadFile(fileName);
}

// (Whole cards' records are pinned by the expected cards; here what their sample lacks.)
TEST(DirectoryList, CountsAtMost255SubfoldersAndATwelveByteShortNameTakesNoSpace) {
  ScanCard scan(6);
  RunState& s = scan.state();
  s.directoryCount = 2;
  s.directories[0].firstChild = 1;
  s.directories[0].childCount = 1;
  std::strcpy(s.directories[1].path, "\\ABCDEFGH.IJK");
  std::strcpy(s.directories[1].shortName, "ABCDEFGH.IJK");
  s.directories[1].firstChild = 2;
  s.directories[1].childCount = 256;
  std::string out;
  std::string file = WriteAndRead(scan, "DIRLST04.DAT", &out);
  ASSERT_EQ(file.size(), 3u * 128);
  EXPECT_EQ(out, "サブDIR数制限超過 \\ABCDEFGH.IJK 256\n");
  EXPECT_EQ(file.substr(2 * 128 + 62, 16), std::string("ABCDEFGH.IJK\0\3\0\xFF", 16));
}

TEST(DirectoryList, AnUnreadListingGivesTheHeaderAloneAndAFolderInTheWayALine) {
  ScanCard scan(4);
  EXPECT_EQ(WriteAndRead(scan, "DIRLST04.DAT"), std::string(128, '\0'));
  scan.card().MakeDir("DIRLST10.DAT");
  scan.state().playerModel = 12;
  std::string out;
  WriteAndRead(scan, "DIRLST04.DAT", &out);
  EXPECT_EQ(out, "DIRLST10.DATの作成でエラー\n");
}

}  // namespace
