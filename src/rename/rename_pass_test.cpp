#include "rename/rename_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/host.h"
#include "testing/rename_card.h"

namespace {

using Tree = std::vector<std::string>;

std::string Mp3Failure(const std::string& path) { return "MP3 名前変更不可 [" + path + "]\n"; }

TEST(RenamePass, NumbersTracksInPlainUnitOrderAndLogsEachMove) {
  RenameCard card;
  for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "Z.mp3", "1 one.mp3", "日本.mp3"}) {
    card.WriteFile(name, name);
  }
  card.WriteFile("readme.txt", "text");
  card.WriteFile("S/001.mp3", "one");
  card.WriteFile("T/x.mp3", "x");
  card.WriteFile("T/002.MP3", "two");
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.Tree(), (Tree{"001.MP3", "002.MP3", "003.MP3", "004.MP3", "005.MP3", "006.MP3",
                               "RENFIL04.LOG", "S/", "S/001.mp3", "S/RENFIL04.LOG", "T/",
                               "T/001.MP3", "T/002.MP3", "T/RENFIL04.LOG", "readme.txt"}));
  // Digits before capitals before small letters, Japanese last.
  EXPECT_EQ(card.ReadFile("RENFIL04.LOG"),
            Utf16Log("001.MP3\t1 one.mp3\n002.MP3\tA.MP3\n003.MP3\tZ.mp3\n004.MP3\tb.mp3\n"
                     "005.MP3\tc.Mp3\n006.MP3\t日本.mp3\n"));
  EXPECT_EQ(card.ReadFile("006.MP3"), "日本.mp3");
  // A file that bears its target name in any case stays and gets no line.
  EXPECT_EQ(card.ReadFile("S/RENFIL04.LOG"), "\xFF\xFE");
  EXPECT_EQ(card.ReadFile("T/RENFIL04.LOG"), Utf16Log("001.MP3\t002.MP3\n002.MP3\tx.mp3\n"));
  EXPECT_EQ(card.ReadFile("T/001.MP3"), "two");
  EXPECT_EQ(card.state().renameFailed, 0);
}

TEST(RenamePass, AFileSortingFirstShiftsTargetsOntoTakenNamesWhichAreReported) {
  RenameCard card;
  for (int i = 1; i <= 5; ++i)
    card.WriteFile("A/00" + std::to_string(i) + ".MP3", std::to_string(i));
  card.WriteFile("A/RENFIL04.LOG", Utf16Log("001.MP3\tfirst.mp3\n"));
  card.WriteFile("A/0 Intro.mp3", "intro");
  std::string console = card.Run();
  std::string expected;
  for (const char* name : {"0 Intro.mp3", "001.MP3", "002.MP3", "003.MP3", "004.MP3"}) {
    expected += Mp3Failure(card.Shown("\\A\\") + name);
  }
  EXPECT_EQ(console, expected);
  std::string workLog;
  for (char c : ToCp932(console)) workLog += c == '\n' ? "\r\n" : std::string(1, c);
  EXPECT_EQ(card.WorkLog(), workLog);
  EXPECT_EQ(card.ReadFile("A/006.MP3"), "5");
  EXPECT_EQ(card.ReadFile("A/0 Intro.mp3"), "intro");
  EXPECT_EQ(card.ReadFile("A/RENFIL04.LOG"), Utf16Log("001.MP3\tfirst.mp3\n006.MP3\t005.MP3\n"));
  EXPECT_EQ(card.state().renameFailed, 1);
}

TEST(RenamePass, SecondRunOnlyReopensTheLogs) {
  RenameCard card;
  card.WriteFile("Rock & Roll/b.mp3", "b");
  card.WriteFile("日本の歌/My Song.mp3", "song");
  card.WriteFile("MUSIC/Deep Folder/x.mp3", "x");
  card.Run();
  Tree first = card.Tree();
  std::vector<std::string> contents;
  auto read = [&card](const std::string& path) {
    return path.back() == '/' ? std::string() : card.ReadFile(path);
  };
  for (const auto& path : first) contents.push_back(read(path));
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.Tree(), first);
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(read(first[i]), contents[i]);
  // A start folder given with its trailing backslash keeps its logs inside.
  card.WriteFile("SUB/a.mp3", "a");
  card.Run("SUB\\");
  EXPECT_EQ(card.ReadFile("SUB/RENFIL04.LOG"), Utf16Log("001.MP3\ta.mp3\n"));
}

TEST(RenamePass, JapaneseFolderGetsANumberAndItsLogsOnModel8) {
  RenameCard card(8);
  card.WriteFile("日本の歌/My Song.mp3", "song");
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.Tree(), (Tree{"00001/", "00001/001.MP3", "00001/RENDIR04.LOG",
                               "00001/RENFIL04.LOG", "00001/日本の歌", "RENFIL04.LOG"}));
  EXPECT_EQ(card.ReadFile("00001/RENDIR04.LOG"), Utf16Log("日本の歌\n"));
  EXPECT_EQ(card.ReadFile("00001/日本の歌"), Utf16Log("00001\n"));
  EXPECT_EQ(card.ReadFile("00001/RENFIL04.LOG"), Utf16Log("001.MP3\tMy Song.mp3\n"));
}

TEST(RenamePass, JapaneseFolderIsReportedOnModel4AndStillEntered) {
  RenameCard card(4);
  card.WriteFile("日本の歌/My Song.mp3", "song");
  EXPECT_EQ(card.Run(), "ディレクトリ　マルチバイト文字含む " + card.Shown("\\日本の歌") + "\n");
  EXPECT_EQ(card.state().renameFailed, 1);
  EXPECT_EQ(card.ReadFile("日本の歌/001.MP3"), "song");
}

TEST(RenamePass, FolderCollisionsGetNumbersOrSuffixes) {
  RenameCard card;
  for (const char* folder : {"Music Box", "MusicBox9", "00001", "日本", "歌", "- - -", "!!!!!!!!!",
                             "MY MUSIC", "my-music-"}) {
    card.MakeDir(folder);
  }
  EXPECT_EQ(card.Run(), "");
  // In unit order: '!!!!!!!!!' 00002 ('00001' is taken), '- - -' 00003,
  // the letters-and-digits names ('mymusic' is taken in another case),
  // then the Japanese ones.
  std::vector<std::pair<std::string, std::string>> expected = {
      {"00002", "!!!!!!!!!"},    {"00003", "- - -"},      {"00004", "日本"},
      {"00005", "歌"},           {"MYMUSIC", "MY MUSIC"}, {"MusicBox", "Music Box"},
      {"MusicBo1", "MusicBox9"}, {"mymusi1", "my-music-"}};
  for (const auto& [now, before] : expected) {
    EXPECT_EQ(LogLines(card.ReadFile(now + "/RENDIR04.LOG")), Tree{before}) << now;
  }
  EXPECT_FALSE(card.Exists("00001/RENDIR04.LOG"));
}

TEST(RenamePass, SuffixPastNineIsAMoveThatFailsAndIsReported) {
  RenameCard card;
  card.MakeDir("AB");
  for (char c = '1'; c <= '9'; ++c) card.MakeDir(std::string("A") + c);
  card.MakeDir("A B");
  char code[16];  // the host's invalid-name error: 'A:' is no FAT name
  std::snprintf(code, sizeof code, "[%lx]", HostErrorInvalidName());
  EXPECT_EQ(card.Run(),
            std::string("ディレクトリ　名前変更不可") + code + " [" + card.Shown("\\A B") + "]\n");
  EXPECT_TRUE(card.Exists("A B"));
  EXPECT_EQ(card.state().renameFailed, 1);
}

TEST(RenamePass, UnderscoreFoldersAreNeverTouchedAndSystemOnesOnlyEntered) {
  RenameCard card;
  card.WriteFile("_FONT/Sub Dir/c.mp3", "c");
  card.WriteFile("System Volume Information/x.mp3", "x");
  card.Run();
  EXPECT_EQ(card.Tree(),
            (Tree{"RENFIL04.LOG", "System Volume Information/", "System Volume Information/x.mp3",
                  "_FONT/", "_FONT/Sub Dir/", "_FONT/Sub Dir/c.mp3"}));
  // With a folder to keep beside it, a 'System...' folder is entered.
  card.MakeDir("Music");
  card.Run();
  EXPECT_EQ(card.ReadFile("System Volume Information/001.MP3"), "x");
  EXPECT_TRUE(card.Exists("_FONT/Sub Dir/c.mp3"));
}

TEST(RenamePass, AppendsToAnExistingLogInItsOwnEncoding) {
  RenameCard card;
  card.WriteFile("U/RENFIL04.LOG",
                 "\xEF\xBB\xBF"
                 "001.MP3\told.mp3\r\n");
  card.WriteFile("U/new song.mp3", "n");
  card.WriteFile("E/RENFIL04.LOG", "");
  card.WriteFile("E/b.mp3", "b");
  card.Run();
  EXPECT_EQ(card.ReadFile("U/RENFIL04.LOG"),
            "\xEF\xBB\xBF"
            "001.MP3\told.mp3\r\n001.MP3\tnew song.mp3\r\n");
  EXPECT_EQ(card.ReadFile("E/RENFIL04.LOG"), Utf16Log("001.MP3\tb.mp3\n"));
}

TEST(RenamePassSafety, NoMoveWithoutItsLogAndNoNoteOverAUsersFile) {
  RenameCard card;
  card.MakeDir("A/RENFIL04.LOG");  // a folder where the log should go
  card.WriteFile("A/song.mp3", "s");
  card.MakeDir("My Music/RENDIR04.LOG");
  card.WriteFile("Best Of/Best Of", "user's own file");
  EXPECT_EQ(card.Run(), card.Shown("\\MyMusic\\RENDIR04.LOG") +
                            "を書けないので、ディレクトリ名を元に戻す [" +
                            card.Shown("\\My Music") + "]\n" + card.Shown("\\A\\RENFIL04.LOG") +
                            "を開けないので、このディレクトリのMP3ファイルは名前変更しない\n");
  EXPECT_TRUE(card.Exists("A/song.mp3"));
  EXPECT_TRUE(card.Exists("My Music/RENDIR04.LOG"));
  EXPECT_FALSE(card.Exists("MyMusic"));
  EXPECT_EQ(card.ReadFile("BestOf/Best Of"), "user's own file");
  EXPECT_EQ(card.state().renameFailed, 1);
}

TEST(RenamePassLimits, MoreThan255TracksOrFoldersRenamesNoneOfThemAndSaysSo) {
  RenameCard card;
  for (int i = 0; i < 256; ++i) card.WriteFile("BIG/t" + std::to_string(i) + ".mp3", "x");
  for (int i = 0; i < 256; ++i) card.MakeDir("BIG/Folder " + std::to_string(i));
  card.WriteFile("BIG/Folder 7/a.mp3", "a");
  EXPECT_EQ(
      card.Run(),
      "MP3ファイルが255個を超えるので、このディレクトリのMP3ファイルは名前変更しない [" +
          card.Shown("\\BIG") +
          "]\n"
          "サブディレクトリが255個を超えるので、このディレクトリのサブディレクトリは名前変更しない "
          "[" +
          card.Shown("\\BIG") + "]\n");
  EXPECT_TRUE(card.Exists("BIG/t0.mp3"));
  EXPECT_FALSE(card.Exists("BIG/001.MP3"));
  EXPECT_TRUE(card.Exists("BIG/Folder 7/001.MP3"));  // still entered
  EXPECT_EQ(card.state().renameFailed, 1);
}

TEST(RenamePassLimits, OverlongNamesAndPathsAreReportedAndLeft) {
  RenameCard card;
  std::string longTrack = std::string(130, 't') + ".mp3";
  std::string longFolder(128, 'f');
  // Deep enough that the folder's path is 234 to 242 units long with the
  // root's own path (none on POSIX) in front.
  int rootUnits = card.RootUnits();
  ASSERT_LT(rootUnits, 200);
  std::string deep, shown;
  for (int units = rootUnits; units < 234; units += 9) {
    deep += "ABCDEFGH/";
    shown += "\\ABCDEFGH";
  }
  card.WriteFile(longTrack, "long");
  card.WriteFile("short.mp3", "short");
  card.WriteFile(longFolder + "/in.mp3", "in");
  card.WriteFile(deep + "a.mp3", "a");
  card.WriteFile(deep + "Long Named/b.mp3", "b");  // no room for its new name's log
  card.WriteFile(deep + "ABCDEFGH/c.mp3", "c");    // no room for its own track log
  std::string console = card.Run();
  std::string name = "名前が127文字を超えるので名前変更しない [" + card.Shown("\\");
  std::string path = "パスが255文字を超えるので名前変更しない [" + card.Shown(shown);
  // The work log has every line whole; subfolders are entered in listing order.
  std::vector<std::string> lines = SplitLines(FromCp932(card.WorkLog()));
  Tree expected = {name + longFolder + "]", name + longTrack + "]",
                   path + "\\ABCDEFGH\\RENFIL04.LOG]", path + "\\Long Named]",
                   path + "\\Long Named\\RENFIL04.LOG]"};
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
  for (size_t end = console.find('\n'), start = 0; end != std::string::npos;
       start = end + 1, end = console.find('\n', start)) {
    EXPECT_LE(ToCp932(console.substr(start, end - start)).size(), 254u);
  }
  EXPECT_EQ(card.ReadFile(longTrack), "long");
  EXPECT_EQ(card.ReadFile("001.MP3"), "short");
  EXPECT_EQ(card.ReadFile(longFolder + "/001.MP3"), "in");
  EXPECT_EQ(card.ReadFile(deep + "001.MP3"), "a");
  EXPECT_EQ(card.ReadFile(deep + "Long Named/b.mp3"), "b");
  EXPECT_EQ(card.ReadFile(deep + "ABCDEFGH/c.mp3"), "c");
  EXPECT_EQ(card.state().renameFailed, 1);
}

}  // namespace
