// Catalogue files that cannot be written (as on a card that fills up): each is reported, the run
// ends with status 1, and a later run with room completes the card.
#include <gtest/gtest.h>

#include <algorithm>
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

// Catalogue files with a folder in their way: each is named, the others are written, and the next
// run, with the way clear, completes the card.
TEST(CatalogueFaults, ACardThatCouldNotBeWrittenEndsWithStatus1AndTheNextRunCompletesIt) {
  const struct {
    const char* answers;
    std::vector<std::string> blocked;
    const char* written;  // a track list still written
  } runs[] = {
      {kModel4, {"S/SNDLST04.DAT", "V/VOLUME04.DAT", "DIRLST04.DAT"}, "T/SNDLST04.DAT"},
      {"go\n8\n0\n", {"MSGIMG08.DAT", "ERRLOG04.DAT"}, "T/SNDLST08.DAT"},
      {"go\n10\n0\n",
       {"V/VOLUME10.DAT", "DIRLST10.DAT", "INDEX10.DAT", "CHRIMG10.DAT", "MNUDAT10.DAT"},
       "T/SNDLST10.DAT"},
  };
  for (const auto& [answers, blocked, written] : runs) {
    SCOPED_TRACE(answers);
    TempCard card;
    WriteTestFontSet();
    for (const char* folder : {"S", "T", "V"}) card.WriteFile(std::string(folder) + "/a.mp3", "a");
    for (const std::string& path : blocked) card.MakeDir(path);
    ToolResult r = RunOn(card, answers);
    EXPECT_EQ(r.status, 1) << r.output;
    for (std::string path : blocked) {
      std::replace(path.begin(), path.end(), '/', '\\');
      EXPECT_TRUE(Printed(r, path + "の作成でエラー\n"));
    }
    EXPECT_EQ(card.ReadFile(written).substr(0, 7), "001.MP3");
    EXPECT_EQ(card.ReadFile("HIST04.DAT").size(), 10u);
    EXPECT_EQ(card.Exists("ERRLOG04_BK.DAT"), blocked.back() != "ERRLOG04.DAT");

    for (const std::string& path : blocked) fs::remove_all(card.root() / path);
    r = RunOn(card, answers);
    EXPECT_EQ(r.status, 0) << r.output;
    for (const std::string& path : blocked) EXPECT_TRUE(fs::is_regular_file(card.root() / path));
  }
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
  for (const auto& [path, bytes] : prepared)
    if (path.ends_with(".DAT")) fs::remove(root / path);
  FillUpBut(root / "filler", 2);
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Printed(r, "エラー"));

  fs::remove(root / "filler");
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(prepared, FilesBelow(root)), "");
#endif
}
