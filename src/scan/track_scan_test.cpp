#include "scan/track_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "font/oled_render.h"
#include "font/renderers.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"
#include "testing/scan_card.h"
#include "testing/temp_card.h"

namespace {

// A file that holds only a version 2.2 tag with this title.
std::vector<uint8_t> TaggedMp3(const std::string& title) {
  return Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))}));
}

std::string TrackNumber(int position) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.MP3", position);
  return name;
}

// Runs the scan on the folder, with its console output caught.
struct ScanResult {
  int count;
  std::string output;
};
ScanResult Scan(ScanCard& scan, const std::string& folder) {
  testing::internal::CaptureStdout();
  int count = ScanFolderTracks(scan.state(), ScanCard::ListedPath(folder).c_str());
  return {count, GetCapturedConsole()};
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The 33-byte text field of record k of a track list.
std::string TextField(const std::string& list, int k, int recordSize) {
  return list.substr(static_cast<size_t>(k * recordSize + 16), 33);
}
std::string Field(const std::string& text) {
  std::string f = text.substr(0, 32);
  f.resize(32, ' ');
  return f + std::string(1, '\0');
}

TEST(TrackScan, OneUntitledTrackOnModel4GivesTheExactRecordAndAVolumeFile) {
  ScanCard scan(4);
  scan.card().WriteFile("A/001.MP3", Mp3WithTag({}));
  EXPECT_EQ(Scan(scan, "A").count, 1);
  std::string expected = std::string("001.MP3") + std::string(6, '\0') + std::string("01\0", 3) +
                         "001.MP3" + std::string(25, ' ') + std::string(1, '\0') +
                         std::string(15, '\0');
  EXPECT_EQ(scan.card().ReadFile("A/SNDLST04.DAT"), expected);
  EXPECT_EQ(scan.card().ReadFile("A/VOLUME04.DAT"), std::string("\xFF\x00", 2));
}

TEST(TrackScan, FolderWithoutTracksGetsAnEmptyListAndNoVolumeFile) {
  ScanCard scan(6);
  scan.card().MakeDir("A/SUB");
  scan.card().WriteFile("A/NOTES.TXT", "x");
  EXPECT_EQ(Scan(scan, "A").count, 0);
  EXPECT_TRUE(scan.card().Exists("A/SNDLST04.DAT"));
  EXPECT_EQ(scan.card().ReadFile("A/SNDLST04.DAT"), "");
  EXPECT_FALSE(scan.card().Exists("A/VOLUME06.DAT"));
}

TEST(TrackScan, KeepsFirst255TracksAndSaysSo) {
  ScanCard scan(4);
  for (int i = 1; i <= 300; ++i) scan.card().WriteFile("A/" + TrackNumber(i), "");
  scan.card().WriteFile("A/VOLUME04.DAT", "old");  // listed after every track
  for (int i = 1; i <= 300; ++i) scan.card().WriteFile("B/" + TrackNumber(i), "");

  ScanResult a = Scan(scan, "A");
  EXPECT_EQ(a.count, 255);
  EXPECT_EQ(
      CountOf(a.output, "MP3ファイル数制限超過 " + FromCp932(ScanCard::ListedPath("A")) + "\n"), 1);
  std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
  ASSERT_EQ(list.size(), 255u * 64);
  EXPECT_EQ(list.substr(254 * 64, 8), std::string("255.MP3\0", 8));
  // Positions 5, 100 and 255 are numbered by their last two digits.
  EXPECT_EQ(list.substr(4 * 64 + 13, 3), std::string("05\0", 3));
  EXPECT_EQ(list.substr(99 * 64 + 13, 3), std::string("00\0", 3));
  EXPECT_EQ(list.substr(254 * 64 + 13, 3), std::string("55\0", 3));
  EXPECT_EQ(scan.card().ReadFile("A/VOLUME04.DAT"), "old");

  // Without a volume file the cut folder still gets one.
  EXPECT_EQ(Scan(scan, "B").count, 255);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), std::string("\xFF\x00", 2));
}

TEST(TrackScan, ExistingVolumeFileOfTheModelIsKeptInAnyCase) {
  ScanCard scan(10);
  scan.card().WriteFile("A/001.MP3", "");
  scan.card().WriteFile("A/volume10.dat", "mine");
  scan.card().WriteFile("B/001.MP3", "");
  scan.card().WriteFile("B/VOLUME04.DAT", "other model");
  EXPECT_EQ(Scan(scan, "A").count, 1);
  EXPECT_EQ(Scan(scan, "B").count, 1);
  EXPECT_EQ(scan.card().ReadFile("A/volume10.dat"), "mine");
  std::vector<std::string> tree = scan.card().Tree();
  EXPECT_EQ(std::count(tree.begin(), tree.end(), "A/VOLUME10.DAT"), 0);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), "other model");
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME10.DAT"), std::string("\xFF\x00", 2));
}

TEST(TrackScan, Model8WritesBothVolumeFilesWhenOnlyVolume09IsThere) {
  ScanCard scan(8);
  scan.card().WriteFile("A/001.MP3", "");
  scan.card().WriteFile("A/VOLUME09.DAT", "old");
  EXPECT_EQ(Scan(scan, "A").count, 1);
  EXPECT_EQ(scan.card().ReadFile("A/VOLUME08.DAT"), std::string("\xFF\x00", 2));
  EXPECT_EQ(scan.card().ReadFile("A/VOLUME09.DAT"), std::string("\xFF\x00", 2));
}

TEST(TrackScan, AcceptsOnlyShortMp3Names) {
  ScanCard scan(4);
  for (const char* name :
       {"a.mp3", "123456789.MP3", "x.y.MP3", "NOEXT", "b.MP3.TXT", "12345678.Mp3"}) {
    scan.card().WriteFile(std::string("A/") + name, "");
  }
  scan.card().WriteFile("A/曲.MP3", "");
  EXPECT_EQ(Scan(scan, "A").count, 3);
  std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
  ASSERT_EQ(list.size(), 3u * 64);
  // Listing order: 12345678.Mp3, a.mp3, x.y.MP3.
  EXPECT_EQ(list.substr(0, 13), std::string("12345678.Mp3\0", 13));
  EXPECT_EQ(list.substr(64, 6), std::string("a.mp3\0", 6));
  EXPECT_EQ(list.substr(128, 8), std::string("x.y.MP3\0", 8));
}

// The text fields of a model-4 folder whose tracks carry these tag titles
// ("" for none: the short name is the title).
std::vector<std::string> TitlesAfterScan(const std::vector<std::string>& tagTitles) {
  ScanCard scan(4);
  for (size_t i = 0; i < tagTitles.size(); ++i) {
    scan.card().WriteFile("A/" + TrackNumber(static_cast<int>(i) + 1),
                          tagTitles[i].empty() ? std::vector<uint8_t>() : TaggedMp3(tagTitles[i]));
  }
  Scan(scan, "A");
  std::string list = scan.card().ReadFile("A/SNDLST04.DAT");
  std::vector<std::string> fields;
  for (size_t i = 0; i < tagTitles.size(); ++i) fields.push_back(TextField(list, i, 64));
  return fields;
}

TEST(TrackScan, RemovesTheLeadingPartThatEveryTitleShares) {
  // 13 shared bytes go.
  EXPECT_EQ(TitlesAfterScan({"Album Name - First", "Album Name - Second"}),
            (std::vector<std::string>{Field("First"), Field("Second")}));
  // A first title that is the shared part alone removes nothing; a later
  // one is left empty.
  EXPECT_EQ(TitlesAfterScan({"Intro", "Intro 2"}),
            (std::vector<std::string>{Field("Intro"), Field("Intro 2")}));
  EXPECT_EQ(TitlesAfterScan({"Intro 2", "Intro"}),
            (std::vector<std::string>{Field(" 2"), Field("")}));
  // Short names take part once some title came from a name source...
  EXPECT_EQ(TitlesAfterScan({"001 Song", ""}),
            (std::vector<std::string>{Field("1 Song"), Field("2.MP3")}));
  // ...but alone they keep their shared digits.
  EXPECT_EQ(TitlesAfterScan({"", ""}),
            (std::vector<std::string>{Field("001.MP3"), Field("002.MP3")}));
}

TEST(TrackScan, TextFieldTakesTheFirst32BytesOfALongTitle) {
  std::string title = "0123456789abcdefghijABCDEFGHIJ-+xyzXYZ!?";  // 40 bytes
  EXPECT_EQ(TitlesAfterScan({title}), std::vector<std::string>{Field(title)});
}

TEST(TrackScan, TitleRuleDecidesBetweenOldNameAndDisplayTitle) {
  for (int rule : {0, 1}) {
    ScanCard scan(10, rule);
    scan.WriteRenameLog("A/RENFIL04.LOG", "001.MP3\tMy Song.mp3\n002.MP3\tOther.mp3\n");
    scan.card().WriteFile("A/表示名04.txt", "My Song.mp3\tBest Song\r\n");
    scan.card().WriteFile("A/001.MP3", TaggedMp3("Tag One"));
    scan.card().WriteFile("A/002.MP3", TaggedMp3("Tag Two"));
    Scan(scan, "A");
    std::string list = scan.card().ReadFile("A/SNDLST10.DAT");
    ASSERT_EQ(list.size(), 2u * 448);
    if (rule == 0) {
      EXPECT_EQ(TextField(list, 0, 448), Field("Best Song"));
      EXPECT_EQ(TextField(list, 1, 448), Field("Tag Two"));
    } else {
      EXPECT_EQ(TextField(list, 0, 448), Field("My Song.mp3"));
      EXPECT_EQ(TextField(list, 1, 448), Field("Other.mp3"));
    }
  }
}

TEST(TrackScan, Model4ShowsTheShortNameForADoubleByteTitle) {
  ScanCard scan(4);
  scan.WriteRenameLog("A/RENFIL04.LOG", "001.MP3\tlove.mp3\n");
  scan.card().WriteFile("A/表示名04.txt", ToCp932("love.mp3\tラブソング\n"));
  scan.card().WriteFile("A/001.MP3", TaggedMp3("Tag Title"));
  Scan(scan, "A");
  EXPECT_EQ(TextField(scan.card().ReadFile("A/SNDLST04.DAT"), 0, 64), Field("001.MP3"));
  EXPECT_EQ(scan.WorkLog(), "");  // the tag was not read
}

TEST(TrackScan, Model10RecordCarriesTheTitleImages) {
  ScanCard scan(10);
  ASSERT_TRUE(scan.UseTestFonts());
  std::string title = ToCp932("日本の歌 Song");
  scan.card().WriteFile("A/001.MP3",
                        Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))})));
  Scan(scan, "A");
  std::string list = scan.card().ReadFile("A/SNDLST10.DAT");
  ASSERT_EQ(list.size(), 448u);

  std::vector<uint8_t> a(128), b(128), c(128);
  MakeTwoLineDataOfString(scan.state(), a.data(), b.data(), c.data(), 128, title.c_str());
  EXPECT_EQ(list.substr(49, 15), std::string(15, '\0'));
  EXPECT_EQ(list.substr(64, 128), std::string(a.begin(), a.end()));
  EXPECT_EQ(list.substr(192, 128), std::string(b.begin(), b.end()));
  EXPECT_EQ(list.substr(320, 128), std::string(c.begin(), c.end()));
  EXPECT_NE(std::string(a.begin(), a.end()), std::string(128, '\0'));
}

TEST(TrackScan, Model8RecordCarriesImagesWidthAndLayout) {
  ScanCard scan(8);
  ASSERT_TRUE(scan.UseTestFonts());
  std::string title = ToCp932("日本の歌");
  scan.card().WriteFile("A/001.MP3",
                        Mp3WithTag(BuildId3v22({Id3TextFrame("TT2", Latin1Text(title))})));
  Scan(scan, "A");
  std::string list = scan.card().ReadFile("A/SNDLST08.DAT");
  ASSERT_EQ(list.size(), 1216u);

  RunState& state = scan.state();
  std::memset(state.imagePlaneA, 0, sizeof state.imagePlaneA);
  std::memset(state.imagePlaneB, 0, sizeof state.imagePlaneB);
  int32_t layout = -1, width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(state, title.c_str(), static_cast<int>(title.size()), layout, width);
  GetCapturedConsole();
  uint8_t strip[128] = {};
  MakeStripDataOfString(state, strip, title.c_str(), static_cast<int>(title.size()));

  EXPECT_EQ(static_cast<uint8_t>(list[49]) | static_cast<uint8_t>(list[50]) << 8, width & 0xFFFF);
  EXPECT_EQ(static_cast<uint8_t>(list[51]), layout);
  EXPECT_EQ(list.substr(52, 12), std::string(12, '\0'));
  EXPECT_EQ(list.substr(64, 512), std::string(state.imagePlaneA, state.imagePlaneA + 512));
  EXPECT_EQ(list.substr(576, 512), std::string(state.imagePlaneB, state.imagePlaneB + 512));
  EXPECT_EQ(list.substr(1088, 128), std::string(strip, strip + 128));
  EXPECT_GT(width, 0);
}

TEST(TrackScan, FilesThatCannotBeCreatedAreReportedAndTheRunGoesOn) {
  ScanCard scan(4);
  scan.card().WriteFile("A/001.MP3", "");
  scan.card().MakeDir("A/SNDLST04.DAT");  // a folder in the way
  scan.card().WriteFile("B/001.MP3", "");
  scan.card().MakeDir("B/VOLUME04.DAT");
  // Without its track list the folder counts as one without tracks.
  ScanResult a = Scan(scan, "A");
  EXPECT_EQ(a.count, 0);
  EXPECT_EQ(CountOf(a.output, "\\SNDLST04.DATの作成でエラー\n"), 1) << a.output;
  EXPECT_FALSE(scan.card().Exists("A/VOLUME04.DAT"));
  ScanResult b = Scan(scan, "B");
  EXPECT_EQ(b.count, 1);
  EXPECT_EQ(
      CountOf(b.output, FromCp932(ScanCard::ListedPath("B")) + "\\VOLUME04.DATの作成でエラー\n"), 1)
      << b.output;
}

}  // namespace
