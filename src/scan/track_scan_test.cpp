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

TEST(TrackScan, AcceptsOnlyShortMp3NamesAndAFolderWithoutThemGetsAnEmptyList) {
  ScanCard scan(6);
  for (const char* name :
       {"a.mp3", "123456789.MP3", "x.y.MP3", "NOEXT", "b.MP3.TXT", "12345678.Mp3", "曲.MP3"})
    scan.card().WriteFile(std::string("A/") + name, "");
  EXPECT_EQ(Scan(scan, "A"), 3);
  std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
  ASSERT_EQ(list.size(), 3u * 64);
  EXPECT_EQ(list.substr(0, 13), std::string("12345678.Mp3\0", 13));  // listing order

  scan.card().MakeDir("B/SUB");
  scan.card().WriteFile("B/NOTES.TXT", "x");
  EXPECT_EQ(Scan(scan, "B"), 0);
  EXPECT_TRUE(scan.card().Exists("B/SNDLST04.DAT"));
  EXPECT_EQ(scan.card().ReadFile("B/SNDLST04.DAT"), "");
  EXPECT_FALSE(scan.card().Exists("B/VOLUME06.DAT"));
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
