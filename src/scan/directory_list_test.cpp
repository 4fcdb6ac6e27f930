#include "scan/directory_list.h"

#include <gtest/gtest.h>

#include <string>

#include "state/run_state.h"
#include "testing/rename_card.h"

namespace {

std::string WriteAndRead(ScanCard& scan, const std::string& fileName, std::string* out = nullptr) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteDirectoryList(scan.state()), out == nullptr);
  std::string printed = GetCapturedConsole();
  if (out != nullptr) *out = printed;
  return scan.card().ReadFile(fileName);
}

TEST(DirectoryList, AnUnreadListingGivesTheHeaderAloneAndAFolderInTheWayALine) {
  ScanCard scan(4);
  EXPECT_EQ(WriteAndRead(scan, "DIRLST04.DAT"), std::string(128, '\0'));
  scan.card().MakeDir("DIRLST10.DAT");
  scan.state().playerModel = 12;
  std::string out;
  WriteAndRead(scan, "DIRLST04.DAT", &out);
  EXPECT_EQ(out, "DIRLST10.DATの作成でエラー\n");
  EXPECT_TRUE(scan.state().writeFailed);
}

}  // namespace
