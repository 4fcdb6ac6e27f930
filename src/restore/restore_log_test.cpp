// Restore's reading and rewriting of the rename logs, and rewrites cut short at any point.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/host.h"
#include "restore/log_rewrite.h"
#include "restore/restore_moves.h"
#include "restore/restore_plan.h"
#include "testing/rename_card.h"
#include "testing/temp_card.h"

namespace {

constexpr char16_t kLog[] = u"F\\RENFIL04.LOG";
const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::unique_ptr<FileLog> Read(const TempCard& card, const std::string& bytes,
                              LogRead expected = LogRead::kRead) {
  card.WriteFile("F/RENFIL04.LOG", bytes);
  HostForgetFolderNames();
  auto log = std::make_unique<FileLog>();
  EXPECT_EQ(ReadFileLog(kLog, *log), expected);
  return log;
}

// The line's two names, or "-" when it names no move.
std::string Parsed(const LogLine& line) {
  char16_t newName[kRestoreNameUnits];
  char16_t oldName[kRestoreNameUnits];
  if (!ParseLogLine(line, newName, oldName)) return "-";
  return ToUtf8(newName) + "|" + ToUtf8(oldName);
}

TEST(RestoreLog, OnlyWholeLinesOfTwoBareNamesNameAMoveInALogThatFits) {
  TempCard card;
  auto log = Read(card, Utf16Log("001.MP3\tMy Song.mp3\nno tab\n002.MP3\t\n\t003.mp3\n"
                                 "004.MP3\t..\n005.MP3\ta\\b.mp3\n006.MP3\t日本の歌.mp3\n") +
                            Utf16Log("007.MP3\t").substr(2) +
                            std::string("\0\0x\0\r\0\n\0", 8) +  // a unit 0
                            Utf16Log("007.MP3\tcut sho").substr(2));
  ASSERT_EQ(log->count, 9);
  const char* expected[] = {"001.MP3|My Song.mp3",  "-", "-", "-", "-", "-",
                            "006.MP3|日本の歌.mp3", "-", "-"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Parsed(log->lines[i]), expected[i]) << i;
  EXPECT_FALSE(log->lines[8].ended);  // the last, cut short by a stopped run

  log = Read(card, kUtf8Mark + "008.MP3\tcaf\xC3\xA9.mp3\r\n");  // UTF-8 after its mark
  EXPECT_EQ(Parsed(log->lines[0]), "008.MP3|café.mp3");
  std::string many;  // A log that does not fit is not used at all.
  for (int i = 0; i <= kMaxLogLines; ++i) many += "001.MP3\tx.mp3\n";
  EXPECT_EQ(Read(card, Utf16Log(many), LogRead::kUnusable)->count, 0);
  Read(card, Utf16Log("001.MP3\t" + std::string(kLogLineUnits, 'L') + "\n"), LogRead::kUnusable);
}

std::string RestoreF(int expectedLeft) {
  HostForgetFolderNames();  // the test changes the card behind the host's back
  RestoreRun run{};
  testing::internal::CaptureStdout();
  RestoreFileNames(run, u"F");
  std::string out = GetCapturedConsole();
  EXPECT_EQ(run.left, expectedLeft) << out;
  return out;
}

TEST(RestoreLog, ALineItCannotReadComesBackByteForByteRunAfterRun) {
  TempCard card;
  // What a card pulled mid-write leaves: units 0 before a line. In a log saved as UTF-8, bytes that
  // are no character (a Latin-1 é, a character cut short); the log stays UTF-8.
  std::string zeros(16, '\0');
  const std::string logs[][2] = {{"\xFF\xFE" + zeros + Utf16Log("002.MP3\tB Song.mp3\n").substr(2),
                                  Utf16Log("003.MP3\tcaf\xC3\xA9.mp3\n001.MP3\ta.mp3\n").substr(2)},
                                 {kUtf8Mark + "002.MP3\tB \xE9 \xE3\x81 Song.mp3\r\n",
                                  "003.MP3\tcaf\xC3\xA9.mp3\r\n001.MP3\ta.mp3\n"}};
  for (const auto& [unreadable, readable] : logs) {
    card.WriteFile("F/RENFIL04.LOG", unreadable + readable);
    for (const char* name : {"001.MP3", "002.MP3", "003.MP3"})
      card.WriteFile("F/" + std::string(name), name);
    for (int run = 0; run < 2; ++run) {
      EXPECT_NE(RestoreF(1).find("002.MP3"), std::string::npos);
      EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), unreadable) << run;
      EXPECT_TRUE(card.Exists("F/a.mp3") && card.Exists("F/café.mp3") && card.Exists("F/002.MP3"));
    }
    char16_t oldName[kRestoreNameUnits];
    card.WriteFile("F/RENDIR04.LOG", unreadable);
    EXPECT_FALSE(ReadFolderLog(u"F\\RENDIR04.LOG", oldName));
    std::filesystem::remove_all(card.root() / "F");
  }
}

TEST(RestoreLog, RewriteKeepsTheLinesNotUndoneAndARewriteCutShortLosesNone) {
  TempCard card;
  auto log =
      Read(card, Utf16Log("001.MP3\ta.mp3\n002.MP3\tb.mp3\n") + Utf16Log("003.MP3\tcut").substr(2));
  log->undone[1] = true;
  ASSERT_EQ(RewriteFileLog(u"F", *log), Rewrite::kDone);
  // The cut line goes: written whole before its move, it names a move never made.
  std::string kept = Utf16Log("001.MP3\ta.mp3\n");
  EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), kept);
  const std::string side = "F/" + ToUtf8(kSideFileName);
  EXPECT_FALSE(card.Exists(side));
  auto recover = [] {
    HostForgetFolderNames();
    return RecoverFileLog(u"F");
  };
  // Stopped with the side file made (cut anywhere, or whole) and the old log still there: the old
  // log holds every line not undone, the side file goes.
  std::string longer = Utf16Log("001.MP3\ta.mp3\n002.MP3\tb.mp3\n");
  card.WriteFile("F/RENFIL04.LOG", longer);
  for (size_t cut : {size_t{0}, size_t{1}, size_t{9}, kept.size() - 2, kept.size()}) {
    card.WriteFile(side, kept.substr(0, cut));
    ASSERT_TRUE(recover()) << cut;
    EXPECT_FALSE(card.Exists(side));
    EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), longer);
  }
  // The same in a log saved as UTF-8, cut inside a character too.
  const std::string utf8 = kUtf8Mark + "001.MP3\t\xE6\x97\xA5.mp3\r\n";
  card.WriteFile("F/RENFIL04.LOG", utf8 + "002.MP3\tb.mp3\r\n");
  log = Read(card, utf8 + "002.MP3\tb.mp3\r\n");
  log->undone[1] = true;
  ASSERT_EQ(RewriteFileLog(u"F", *log), Rewrite::kDone);
  EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), utf8);
  for (size_t cut : {size_t{2}, size_t{12}, size_t{13}, utf8.size() - 1}) {
    card.WriteFile("F/RENFIL04.LOG", utf8 + "002.MP3\tb.mp3\r\n");
    card.WriteFile(side, utf8.substr(0, cut));
    ASSERT_TRUE(recover()) << cut;
    EXPECT_FALSE(card.Exists(side));
  }
  card.WriteFile("F/RENFIL04.LOG", longer);
  // Stopped after the old log went: the side file is the log.
  std::filesystem::rename(card.root() / "F" / "RENFIL04.LOG", card.root() / side);
  ASSERT_TRUE(recover());
  EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), longer);
  // Of that name (or the old side file's) but no rewrite of the log: a file of the user's, kept.
  card.WriteFile("F/RENFIL04.NEW", Utf16Log("001.MP3\ta.mp3\n"));
  for (const std::string& notOurs : {std::string("my notes"), Utf16Log("009.MP3\tz.mp3\n")}) {
    card.WriteFile(side, notOurs);
    EXPECT_FALSE(recover());
    EXPECT_EQ(RewriteFileLog(u"F", *log), Rewrite::kInTheWay);
    EXPECT_EQ(card.ReadFile(side), notOurs);
    EXPECT_EQ(card.ReadFile("F/RENFIL04.LOG"), longer);
  }
  card.WriteFile("F/001.MP3", "1");
  card.WriteFile("F/002.MP3", "2");
  EXPECT_NE(RestoreF(1).find(ToUtf8(kSideFileName)), std::string::npos);  // named, not the log
  std::filesystem::remove(card.root() / side);
  RestoreF(0);
  EXPECT_TRUE(card.Exists("F/a.mp3") && card.Exists("F/b.mp3"));
  EXPECT_FALSE(card.Exists("F/RENFIL04.LOG"));
  EXPECT_EQ(card.ReadFile("F/RENFIL04.NEW"), Utf16Log("001.MP3\ta.mp3\n"));
}

}  // namespace
