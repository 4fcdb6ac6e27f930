// Catalogue files that cannot be written (as on a card that fills up): each
// is reported, the run ends with status 1, and a later run with room
// completes the card.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#endif

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "testing/temp_card.h"
#include "testing/tool_runner.h"

namespace fs = std::filesystem;

namespace {

constexpr char kModel4[] = "go\n4\n";

}  // namespace

TEST(CatalogueFaults, ACardThatCouldNotBeWrittenEndsWithStatus1AndTheNextRunCompletesIt) {
  TempCard card;
  card.WriteFile("S/a.mp3", "a");
  card.MakeDir("S/SNDLST04.DAT");  // the track list cannot be written
  card.WriteFile("T/b.mp3", "b");

  ToolResult r = RunCardprep(card.root().string(), kModel4);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\\S\\SNDLST04.DATの作成でエラー"), std::string::npos) << r.output;
  EXPECT_FALSE(card.ReadFile("DIRLST04.DAT").empty());  // the rest is written
  EXPECT_EQ(card.ReadFile("T/SNDLST04.DAT").substr(0, 7), "001.MP3");

  fs::remove_all(card.root() / "S/SNDLST04.DAT");
  r = RunCardprep(card.root().string(), kModel4);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("S/SNDLST04.DAT").substr(0, 7), "001.MP3");
}

namespace {

// Every file below root with its bytes, but the work log (its lines tell
// the runs apart).
[[maybe_unused]] std::map<std::string, std::string> FilesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.path().filename() == "CARDPREP.LOG") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), root).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

}  // namespace

// A card that fills up while its catalogue is written: the run ends with
// status 1 and a line that says why, and a later run with room writes every
// file as a run with room from the start did, volume files cut short
// included. The card is a small memory filesystem of its own, where one can
// be mounted (as root); elsewhere the test is skipped.
TEST(CatalogueFaults, ACardThatFillsUpEndsWithStatus1AndALaterRunWithRoomCompletesIt) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine gives no filesystem of the test's own to fill";
#else
  TempCard place;
  fs::path root = place.root() / "card";
  fs::create_directories(root);
  if (mount("tmpfs", root.c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "no filesystem of the test's own can be mounted here";
  }
  struct Unmount {
    const fs::path& at;
    ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
  } unmount{root};
  for (int f = 0; f < 12; ++f) {
    fs::path folder = root / ("Folder " + std::to_string(f));
    fs::create_directories(folder);
    for (int t = 0; t < 3; ++t) std::ofstream(folder / ("track " + std::to_string(t) + ".mp3")) << t;
  }
  ToolResult r = RunCardprep(root.string(), kModel4);
  ASSERT_EQ(r.status, 0) << r.output;
  auto prepared = FilesBelow(root);
  // The catalogue goes, and the card fills up but for two pages.
  for (const auto& [path, bytes] : prepared) {
    fs::path p(path);
    if (p.filename().string().ends_with(".DAT")) fs::remove(root / p);
  }
  {
    std::ofstream filler(root / "filler", std::ios::binary);
    std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  fs::resize_file(root / "filler", fs::file_size(root / "filler") - 2 * 4096);
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("エラー"), std::string::npos) << r.output;

  fs::remove(root / "filler");
  r = RunCardprep(root.string(), kModel4);
  EXPECT_EQ(r.status, 0) << r.output;
  auto completed = FilesBelow(root);
  std::string differ;
  for (const auto& [path, bytes] : prepared) {
    if (!completed.contains(path) || completed[path] != bytes) differ += path + "\n";
  }
  for (const auto& [path, bytes] : completed) {
    if (!prepared.contains(path)) differ += "new: " + path + "\n";
  }
  EXPECT_EQ(differ, "");
#endif
}
