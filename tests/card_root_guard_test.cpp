// In a folder that is no drive's root (a home folder, where a console opens) both programs stop
// with one line and status 1, touching nothing; with --here they work there.
#include <gtest/gtest.h>

#include <algorithm>

#include "testing/e2e_card.h"

namespace {

constexpr char kNotRoot[] = "ここはカードのルートではない";

// A user's home folder: profile folders, an application's data, a desktop, music.
void WriteHomeFolder(const TempCard& home) {
  home.MakeDir("Documents/My Letters");
  home.MakeDir("Downloads");
  home.WriteFile("AppData/Local/Microsoft/Windows/settings.dat", "settings");
  home.WriteFile("AppData/Roaming/Player/Library/recent.mp3", "recent");
  home.WriteFile("Desktop/Music Player.lnk", "shortcut");
  home.WriteFile("Desktop/Favourite Song.mp3", "song");
  home.WriteFile("Music/Best Album Ever/First Track Of It.mp3", "track");
}

TEST(CardRootGuard, InAHomeFolderNothingIsTouchedWithoutHere) {
  TempCard home;
  WriteHomeFolder(home);
  const Snapshot before = TakeSnapshot(home);
  const std::string folderLine = "】:" + home.root().string() + "\n";
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {CARDPREP_EXE, {}},
      {CARDPREP_RESTORE_EXE, {}},
      {CARDPREP_RESTORE_EXE, {"--dry-run", "--remove-catalogue"}}};
  for (const auto& [program, args] : runs) {
    ToolResult r = RunTool(program, args, home.root().string(), "go\n4\n");
    EXPECT_EQ(r.status, 1) << program << "\n" << r.output;
    // The title, the folder, the guard's line, and no question.
    EXPECT_TRUE(Printed(r, folderLine));
    EXPECT_EQ(r.output.substr(r.output.find(folderLine) + folderLine.size()).find(kNotRoot), 0u)
        << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 3) << r.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(home)), "") << program;
  }

  ToolResult r = RunCardprep(home.root().string(), "go\n4\n");  // --here
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.find(kNotRoot), std::string::npos) << r.output;
  EXPECT_FALSE(home.Exists("Documents")) << r.output;
  EXPECT_TRUE(home.Exists("DIRLST04.DAT")) << r.output;
  EXPECT_FALSE(home.Exists("CARDPREP.LCK"));
}

}  // namespace
