// A folder's file listing that cannot be written: the scan stops there
// rather than give the folder no tracks, so the run keeps the card's
// catalogue as it is.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/run_state.h"
#include "scan/directory_scan.h"
#include "testing/console_text.h"
#include "testing/scan_card.h"

TEST(ListingFaults, AFileListingThatCannotBeWrittenStopsTheScan) {
  ScanCard scan(4);
  // Where the test card is not a drive root, its own folder counts against
  // the path limit.
  if (ScanCard::PathPrefix().size() + 2 > kMaxPathBytes) {
    GTEST_SKIP() << "the test card's folder is too deep for the path limit here";
  }
  scan.card().WriteFile("A/001.MP3", "a");
  scan.card().WriteFile("A/SNDLST04.DAT", "the track list of a run before");
  scan.card().WriteFile("B/001.MP3", "b");
  const std::string workFile = std::string(scan.state().workDir) + "FILLSTWK.TXT";
  std::filesystem::create_directory(workFile);  // in the way of the listing

  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryStructure(scan.state()), 0);
  std::string out = GetCapturedConsole();
  EXPECT_EQ(scan.state().listingFailed, 1);
  EXPECT_NE(out.find("FILLSTWK.TXTの作成でエラー"), std::string::npos) << out;
  EXPECT_EQ(out.find("\\B"), std::string::npos) << "scanned on:\n" << out;
  EXPECT_EQ(scan.card().ReadFile("A/SNDLST04.DAT"), "the track list of a run before");
  EXPECT_FALSE(scan.card().Exists("B/SNDLST04.DAT"));

  // With the listing back, the same state scans the whole card.
  std::filesystem::remove(workFile);
  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadDirectoryStructure(scan.state()), 1);
  GetCapturedConsole();
  EXPECT_EQ(scan.state().listingFailed, 0);
  EXPECT_EQ(scan.state().randomCount, 2);
}
