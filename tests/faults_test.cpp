// Faults a card can hold, through the real binary: files and folders the
// tool cannot write or read, names code page 932 lacks, broken encodings,
// limits of the tables, deep nesting, and runs over a card already
// prepared. Whatever happens, no file is lost or replaced, the run ends
// with a clear line, and the exit status tells success from failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing/fontx_builder.h"
#include "testing/id3_builder.h"
#include "testing/rename_card.h"
#include "testing/temp_card.h"
#include "testing/tool_runner.h"
#include "tests/e2e_card.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

constexpr char kModel10[] = "go\n10\n0\n";
constexpr char kModel10Rule1[] = "go\n10\n1\n";
const std::string kRenameByHand =
    "名前変更出来ないディレクトリまたはMP3ファイルについては手で名前変更すること!\n";

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The title field (33 bytes at 85) of record r + 1 of a folder list, up to
// its first zero byte.
std::string FolderTitle(const std::string& list, int row, int recordSize = 512) {
  std::string field = list.substr(static_cast<size_t>((row + 1) * recordSize + 85), 33);
  return field.substr(0, field.find('\0'));
}

void MakeReadOnly(const fs::path& p) {
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// Whether permission bits stop this process from writing (they do not for
// root): a folder without write permission is tried.
bool PermissionsBind() {
  TempCard probe;
  probe.MakeDir("ro");
  MakeReadOnly(probe.root() / "ro");
  std::error_code ec;
  fs::create_directory(probe.root() / "ro" / "x", ec);
  return static_cast<bool>(ec);
}

}  // namespace

// A card the tool cannot write to, made so that it holds even for root:
// where the logs must go there are folders of their names. No MP3 may move
// without its log line and no folder may keep a new name without its
// RENDIR04.LOG, so nothing is moved at all.
TEST(Faults, WhereNoLogCanBeWrittenNothingIsMovedAndTheRunStops) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("My Album/a song.mp3", "song a");
  card.WriteFile("My Album/b.mp3", "song b");
  card.MakeDir("My Album/RENFIL04.LOG/");
  card.WriteFile("My Album/RENDIR04.LOG/keep.txt", "kept");
  card.WriteFile("Loose Track.mp3", "root song");
  card.MakeDir("RENFIL04.LOG");
  Snapshot before = TakeSnapshot(card);

  ToolResult r = RunOn(card, kModel10);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(
      r.output.find("\\RENFIL04.LOGを開けないので、このディレクトリのMP3ファイルは名前変更しない"),
      std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("\\My Album\\RENFIL04.LOGを開けないので"), std::string::npos);
  EXPECT_NE(r.output.find("RENDIR04.LOGを書けないので、ディレクトリ名を元に戻す [\\My Album]"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(r.output.ends_with(kRenameByHand + "その後で本PGを再実行する\n")) << r.output;
  // The pass still visits the folders named like logs, leaving a log of
  // its own in each.
  EXPECT_EQ(
      Differences(before, Without(TakeSnapshot(card), {"CARDPREP.LOG", "RENFIL04.LOG/RENFIL04.LOG",
                                                       "My Album/RENDIR04.LOG/RENFIL04.LOG",
                                                       "My Album/RENFIL04.LOG/RENFIL04.LOG"})),
      "");
}

// With permission bits that bind (not as root): every folder below the
// root read-only, the root writable for the work log.
TEST(Faults, AReadOnlyCardKeepsEveryNameAndStops) {
  if (!PermissionsBind()) GTEST_SKIP() << "permission bits do not stop this user from writing";
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("My Album/a song.mp3", "song a");
  card.WriteFile("My Album/Disc Two/c.mp3", "song c");
  card.WriteFile("Other/001.MP3", "kept name");
  Snapshot before = TakeSnapshot(card);
  for (const char* folder : {"My Album/Disc Two", "My Album", "Other"}) {
    MakeReadOnly(card.root() / folder);
  }

  ToolResult r = RunOn(card, kModel10);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\\My Album\\RENFIL04.LOGを開けないので"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(kRenameByHand), std::string::npos);
  EXPECT_EQ(Differences(before, Without(TakeSnapshot(card), {"CARDPREP.LOG", "RENFIL04.LOG"})), "");
}

TEST(Faults, ACardRootWithoutWritePermissionStopsBeforeAnything) {
  if (!PermissionsBind()) GTEST_SKIP() << "permission bits do not stop this user from writing";
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  card.WriteFile("Music Folder/b.mp3", "mp3");
  Snapshot before = TakeSnapshot(card);
  MakeReadOnly(card.root());
  ToolResult r = RunOn(card, "go\n6\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("CARDPREP.LOG を作成できない"), std::string::npos) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "");
}

// Files the tag reader cannot read as an MP3: empty, a cut tag, a folder
// named like an MP3, a pipe (opening it would wait forever) and a link to
// nothing. The run finishes; only regular files become tracks.
TEST(Faults, Mp3sThatCannotBeReadNeverStopTheRun) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("Songs/a.mp3", "");
  card.WriteFile("Songs/b.mp3", "ID3\x03");
  card.WriteFile("Songs/c.MP3/inside.txt", "a folder named like a track");
  ASSERT_EQ(mkfifo((card.root() / "Songs/d.mp3").c_str(), 0644), 0);
  fs::create_symlink(card.root() / "Songs/nowhere", card.root() / "Songs/e.mp3");
  card.WriteFile("Songs/f.mp3", Mp3WithTag(BuildId3v23({Id3TextFrame("TIT2", Latin1Text("F"))})));

  ToolResult r = RunOn(card, kModel10Rule1);
  ASSERT_EQ(r.status, 0) << r.output;
  // Every entry the pattern matched was renamed in name order and logged.
  std::vector<std::string> log = LogLines(card.ReadFile("Songs/RENFIL04.LOG"));
  EXPECT_EQ(log, (std::vector<std::string>{"001.MP3\ta.mp3", "002.MP3\tb.mp3", "003.MP3\tc.MP3",
                                           "004.MP3\td.mp3", "005.MP3\te.mp3", "006.MP3\tf.mp3"}));
  EXPECT_EQ(card.ReadFile("Songs/003.MP3/inside.txt"), "a folder named like a track");
  EXPECT_EQ(fs::symlink_status(card.root() / "Songs/004.MP3").type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(card.root() / "Songs/005.MP3")));
  // Tracks: the three regular files, titled by their old names.
  std::string list = card.ReadFile("Songs/SNDLST10.DAT");
  ASSERT_EQ(list.size(), 3u * 448);
  EXPECT_EQ(list.substr(0, 7), "001.MP3");
  EXPECT_EQ(list.substr(448, 7), "002.MP3");
  EXPECT_EQ(list.substr(2 * 448, 7), "006.MP3");
  // The folder 003.MP3 is a folder of the card like any other.
  std::string dirs = card.ReadFile("DIRLST10.DAT");
  ASSERT_EQ(dirs.size(), 4u * 512);
  EXPECT_EQ(FolderTitle(dirs, 2), "003.MP3");
}

TEST(Faults, AFontThatIsAFolderOrEmptyStopsTheRunAndTouchesNothing) {
  for (bool asFolder : {true, false}) {
    auto cardOwner = NewCard();
    const TempCard& card = *cardOwner;
    WriteTestFontSet(kTestFull12);
    if (asFolder) {
      card.MakeDir("_FONT/DRUG12Z1.FEF");
    } else {
      card.WriteFile("_FONT/DRUG12Z1.FEF", "");
    }
    card.WriteFile("Long Folder Name/b.mp3", "mp3");
    Snapshot before = TakeSnapshot(card);
    ToolResult r = RunOn(card, kModel10);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(
        r.output.ends_with("GetFontMetrics error _FONT\\DRUG12Z1.FEF\n"
                           "フォントデータの取得でエラー\n"))
        << r.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "");
  }
}

// Folder and file names with characters code page 932 lacks: the names on
// the card change safely, the logs keep them exactly (UTF-16), and the
// titles show '?' for each missing character.
TEST(Faults, NamesOutsideCodePage932AreRenamedSafelyAndTitledWithQuestionMarks) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  const std::string folder = "Café 🎵 한국";
  const std::string track = "é 🎵 노래.mp3";
  card.WriteFile(folder + "/" + track, "the song");
  card.WriteFile("Plain/" + track, "another song");

  ToolResult r = RunOn(card, kModel10Rule1);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("00001/001.MP3"), "the song");
  EXPECT_EQ(card.ReadFile("Plain/001.MP3"), "another song");
  EXPECT_EQ(LogLines(card.ReadFile("00001/RENDIR04.LOG")), std::vector<std::string>{folder});
  EXPECT_EQ(LogLines(card.ReadFile("00001/" + folder)), std::vector<std::string>{"00001"});
  EXPECT_EQ(LogLines(card.ReadFile("00001/RENFIL04.LOG")),
            std::vector<std::string>{"001.MP3\t" + track});

  std::string dirs = card.ReadFile("DIRLST10.DAT");
  ASSERT_EQ(dirs.size(), 4u * 512);
  EXPECT_EQ(FolderTitle(dirs, 1), "Caf? ? ??");
  std::string list = card.ReadFile("00001/SNDLST10.DAT");
  ASSERT_EQ(list.size(), 448u);
  EXPECT_EQ(list.substr(16, 10), "? ? ??.mp3");
}

TEST(Faults, OldModelsReportNamesOutsideCodePage932AndLoseNothing) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  card.WriteFile("Café 🎵/x.mp3", "the song");
  ToolResult r = RunOn(card, "go\n4\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("ディレクトリ　マルチバイト文字含む \\Caf? ?"), std::string::npos)
      << r.output;
  // The pass still went into the folder and renamed its track.
  EXPECT_EQ(card.ReadFile("Café 🎵/001.MP3"), "the song");
  EXPECT_EQ(LogLines(card.ReadFile("Café 🎵/RENFIL04.LOG")),
            std::vector<std::string>{"001.MP3\tx.mp3"});
}

// Logs and a display-name file with broken encodings: odd byte counts, lone
// surrogates, a last line cut short, invalid Shift-JIS. They are read as far
// as they make sense, and lines added to a cut log stay readable.
TEST(Faults, BrokenEncodingsInLogsAndDisplayNamesAreReadSafely) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("A/001.MP3", "one");
  card.WriteFile("A/002.MP3", "two");
  card.WriteFile("A/zz new.mp3", "three");
  // Line 1 fine, line 2 with a lone high surrogate, then a line cut inside
  // a unit (an odd byte count), as a run stopped mid-write leaves it.
  std::string log = Utf16Log("001.MP3\tOld One.mp3\n");
  log +=
      "0\x00"
      "0\x00"
      "2\x00"
      ".\x00"
      "M\x00"
      "P\x00"
      "3\x00"
      "\t\x00"
      "\x00\xD8"
      "x\x00"
      "\r\x00"
      "\n\x00"
      "9\x00"
      "9"s;
  card.WriteFile("A/RENFIL04.LOG", log);
  card.WriteFile("A/RENDIR04.LOG",
                 "\xFF\xFE"
                 "\x00\xDC"
                 "A\x00"
                 "\x3D"s);
  card.WriteFile("A/" + std::string("表示名04.txt"),
                 ToCp932("Old One.mp3\t") + "\x82\xA0\x85\x40\xFF end \x82\n" +
                     ToCp932("zz new.mp3\t\t新しい歌\n") + "\x81");

  ToolResult r = RunOn(card, kModel10);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("A/003.MP3"), "three");
  std::vector<std::string> lines = LogLines(card.ReadFile("A/RENFIL04.LOG"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "003.MP3\tzz new.mp3");
  // The new track's title came from the display-name file through the log
  // line just added.
  std::string list = card.ReadFile("A/SNDLST10.DAT");
  ASSERT_EQ(list.size(), 3u * 448);
  EXPECT_EQ(list.substr(2 * 448 + 16, 8), ToCp932("新しい歌"));
  EXPECT_NE(FolderTitle(card.ReadFile("DIRLST10.DAT"), 1), "");
}

TEST(Faults, MoreThan999FoldersKeepTheFirst999AndNameTheOthers) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  // 10 folders of 101 subfolders: 1020 folders, at most 255 in one folder.
  for (int p = 0; p < 10; ++p) {
    for (int s = 0; s < 101; ++s) card.MakeDir("P" + std::to_string(p) + "/S" + std::to_string(s));
  }
  card.WriteFile("P0/S0/a.mp3", "song");
  ToolResult r = RunOn(card, "go\n4\n");  // no images: quicker
  ASSERT_EQ(r.status, 0) << r.output.substr(0, 2000);
  EXPECT_EQ(Count(r.output, "フォルダ数制限超過 \\P9\\S"), 21);
  EXPECT_NE(r.output.find("フォルダ数制限超過 \\P9\\S99\n"), std::string::npos);
  std::string dirs = card.ReadFile("DIRLST04.DAT");
  ASSERT_EQ(dirs.size(), 1001u * 128);
  EXPECT_EQ(dirs.substr(0, 4), std::string("\xE8\x03\x01\x00", 4));  // 1000 rows, 1 with tracks
}

TEST(Faults, ThreeHundredTracksInOneFolderAreLeftAsTheyAreAndSaidSo) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  for (int i = 0; i < 300; ++i) card.WriteFile("Big/track " + std::to_string(i) + ".mp3", "t");
  card.WriteFile("Small/x.mp3", "x");
  Snapshot before = TakeSnapshot(card);
  ToolResult r = RunOn(card, kModel10);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.output.find("MP3ファイルが255個を超えるので、このディレクトリのMP3ファイルは名前変更しない "
                    "[\\Big]"),
      std::string::npos)
      << r.output;
  // Only the small folder's track moved, with its log line.
  Snapshot after = TakeSnapshot(card);
  EXPECT_EQ(Differences(before, Without(after, {"CARDPREP.LOG", "RENFIL04.LOG", "Big/RENFIL04.LOG",
                                                "Small/RENFIL04.LOG", "Small/001.MP3"})),
            "gone: Small/x.mp3\n");
  EXPECT_EQ(after["Small/001.MP3"], "x");
}

TEST(Faults, ThreeHundredSubfoldersAreListedAndCountedAs255) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  for (int i = 0; i < 300; ++i) card.MakeDir("P/S" + std::to_string(i));
  card.WriteFile("P/S7/a.mp3", "song");
  ToolResult r = RunOn(card, "go\n4\n");
  ASSERT_EQ(r.status, 0) << r.output.substr(0, 2000);
  EXPECT_EQ(Count(r.output, "サブDIR数制限超過"), 1);
  EXPECT_NE(r.output.find("サブDIR数制限超過 \\P 300\n"), std::string::npos);
  std::string dirs = card.ReadFile("DIRLST04.DAT");
  ASSERT_EQ(dirs.size(), 303u * 128);
  EXPECT_EQ(static_cast<unsigned char>(dirs[2 * 128 + 77]), 255);  // P's child count
}

// Paths past the player's 47 bytes are left out of the catalogue (their
// tracks are still renamed); paths past the pass's 255 units are reported
// and left as they are.
TEST(Faults, DeepNestingIsLeftOutOfTheCatalogueAndNothingIsLost) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  std::string path;
  for (int level = 0; level < 6; ++level) {
    path += (level ? "/" : "") + std::string("LEVEL00") + std::to_string(level);
    card.WriteFile(path + "/Track.mp3", "level " + std::to_string(level));
  }
  ToolResult r = RunOn(card, kModel10);
  ASSERT_EQ(r.status, 0) << r.output;
  // \LEVEL000 .. \LEVEL004 are 9 to 45 bytes; \...\LEVEL005 is 54.
  EXPECT_EQ(card.ReadFile("DIRLST10.DAT").size(), 7u * 512);
  EXPECT_TRUE(card.Exists(path.substr(0, path.rfind('/')) + "/SNDLST10.DAT"));
  EXPECT_FALSE(card.Exists(path + "/SNDLST10.DAT"));
  EXPECT_EQ(card.ReadFile(path + "/001.MP3"), "level 5");

  auto deepOwner = NewCard();

  const TempCard& deep = *deepOwner;
  WriteTestFontSet();
  std::string far;
  for (int level = 0; level < 30; ++level) far += "ABCDEFGH/";
  deep.WriteFile(far + "song.mp3", "far down");
  Snapshot before = TakeSnapshot(deep);
  ToolResult d = RunOn(deep, kModel10);
  EXPECT_EQ(d.status, 1);
  EXPECT_NE(d.output.find("パスが255文字を超えるので中に入らない"), std::string::npos) << d.output;
  EXPECT_EQ(TakeSnapshot(deep)[far + "song.mp3"], "far down");
  Snapshot after = TakeSnapshot(deep);
  for (const auto& [p, content] : before) EXPECT_EQ(after[p], content) << p;
}

// The scan reads the folder tree from a listing in the temporary directory.
// When that cannot be written, the catalogue would come out empty: the card
// keeps the one it has, and the run says that it failed.
TEST(Faults, ATemporaryFolderThatCannotTakeTheWorkFilesLeavesTheCardAlone) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("Album One/a.mp3", "a");
  ASSERT_EQ(RunOn(card, kModel10).status, 0);
  Snapshot before = TakeSnapshot(card);

  fs::path work = card.root().string() + "-blocked";
  std::ofstream(work) << "a file where the temporary folder should be";
  ToolResult r = RunWithTempDir(card, kModel10, work.string());
  fs::remove(work);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.output.ends_with("一時ディレクトリを取得できない\n")) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "");
}

// A card prepared once is left alone by the next runs: every file the tool
// writes is written again with the same bytes, and nothing else changes.
// Each stage names a catalogue file it cannot make in its own words, in
// the whole program as in its own tests.
TEST(Faults, CatalogueFilesThatCannotBeMadeAreReportedByTheirOwnStage) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("Album/a.mp3", "a");
  card.MakeDir("DIRLST10.DAT");  // folders where the files must go
  card.MakeDir("MNUDAT10.DAT");
  ToolResult r = RunOn(card, kModel10);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("DIRLST10.DATの作成でエラー\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ファイル作成エラー MNUDAT10.DAT\n"), std::string::npos) << r.output;
}

TEST(Faults, SecondAndThirdRunsChangeNothing) {
  auto cardOwner = NewCard();
  const TempCard& card = *cardOwner;
  WriteTestFontSet();
  card.WriteFile("日本の歌/My Song.mp3",
                 Mp3WithTag(BuildId3v23({Id3TextFrame("TIT2", Latin1Text("Tagged"))})));
  card.WriteFile("日本の歌/Other Song.mp3", "no tag");
  card.WriteFile("日本の歌/表示名04.txt", ToCp932("Other Song.mp3\t別の歌\n"));
  card.WriteFile("Best of 77 Live/01 Intro.mp3", "intro");
  card.WriteFile("Best of 77 Live/Disc 2/b.MP3", "b");
  card.WriteFile("ABC/001.MP3", "already short");
  card.WriteFile("_PRIVATE/keep.mp3", "never touched");

  ToolResult first = RunOn(card, kModel10);
  ASSERT_EQ(first.status, 0) << first.output;
  Snapshot once = TakeSnapshot(card);
  for (int run = 2; run <= 3; ++run) {
    ToolResult again = RunOn(card, kModel10);
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(Differences(once, TakeSnapshot(card)), "") << "run " << run;
  }
  EXPECT_EQ(once["_PRIVATE/keep.mp3"], "never touched");
  EXPECT_EQ(once["00001/002.MP3"], "no tag");
}
