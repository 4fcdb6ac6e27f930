// Catalogue files that cannot be written (as on a card that fills up): each
// is reported, the run ends with status 1, and a later run with room
// completes the card.
#include <gtest/gtest.h>

#include <filesystem>
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
