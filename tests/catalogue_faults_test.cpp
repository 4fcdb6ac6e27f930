// Catalogue files that cannot be written (as on a card that fills up): each is reported, the run
// ends with status 1, and a later run with room completes the card.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/e2e_card.h"

namespace fs = std::filesystem;

namespace {

constexpr char kModel4[] = "go\n4\n";

// Every file and folder below root with its bytes, but the work log (its lines tell runs apart).
[[maybe_unused]] Snapshot FilesBelow(const fs::path& root) {
  Snapshot files = TakeSnapshot(root);
  files.erase("CARDPREP.LOG");
  return files;
}

}  // namespace

TEST(CatalogueFaults, ACardThatCouldNotBeWrittenEndsWithStatus1AndTheNextRunCompletesIt) {
  TempCard card;
  card.WriteFile("S/a.mp3", "a");
  card.MakeDir("S/SNDLST04.DAT");  // the track list cannot be written
  card.WriteFile("T/b.mp3", "b");

  ToolResult r = RunOn(card, kModel4);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\\S\\SNDLST04.DATの作成でエラー"), std::string::npos) << r.output;
  EXPECT_FALSE(card.ReadFile("DIRLST04.DAT").empty());  // the rest is written
  EXPECT_EQ(card.ReadFile("T/SNDLST04.DAT").substr(0, 7), "001.MP3");

  fs::remove_all(card.root() / "S/SNDLST04.DAT");
  r = RunOn(card, kModel4);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("S/SNDLST04.DAT").substr(0, 7), "001.MP3");
}

// A card (a small memory filesystem) that fills up while its catalogue is written: status 1 and
// a line that says why; a later run with room writes every file as a run with room from the
// start did, volume files cut short included.
TEST(CatalogueFaults, ACardThatFillsUpEndsWithStatus1AndALaterRunWithRoomCompletesIt) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine gives no filesystem of the test's own to fill";
#else
  TempCard place;
  fs::path root = place.root() / "card";
  fs::create_directories(root);
  SmallCardFs small(root, "size=1m");
  if (!small.mounted()) GTEST_SKIP() << "no filesystem of the test's own can be mounted here";
  for (int f = 0; f < 12; ++f) {
    fs::path folder = root / ("Folder " + std::to_string(f));
    fs::create_directories(folder);
    for (int t = 0; t < 3; ++t)
      std::ofstream(folder / ("track " + std::to_string(t) + ".mp3")) << t;
  }
  ToolResult r = RunCardprep(root.string(), kModel4);
  ASSERT_EQ(r.status, 0) << r.output;
  Snapshot prepared = FilesBelow(root);
  // The catalogue goes, and the card fills up but for two pages.
  for (const auto& [path, bytes] : prepared) {
    if (path.ends_with(".DAT")) fs::remove(root / path);
  }
  FillUpBut(root / "filler", 2);
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("エラー"), std::string::npos) << r.output;

  fs::remove(root / "filler");
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(prepared, FilesBelow(root)), "");
#endif
}
