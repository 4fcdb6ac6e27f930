#include "scan/track_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "state/run_state.h"
#include "testing/rename_card.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kNewVolume("\xFF\x00", 2);

int Scan(ScanCard& scan, const std::string& folder) {
  testing::internal::CaptureStdout();
  int count = ScanFolderTracks(scan.state(), ScanCard::ListedPath(folder).c_str());
  GetCapturedConsole();
  return count;
}

// A whole volume file of the model is the user's, kept in any case; one cut short is written anew;
// another model's does not count. (Model 8's two volume files: the expected cards.)
TEST(TrackScan, VolumeFileOfTheModelIsKeptWholeInAnyCaseAndWrittenAnewWhenCutShort) {
  ScanCard scan(10);
  const std::pair<std::string, std::string> given[] = {{"A/volume10.dat", "mine"},
                                                       {"B/VOLUME04.DAT", "other model"},
                                                       {"C/VOLUME10.DAT", ""},
                                                       {"D/VOLUME10.DAT", "\x20"}};
  for (const auto& [path, bytes] : given) {
    scan.card().WriteFile(path, bytes);
    scan.card().WriteFile(path.substr(0, 2) + "001.MP3", "");
    EXPECT_EQ(Scan(scan, path.substr(0, 1)), 1) << path;
  }
  EXPECT_EQ(scan.card().ReadFile("A/volume10.dat"), "mine");
  Strings tree = scan.card().Tree();  // no second file beside volume10.dat
  EXPECT_EQ(std::count(tree.begin(), tree.end(), "A/VOLUME10.DAT"), 0);
  EXPECT_EQ(scan.card().ReadFile("B/VOLUME04.DAT"), "other model");
  for (std::string folder : {"B", "C", "D"})
    EXPECT_EQ(scan.card().ReadFile(folder + "/VOLUME10.DAT"), kNewVolume) << folder;
}

// The part all titles of a folder share goes, but never half a double-byte character.
TEST(TrackScan, CommonLeadingPartEndsAtACharacterBoundary) {
  ScanCard scan(10, 1);  // titles from the names before renaming
  const std::pair<std::string, std::string> given[] = {
      {"A", "001.MP3\t０１ さくら.mp3\n002.MP3\t０２ 花.mp3\n"},
      {"B", "001.MP3\tオープニング テーマ\n002.MP3\tエンディング テーマ\n"},
      {"C", "001.MP3\tTrack 01.mp3\n002.MP3\tTrack 02.mp3\n"}};
  Strings titles;
  for (const auto& [folder, log] : given) {
    scan.card().WriteFile(folder + "/001.MP3", "");
    scan.card().WriteFile(folder + "/002.MP3", "");
    scan.card().WriteFile(folder + "/RENFIL04.LOG", Utf16Log(log));
    ASSERT_EQ(Scan(scan, folder), 2);
    std::string list = scan.card().ReadFile(folder + "/SNDLST10.DAT");
    for (size_t at : {16u, 448u + 16u}) {
      std::string title = list.substr(at, 32);
      titles.push_back(FromCp932(title.erase(title.find_last_not_of(' ') + 1)));
    }
  }
  EXPECT_EQ(titles, (Strings{"１ さくら.mp3", "２ 花.mp3", "オープニング テーマ",
                             "エンディング テーマ", "1.mp3", "2.mp3"}));
}

}  // namespace
