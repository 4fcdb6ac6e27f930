#include "rename/rename_pass.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"
#include "testing/rename_card.h"

namespace {

using Tree = std::vector<std::string>;

TEST(RenamePass, AFileSortingFirstShiftsTargetsOntoTakenNamesWhichAreReported) {
  RenameCard card;
  for (char i = '1'; i <= '5'; ++i) {
    card.WriteFile(std::string("A/00") + i + ".MP3", std::string(1, i));
  }
  card.WriteFile("A/RENFIL04.LOG", Utf16Log("001.MP3\tfirst.mp3\n"));
  card.WriteFile("A/0 Intro.mp3", "intro");
  std::string console = card.Run(), expected, workLog;
  for (const char* name : {"0 Intro.mp3", "001.MP3", "002.MP3", "003.MP3", "004.MP3"}) {
    expected += "MP3 名前変更不可 [" + card.Shown("\\A\\") + name + "]\n";
  }
  EXPECT_EQ(console, expected);
  for (char c : ToCp932(console)) workLog += c == '\n' ? "\r\n" : std::string(1, c);
  EXPECT_EQ(card.WorkLog(), workLog);
  EXPECT_EQ(card.ReadFile("A/006.MP3"), "5");
  EXPECT_EQ(card.ReadFile("A/0 Intro.mp3"), "intro");
  EXPECT_EQ(card.ReadFile("A/RENFIL04.LOG"), Utf16Log("001.MP3\tfirst.mp3\n006.MP3\t005.MP3\n"));
  EXPECT_EQ(card.state().renameFailed, 1);
}

TEST(RenamePass, FolderCollisionsGetNumbersOrSuffixesAndASuffixPastNineFails) {
  RenameCard card;
  for (const char* folder : {"Music Box", "MusicBox9", "00001", "日本", "歌", "- - -", "!!!!!!!!!",
                             "MY MUSIC", "my-music-", "AB", "A1", "A2", "A3", "A4", "A5", "A6",
                             "A7", "A8", "A9", "A B"}) {
    card.MakeDir(folder);
  }
  char code[16];  // 'A:' is no FAT name
  std::snprintf(code, sizeof code, "[%lx]", HostErrorInvalidName());
  EXPECT_EQ(card.Run(),
            std::string("ディレクトリ　名前変更不可") + code + " [" + card.Shown("\\A B") + "]\n");
  EXPECT_TRUE(card.Exists("A B"));
  EXPECT_EQ(card.state().renameFailed, 1);
  // Unit order; '00001' is taken, and so is 'mymusic' in another case.
  std::map<std::string, std::string> expected = {
      {"00002", "!!!!!!!!!"}, {"00003", "- - -"},     {"00004", "日本"},
      {"00005", "歌"},        {"MYMUSIC", "MY MUSIC"}, {"MusicBox", "Music Box"},
      {"MusicBo1", "MusicBox9"}, {"mymusi1", "my-music-"}};
  for (const auto& [now, before] : expected) {
    EXPECT_EQ(LogLines(card.ReadFile(now + "/RENDIR04.LOG")), Tree{before}) << now;
  }
  EXPECT_FALSE(card.Exists("00001/RENDIR04.LOG"));
}

TEST(RenamePass, AFolderNamedLikeAnMp3FileIsRenamedOnce) {
  RenameCard card;
  card.WriteFile("Live Set.mp3/a.mp3", "a");
  EXPECT_EQ(card.Run(), "");
  EXPECT_EQ(card.ReadFile("001.MP3/001.MP3"), "a");
}

// A log that a stopped run left cut short gets its new lines on lines of
// their own, in the log's own encoding.
TEST(RenamePass, AppendsToAnExistingLogInItsOwnEncoding) {
  RenameCard card;
  card.WriteFile("U/RENFIL04.LOG", "\xEF\xBB\xBF" "001.MP3\told.mp3\r\n");
  card.WriteFile("U/new song.mp3", "n");
  card.WriteFile("E/RENFIL04.LOG", "");
  card.WriteFile("E/b.mp3", "b");
  card.WriteFile("C/RENFIL04.LOG", "\xEF\xBB\xBF" "001.MP3\told.mp3\r\n00");
  card.WriteFile("C/c.mp3", "c");
  card.WriteFile("D/RENFIL04.LOG", Utf16Log("001.MP3\told.mp3\n") + std::string("0\0" "0", 3));
  card.WriteFile("D/d.mp3", "d");
  card.Run();
  EXPECT_EQ(card.ReadFile("U/RENFIL04.LOG"),
            "\xEF\xBB\xBF" "001.MP3\told.mp3\r\n001.MP3\tnew song.mp3\r\n");
  EXPECT_EQ(card.ReadFile("E/RENFIL04.LOG"), Utf16Log("001.MP3\tb.mp3\n"));
  EXPECT_EQ(card.ReadFile("C/RENFIL04.LOG"),
            "\xEF\xBB\xBF" "001.MP3\told.mp3\r\n00\r\n001.MP3\tc.mp3\r\n");
  EXPECT_EQ(card.ReadFile("D/RENFIL04.LOG"), Utf16Log("001.MP3\told.mp3\n00\n001.MP3\td.mp3\n"));
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

#if !defined(_WIN32)
// A card that fills up while a folder's moves are logged (a limit on file
// sizes stands in for it): a file keeps its new name only when its log
// line reached the log whole; the others go back to their old names, and
// the folder's moves stop there. A log cut inside its byte-order mark keeps
// no line at all.
TEST(RenamePassSafety, FilesWhoseLogLinesDoNotReachTheLogAreMovedBack) {
  constexpr int kTracks = 200;
  for (rlim_t limit : {1, 2, 200, 1000, 20000, 40000}) {
    SCOPED_TRACE("log limited to " + std::to_string(limit) + " bytes");
    RenameCard card;
    std::vector<std::string> names;
    for (int i = 0; i < kTracks; ++i) {
      char number[8];
      std::snprintf(number, sizeof number, "%03d", i);
      names.push_back("Track " + std::string(number) + " " + std::string(90, 'x') + ".mp3");
      card.WriteFile("A/" + names.back(), names.back());
    }
    rlimit was;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit limited = was;
    limited.rlim_cur = limit;
    void (*usual)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    card.Run();
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, usual);

    std::string log = card.ReadFile("A/RENFIL04.LOG");
    EXPECT_LE(log.size(), limit);
    size_t end = log.rfind(std::string("\n\0", 2));  // the whole lines end there
    std::vector<std::string> lines =
        LogLines(end == std::string::npos ? "" : log.substr(0, end + 2));
    EXPECT_LT(lines.size(), static_cast<size_t>(kTracks));
    for (int i = 0; i < kTracks; ++i) {
      char moved[16];
      std::snprintf(moved, sizeof moved, "%03d.MP3", i + 1);
      if (static_cast<size_t>(i) < lines.size()) {
        EXPECT_EQ(lines[i], std::string(moved) + "\t" + names[i]);
        EXPECT_EQ(card.ReadFile(std::string("A/") + moved), names[i]);
      } else {
        EXPECT_EQ(card.ReadFile("A/" + names[i]), names[i]);
      }
    }
    EXPECT_EQ(card.Tree().size(), static_cast<size_t>(kTracks) + 3);  // A/ and the two logs
    EXPECT_EQ(card.state().renameFailed, 1);
  }
}
#endif

}  // namespace
