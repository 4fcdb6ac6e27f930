// Cards the pass once stumbled on: logs that a stopped run left cut short,
// and folders with more subfolders than the pass's table holds. The pass
// goes on with them without losing a name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rename/rename_log.h"
#include "testing/rename_card.h"

using namespace std::string_literals;

namespace {

// The old name the log of folder A gives for shortName, as the track scan
// would look it up.
std::string OldNameInA(RenameCard& card, const char* shortName) {
  std::string folder = ToCp932(card.Shown("\\A"));
  EXPECT_TRUE(ReadFileRenameLog(card.state(), folder.c_str()));
  char out[257];
  if (!FindPreRenameName(card.state(), shortName, out)) return "(no line)";
  return FromCp932(out);
}

}  // namespace

TEST(CutLogs, LinesAddedToALogCutShortStayReadable) {
  struct Case {
    const char* what;
    std::string log;
  } cases[] = {
      {"UTF-16 cut inside a unit", Utf16Log("001.MP3\tOld.mp3\n") + "0\x00"
                                                                    "0"s},
      {"UTF-16 cut after a unit", Utf16Log("001.MP3\tOld.mp3\n") + "0\x00"
                                                                   "0\x00"s},
      {"UTF-8 cut inside a line",
       "\xEF\xBB\xBF"
       "001.MP3\tOld.mp3\r\n00"s},
  };
  for (const Case& c : cases) {
    RenameCard card;
    card.WriteFile("A/001.MP3", "one");
    card.WriteFile("A/new song.mp3", "two");
    card.WriteFile("A/RENFIL04.LOG", c.log);
    EXPECT_EQ(card.Run(), "") << c.what;
    EXPECT_EQ(card.ReadFile("A/002.MP3"), "two") << c.what;
    EXPECT_EQ(OldNameInA(card, "002.MP3"), "new song.mp3") << c.what;
    EXPECT_EQ(OldNameInA(card, "001.MP3"), "Old.mp3") << c.what;
    std::vector<std::string> lines = LogLines(card.ReadFile("A/RENFIL04.LOG"));
    ASSERT_EQ(lines.size(), 3u) << c.what;
    EXPECT_EQ(lines[2], "002.MP3\tnew song.mp3") << c.what;
  }
}

TEST(CutLogs, ALogThatEndsItsLinesIsOnlyAppendedTo) {
  RenameCard card;
  card.WriteFile("A/001.MP3", "one");
  card.WriteFile("A/new.mp3", "two");
  card.WriteFile("A/RENFIL04.LOG", Utf16Log("001.MP3\tOld.mp3\n"));
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.ReadFile("A/RENFIL04.LOG"), Utf16Log("001.MP3\tOld.mp3\n002.MP3\tnew.mp3\n"));
}

// The table holds 255 names, but only folders that need a new name take a
// row: a folder may hold any number that keep theirs.
TEST(RenamePassLimits, AnyNumberOfFoldersThatKeepTheirNamesShareAParent) {
  RenameCard card;
  for (int i = 0; i < 300; ++i) card.MakeDir("P/S" + std::to_string(i));
  card.WriteFile("P/Long Name/x.mp3", "x");
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.state().renameFailed, 0);
  EXPECT_EQ(card.ReadFile("P/LongName/001.MP3"), "x");
  EXPECT_TRUE(card.Exists("P/S299/RENFIL04.LOG"));
}
