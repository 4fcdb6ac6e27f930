#include "scan/track_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/rename_card.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kNewVolume("\xFF\x00", 2);

std::string Path(const std::string& folder) { return FromCp932(ScanCard::ListedPath(folder)); }

// The output for a folder without a rename log, then the line.
std::string Printed(const std::string& folder, const std::string& line) {
  return "RENFIL04.LOGのオープンでエラー " + Path(folder) + "\n" + line + "\n";
}

// The track count; the console output goes to *out.
int Scan(ScanCard& scan, const std::string& folder, std::string* out = nullptr) {
  testing::internal::CaptureStdout();
  int count = ScanFolderTracks(scan.state(), ScanCard::ListedPath(folder).c_str());
  std::string printed = GetCapturedConsole();
  if (out != nullptr) *out = printed;
  return count;
}

// (Model 8's two volume files are pinned by the expected cards.)
TEST(TrackScan, VolumeFileOfTheModelIsKeptInAnyCaseAndOthersDoNotCount) {
  ScanCard scan(10);
  for (std::string folder : {"A", "B"}) scan.card().WriteFile(folder + "/001.MP3", "");
  scan.card().WriteFile("A/volume10.dat", "mine");
  scan.card().WriteFile("B/VOLUME04.DAT", "other model");
  EXPECT_EQ(Scan(scan, "A"), 1);
  EXPECT_EQ(Scan(scan, "B"), 1);
  EXPECT_EQ(scan.card().ReadFile("A/volume10.dat"), "mine");
  Strings tree = scan.card().Tree();  // no second file beside volume10.dat
  EXPECT_EQ(std::count(tree.begin(), tree.end(), "A/VOLUME10.DAT"), 0);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), "other model");
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME10.DAT"), kNewVolume);
}

// (A track list that cannot be made is met by the catalogue-faults test.)
TEST(TrackScan, AVolumeFileThatCannotBeCreatedIsReportedAndTheRunGoesOn) {
  ScanCard scan(4);
  scan.card().WriteFile("B/001.MP3", "");
  scan.card().MakeDir("B/VOLUME04.DAT");  // a folder in the way
  std::string out;
  EXPECT_EQ(Scan(scan, "B", &out), 1);
  EXPECT_EQ(out, Printed("B", Path("B") + "\\VOLUME04.DATの作成でエラー"));
}

}  // namespace
