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

TEST(RenamePass, FolderCollisionsGetNumbersOrSuffixesAndASuffixPastNineFails) {
  RenameCard card;
  for (const char* folder : {"Music Box", "MusicBox9", "00001", "日本", "歌", "- - -", "!!!!!!!!!",
                             "MY MUSIC",  "my-music-", "AB",    "A1",   "A2", "A3",    "A4",
                             "A5",        "A6",        "A7",    "A8",   "A9", "A B"}) {
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
      {"00002", "!!!!!!!!!"},    {"00003", "- - -"},      {"00004", "日本"},
      {"00005", "歌"},           {"MYMUSIC", "MY MUSIC"}, {"MusicBox", "Music Box"},
      {"MusicBo1", "MusicBox9"}, {"mymusi1", "my-music-"}};
  for (const auto& [now, before] : expected)
    EXPECT_EQ(LogLines(card.ReadFile(now + "/RENDIR04.LOG")), Tree{before}) << now;
  EXPECT_FALSE(card.Exists("00001/RENDIR04.LOG"));
}

TEST(RenamePassSafety, NoMoveWithoutItsLogAndNoNoteOverAUsersFile) {
  RenameCard card;
  card.MakeDir("A/RENFIL04.LOG");  // a folder where the log should go
  card.WriteFile("A/song.mp3", "s");
  card.MakeDir("My Music/RENDIR04.LOG");
  card.WriteFile("Best Of/Best Of", "user's own file");
  EXPECT_EQ(card.Run(), card.Shown("\\My Music\\RENDIR04.LOG") +
                            "を書けないので、ディレクトリ名を変更しない [" +
                            card.Shown("\\My Music") + "]\n" + card.Shown("\\A\\RENFIL04.LOG") +
                            "を開けないので、このディレクトリのMP3ファイルは名前変更しない\n");
  EXPECT_TRUE(card.Exists("A/song.mp3"));
  EXPECT_TRUE(card.Exists("My Music/RENDIR04.LOG"));
  EXPECT_FALSE(card.Exists("MyMusic"));
  EXPECT_EQ(card.ReadFile("BestOf/Best Of"), "user's own file");
  EXPECT_EQ(card.state().renameFailed, 1);
}

#if !defined(_WIN32)
// A card that fills up while moves are logged (a file size limit stands in for it): a line cut
// short is taken back, and the files from there keep their old names.
TEST(RenamePassSafety, AFileMovesOnlyOnceItsLogLineIsWhole) {
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
