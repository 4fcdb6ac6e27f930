// cardprep-restore on prepared cards. (Restores stopped at every point: killed_runs_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "testing/e2e_card.h"
#include "testing/rename_card.h"

namespace fs = std::filesystem;

namespace {

// A file named like one of cardprep's that the card does not show is.
const std::string kNotShown = "cardprepのファイルと確かめられないので削除しない [";

// The random card with files of the user's named like cardprep's where cardprep writes none (root
// files in folders, folder files in '_' folders or of other sizes), and the player's volume files.
void WriteCard(const RandomCard& plan, const TempCard& card) {
  WriteRandomCard(plan, card);
  card.WriteFile("Player Set/tune.mp3", "tune");
  for (const char* volume : {"04", "06", "08", "09", "10", "12"})
    card.WriteFile(std::string("Player Set/VOLUME") + volume + ".DAT", std::string("\x07\0", 2));
  const char* rootNames[] = {"INDEX10.DAT", "HIST04.DAT", "CARDPREP.LOG", "DIRLST04.DAT"};
  int k = 0;
  for (const std::string& folder : plan.folders) {
    card.WriteFile(folder + "/" + rootNames[k++ % 4], "the user's own " + folder);
    if (k % 3 == 0) card.WriteFile(folder + "/VOLUME10.DAT", "user volume");
  }
  // A folder never prepared, with a folder list and work log of the user's.
  card.WriteFile("_Mine/SNDLST04.DAT", std::string(128, 'u'));
  card.WriteFile("_Mine/VOLUME04.DAT", "uu");
  card.WriteFile("_Mine/DIRLST04.DAT", std::string(512, 'd'));
  card.WriteFile("_Mine/CARDPREP.LOG", "the user's own log");
  // Paths past 300 units, a link to nothing named like a track, and a folder the test locks.
  const std::string deep = "Deep Folder/" + std::string(110, 'p') + "/" + std::string(110, 'q');
  card.WriteFile(deep + "/" + std::string(90, 'r') + ".mp3", "deep");
  fs::create_symlink(card.root() / "nowhere", card.root() / "Deep Folder" / "gone.mp3");
  card.WriteFile("Locked Room/song.mp3", "locked");
}

// Files added between two runs, on the card and to what it was (one sorting before 001.MP3).
void AddFiles(const TempCard& card, Snapshot& before) {
  const Snapshot added = {{"zz added.mp3", "added to the root"},
                          {"!first.mp3", "sorts before the numbered ones"},
                          {"Added Later/新しい歌.mp3", "added folder"},
                          {"Added Later/cover.jpg", "not an mp3"}};
  for (const auto& [path, content] : added) {
    card.WriteFile(path, content);
    before[path] = content;
  }
  before["Added Later"] = "<folder>";
}

TEST(Restore, RandomCardsOfEveryModelComeBackExactly) {
  const int models[] = {4, 6, 8, 10, 12};
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    RandomCard plan = MakeRandomCard(500 + seed);
    plan.model = models[seed % 5];
    bool twoRuns = seed > 5;
    SCOPED_TRACE("seed " + std::to_string(seed) + " model " + std::to_string(plan.model) +
                 (twoRuns ? " two runs" : " one run"));
    TempCard card;
    WriteCard(plan, card);
    Snapshot before = TakeSnapshot(card);
    if (twoRuns) {
      RunOn(card, Answers(plan));
      AddFiles(card, before);
    }
    ToolResult prepared = RunOn(card, Answers(plan));
    ASSERT_TRUE(prepared.status == 0 || prepared.status == 1) << prepared.output;
    ASSERT_NE(TakeSnapshot(card), before);
    // A run ended in its rename pass writes no folder list: its work log stays, said, status 1.
    const bool listed =
        card.Exists("DIRLST04.DAT") || card.Exists("DIRLST08.DAT") || card.Exists("DIRLST10.DAT");
    if (!listed) before["CARDPREP.LOG"] = card.ReadFile("CARDPREP.LOG");
    // A folder a normal user cannot read: said, its names and catalogue left.
    if (listed && seed % 2 == 0 && NobodyCanReach(card)) {
      fs::permissions(card.root() / "LockedRo", fs::perms::none);
      ToolResult locked = RunUnprivileged(card, "go\n", CARDPREP_RESTORE_EXE, "--remove-catalogue");
      fs::permissions(card.root() / "LockedRo", fs::perms(0755));
      EXPECT_EQ(locked.status, 1) << locked.output;
      EXPECT_TRUE(Printed(locked, "[\\LockedRo]"));
      EXPECT_TRUE(Printed(locked, "ディレクトリ名は戻さない"));
    }
    ToolResult r = RunRestore(card);
    EXPECT_EQ(r.status, listed ? 0 : 1) << r.output;
    EXPECT_EQ(r.output.find(kNotShown + "\\CARDPREP.LOG]") == std::string::npos, listed);
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << prepared.output << r.output;
    if (HasFailure()) return;
  }
}

// A card of two tracks in "My Album" as it was, then prepared for model 4.
Snapshot PreparedAlbum(const TempCard& card) {
  card.WriteFile("My Album/song one.mp3", "one");
  card.WriteFile("My Album/song two.mp3", "two");
  Snapshot before = TakeSnapshot(card);
  EXPECT_EQ(RunOn(card, "go\n4\n").status, 0);
  return before;
}

TEST(Restore, TakenNameIsReportedNothingReplacedAndASecondRunFinishes) {
  TempCard card;
  Snapshot before = PreparedAlbum(card);
  ASSERT_TRUE(card.Exists("MyAlbum/002.MP3"));
  card.WriteFile("MyAlbum/song two.mp3", "the user's new file");
  // The folder's note, edited: no longer what cardprep wrote, so it stays.
  ASSERT_EQ(card.ReadFile("MyAlbum/My Album"), Utf16Log("MyAlbum\n"));
  card.WriteFile("MyAlbum/My Album", "edited by the user");

  Snapshot prepared = TakeSnapshot(card);
  ToolResult stopped = RunTool(CARDPREP_RESTORE_EXE, {"--here"}, card.root().string(), "no\n");
  EXPECT_EQ(stopped.status, 0);
  EXPECT_TRUE(stopped.output.ends_with(
      "中止しました。何も変更していません (Stopped: nothing was changed)\n"))
      << stopped.output;
  ToolResult dry = RunRestore(card, {"--dry-run", "--remove-catalogue"});
  EXPECT_EQ(TakeSnapshot(card), prepared) << "a dry run changed the card";
  EXPECT_TRUE(Printed(dry, "[\\MyAlbum\\001.MP3] → [song one.mp3]"));
  EXPECT_TRUE(Printed(dry, "[\\MyAlbum] → [My Album]"));
  EXPECT_TRUE(
      dry.output.ends_with("ドライラン: 何も変更していない (Dry run: nothing was changed)\n"))
      << dry.output;

  ToolResult r = RunRestore(card);
  EXPECT_EQ(r.status, 1);
  std::smatch planned;  // The files it removed are counted, as the plan counted them.
  ASSERT_TRUE(
      std::regex_search(r.output, planned, std::regex("削除するcardprepのファイル: ([0-9]+)")));
  EXPECT_GT(std::stoi(planned[1]), 0);
  EXPECT_TRUE(Printed(r, "削除したcardprepのファイル: " + planned[1].str() +
                             " (Files of cardprep's removed: " + planned[1].str() + ")\n"));
  EXPECT_NE(
      r.output.find("戻せない[11] [\\MyAlbum\\002.MP3] 元の名前 [song two.mp3]: File exists\n"),
      std::string::npos)
      << r.output;
  EXPECT_EQ(card.ReadFile("My Album/song two.mp3"), "the user's new file");
  EXPECT_EQ(card.ReadFile("My Album/002.MP3"), "two");
  EXPECT_EQ(card.ReadFile("My Album/song one.mp3"), "one");
  EXPECT_EQ(LogLines(card.ReadFile("My Album/RENFIL04.LOG")),
            std::vector<std::string>{"002.MP3\tsong two.mp3"});

  fs::rename(card.root() / "My Album" / "song two.mp3", card.root() / "mine.txt");
  r = RunRestore(card);
  EXPECT_EQ(r.status, 0) << r.output;
  before["mine.txt"] = "the user's new file";
  before["My Album/My Album"] = "edited by the user";
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
}

// Files named like cardprep's where nothing shows cardprep made them: another card's folder list, a
// prepared card's subfolder run with --here, and a link.
TEST(Restore, RemovesNothingThatIsNotProvablyCardprepsAndKeepsLinks) {
  {
    TempCard card;
    std::string list(4 * 128, '\0');
    list[0] = 3;
    for (int r = 1; r < 4; ++r) list[r * 128 + 78] = list[r * 128 + 80] = 1;
    for (int r = 2; r < 4; ++r) {
      list.replace(r * 128, 7, "\\OTHER" + std::to_string(r));
      list[r * 128 + 61] = 7;
    }
    card.WriteFile("DIRLST04.DAT", list);
    for (const char* name : {"CARDPREP.LOG", "SPEANA.DAT", "PSHFT131.DAT"})
      card.WriteFile(name, "mine");
    card.WriteFile("HIST04.DAT", std::string(10, 'h'));
    card.WriteFile("ALBUM/song.mp3", "song");
    card.WriteFile("ALBUM/SNDLST04.DAT", std::string(64, 's'));
    card.WriteFile("ALBUM/VOLUME04.DAT", std::string("\xFF\0", 2));
    Snapshot before = TakeSnapshot(card);
    ToolResult r = RunRestore(card);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
    for (const char* name : {"DIRLST04.DAT", "CARDPREP.LOG", "SPEANA.DAT", "HIST04.DAT"})
      EXPECT_TRUE(Printed(r, kNotShown + "\\" + name + "]"));
  }
  {
    TempCard card;
    PreparedAlbum(card);
    card.WriteFile("MyAlbum/CARDPREP.LOG", "the user's own log");
    ToolResult r = RunTool(CARDPREP_RESTORE_EXE, {"--remove-catalogue", "--here"},
                           (card.root() / "MyAlbum").string(), "go\n");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_EQ(card.ReadFile("MyAlbum/CARDPREP.LOG"), "the user's own log");
    EXPECT_EQ(card.ReadFile("MyAlbum/song one.mp3"), "one");
  }
  {
#ifndef _WIN32
    TempCard card;
    card.WriteFile("mine.bin", std::string("\xFF\0", 2));
    card.MakeDir("My Album");
    fs::create_symlink("../mine.bin", card.root() / "My Album" / "VOLUME04.DAT");
    Snapshot before = PreparedAlbum(card);
    ToolResult r = RunRestore(card);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
    EXPECT_TRUE(Printed(r, "VOLUME04.DAT]"));
#endif
  }
}

// A catalogue that proves nothing (no folder list; names given back without the catalogue): each
// file said and kept, status 1. A folder a system renamed to small letters: its note still goes.
TEST(Restore, LeftoversOfOtherRunsGoOrAreSaid) {
  {
    TempCard card;
    Snapshot before = PreparedAlbum(card);
    std::filesystem::remove(card.root() / "DIRLST04.DAT");
    ToolResult r = RunRestore(card);
    EXPECT_EQ(r.status, 1) << r.output;
    for (const char* name :
         {"CARDPREP.LOG", "HIST04.DAT", "MyAlbum\\SNDLST04.DAT", "MyAlbum\\VOLUME04.DAT"}) {
      EXPECT_TRUE(Printed(r, kNotShown + "\\" + name + "]"));
    }
    EXPECT_EQ(card.ReadFile("My Album/song two.mp3"), "two");
  }
  TempCard card;
  Snapshot before = PreparedAlbum(card);
  std::filesystem::rename(card.root() / "MyAlbum", card.root() / "myalbum");
  ToolResult r = RunRestore(card, {});
  EXPECT_EQ(r.status, 0) << r.output;
  Snapshot after = TakeSnapshot(card);
  EXPECT_FALSE(after.contains("My Album/My Album")) << r.output;
  r = RunRestore(card);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* name : {"DIRLST04.DAT", "CARDPREP.LOG", "HIST04.DAT", "ERRLOG04.DAT"})
    EXPECT_TRUE(Printed(r, kNotShown + "\\" + name + "]"));
  EXPECT_EQ(TakeSnapshot(card), after);
}

// A folder named like a track (with a renamed folder below it), at the root and deeper, and a link
// to nothing renamed as a track: each back in one run.
TEST(Restore, FoldersNamedLikeTracksAndLinksToNothingComeBackInOneRun) {
  TempCard card;
  card.WriteFile("Live.mp3/in.mp3", "in");
  card.WriteFile("My Album/Live.mp3/Sub Dir/x.mp3", "x");
  card.WriteFile("My Album/a song.mp3", "a");
#ifndef _WIN32
  fs::create_symlink(card.root() / "nowhere", card.root() / "My Album/e.mp3");
#endif
  Snapshot before = TakeSnapshot(card);
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  ASSERT_TRUE(card.Exists("MyAlbum/001.MP3/SubDir/RENDIR04.LOG"));
  ToolResult r = RunRestore(card);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
}

// Old names of 120 units four deep: after a run gave the outer three back (the innermost one's name
// was taken), its path is past 300 units, and the next run still gives it back.
TEST(Restore, PathsPastThreeHundredUnitsComeBack) {
  TempCard card;
  const std::string a(120, 'a'), b(120, 'b'), c(120, 'c'), d(120, 'd');
  const std::string inner = a + "/" + b + "/" + c + "/" + d;
  card.WriteFile(inner + "/" + std::string(100, 's') + ".mp3", "song");
  card.WriteFile(inner + "/" + std::string(120, 't') + ".mp3", "song two");
  Snapshot before = TakeSnapshot(card);
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  std::string renamed;
  for (const auto& [path, content] : TakeSnapshot(card))
    if (std::count(path.begin(), path.end(), '/') == 3 && content == "<folder>") renamed = path;
  ASSERT_LT(renamed.size(), 40u) << "four renamed folders";
  std::ofstream(card.root() / fs::path(renamed).parent_path() / d) << "in the way";
  EXPECT_EQ(RunRestore(card).status, 1);
  const std::string left = a + "/" + b + "/" + c + "/" + fs::path(renamed).filename().string();
  ASSERT_TRUE(card.Exists(left)) << "the outer folders were given back";
  ASSERT_GT(fs::path(left).u16string().size(), 300u);
  fs::remove(card.root() / a / b / c / d);
  ToolResult r = RunRestore(card);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
}

#ifndef _WIN32
// Folders a normal user cannot read or enter, and a log that will not open: each said, status 1;
// once they can be read, a run gives back what they hold.
TEST(Restore, FoldersThatCannotBeReadAreSaidAndFailTheRun) {
  TempCard card;
  if (!NobodyCanReach(card)) GTEST_SKIP() << "no user to run as";
  card.WriteFile("Locked Out/song one.mp3", "one");
  card.WriteFile("Only Listed/song two.mp3", "two");
  card.WriteFile("Open Folder/song three.mp3", "three");
  card.WriteFile("Closed Log/song four.mp3", "four");
  Snapshot before = TakeSnapshot(card);
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  const fs::path log = card.root() / "ClosedLo/RENFIL04.LOG";
  fs::permissions(log, fs::perms::none);
  fs::permissions(card.root() / "LockedOu", fs::perms::none);
  fs::permissions(card.root() / "OnlyList", fs::perms(0644));
  ToolResult r = RunUnprivileged(card, "go\n", CARDPREP_RESTORE_EXE);
  fs::permissions(card.root() / "LockedOu", fs::perms(0755));
  fs::permissions(card.root() / "OnlyList", fs::perms(0755));
  std::error_code ec;  // the folder has its old name back, or not
  fs::permissions(log, fs::perms(0644), ec);
  fs::permissions(card.root() / "Closed Log/RENFIL04.LOG", fs::perms(0644), ec);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* folder : {"LockedOu", "OnlyList"})
    EXPECT_TRUE(Printed(r, std::string("読めないので、その中は戻さない [\\") + folder + "]"));
  EXPECT_NE(
      r.output.find(
          "ログを開けないので、このディレクトリのファイルは戻さない [\\ClosedLo\\RENFIL04.LOG]"),
      std::string::npos)
      << r.output;
  EXPECT_EQ(card.ReadFile("Open Folder/song three.mp3"), "three");
  // Without removing the catalogue: the folders given back no longer match the folder list.
  r = RunRestore(card, {});
  EXPECT_EQ(r.status, 0) << r.output;
  Snapshot after = TakeSnapshot(card);
  for (const auto& [path, content] : before)
    EXPECT_TRUE(after.contains(path) && after.at(path) == content) << path << "\n" << r.output;
}
#endif

}  // namespace
