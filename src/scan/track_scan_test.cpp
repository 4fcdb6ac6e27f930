#include "scan/track_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/id3_builder.h"
#include "testing/rename_card.h"

namespace {

const std::string kNewVolume("\xFF\x00", 2);
using Strings = std::vector<std::string>;

std::vector<uint8_t> TaggedMp3(const std::string& title) {
  return Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))}));
}

std::string TrackName(int n) { return std::to_string(1000 + n).substr(1) + ".MP3"; }

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

// The 33-byte text field of record k, and what it holds for a title.
std::string TextField(const std::string& list, size_t k, size_t recordSize) {
  return list.substr(k * recordSize + 16, 33);
}
std::string Field(const std::string& title) {
  std::string f = title.substr(0, 32);
  f.resize(32, ' ');
  return f + '\0';
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

TEST(TrackScan, KeepsFirst255TracksAndSaysSo) {
  ScanCard scan(4);
  for (int i = 1; i <= 300; ++i) {
    scan.card().WriteFile("A/" + TrackName(i), "");
    scan.card().WriteFile("B/" + TrackName(i), "");
  }
  scan.card().WriteFile("A/VOLUME04.DAT", "old");  // listed after every track
  std::string out;
  EXPECT_EQ(Scan(scan, "A", &out), 255);
  EXPECT_EQ(out, Printed("A", "MP3ファイル数制限超過 " + Path("A")));
  std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
  ASSERT_EQ(list.size(), 255u * 64);
  EXPECT_EQ(list.substr(254 * 64, 8), std::string("255.MP3\0", 8));
  for (auto [position, number] : {std::pair{5, "05"}, {100, "00"}, {255, "55"}})
    EXPECT_EQ(list.substr((position - 1) * 64 + 13, 3), std::string(number, 3)) << position;
  EXPECT_EQ(scan.card().ReadFile("A/VOLUME04.DAT"), "old");
  EXPECT_EQ(Scan(scan, "B"), 255);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), kNewVolume);
}

TEST(TrackScan, VolumeFileOfTheModelIsKeptInAnyCaseAndOthersDoNotCount) {
  ScanCard scan(10);
  for (std::string folder : {"A", "B", "C"}) scan.card().WriteFile(folder + "/001.MP3", "");
  scan.card().WriteFile("A/volume10.dat", "mine");
  scan.card().WriteFile("B/VOLUME04.DAT", "other model");
  EXPECT_EQ(Scan(scan, "A"), 1);
  EXPECT_EQ(Scan(scan, "B"), 1);
  EXPECT_EQ(scan.card().ReadFile("A/volume10.dat"), "mine");
  Strings tree = scan.card().Tree();  // no second file beside volume10.dat
  EXPECT_EQ(std::count(tree.begin(), tree.end(), "A/VOLUME10.DAT"), 0);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), "other model");
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME10.DAT"), kNewVolume);
  // Model 8 writes both of its volume files when only VOLUME09.DAT is there.
  scan.state().playerModel = 8;
  scan.card().WriteFile("C/VOLUME09.DAT", "old");
  EXPECT_EQ(Scan(scan, "C"), 1);
  EXPECT_EQ(scan.card().ReadFile("C/VOLUME08.DAT"), kNewVolume);
  EXPECT_EQ(scan.card().ReadFile("C/VOLUME09.DAT"), kNewVolume);
}

TEST(TrackScan, TextFieldsLoseTheLeadingPartThatEveryTitleShares) {
  // {tag titles ("": none, the short name is the title), text fields}
  const Strings cases[][2] = {
      {{"Album Name - First", "Album Name - Second"}, {"First", "Second"}},  // 13 bytes go
      {{"Intro", "Intro 2"}, {"Intro", "Intro 2"}},
      {{"Intro 2", "Intro"}, {" 2", ""}},
      {{"001 Song", ""}, {"1 Song", "2.MP3"}},  // short names join a name source...
      {{"", ""}, {"001.MP3", "002.MP3"}},       // ...but alone keep their digits
  };
  for (const auto& [tags, titles] : cases) {
    ScanCard scan(4);
    for (size_t i = 0; i < tags.size(); ++i)
      scan.card().WriteFile("A/" + TrackName(static_cast<int>(i) + 1),
                            tags[i].empty() ? std::vector<uint8_t>() : TaggedMp3(tags[i]));
    Scan(scan, "A");
    std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
    for (size_t i = 0; i < tags.size(); ++i)
      EXPECT_EQ(TextField(list, i, 64), Field(titles[i])) << tags[0] << ", track " << i;
  }
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
