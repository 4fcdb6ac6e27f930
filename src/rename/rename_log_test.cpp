#include "rename/rename_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "state/run_state.h"
#include "testing/rename_card.h"

namespace {

enum class Form { kUtf16WithMark, kUtf16NoMark, kUtf8WithMark };

// Log text written with '\n' as a file's bytes in the given form.
std::string LogBytes(const std::string& text, Form form, bool crlf) {
  std::string lines, bytes = form == Form::kUtf16WithMark ? "\xFF\xFE" : "";
  for (char c : text) lines += (c == '\n' && crlf) ? "\r\n" : std::string(1, c);
  if (form == Form::kUtf8WithMark) return "\xEF\xBB\xBF" + lines;
  for (char16_t u : ToUtf16(lines)) bytes += {char(u & 0xFF), char(u >> 8)};
  return bytes;
}

// The lookup's answer, marked when no log line matched.
std::string Lookup(const RunState& state, const std::string& shortName) {
  char out[257];
  bool found = FindPreRenameName(state, shortName.c_str(), out);
  return std::string(out) + (found ? "" : " (no line)");
}

class FileRenameLog : public ::testing::TestWithParam<std::pair<Form, bool>> {};

// The last line lacks its line end: a write cut short, before its move.
TEST_P(FileRenameLog, ReadsEveryEncodingAndLineEndAndTheNewestLineWinsButNoCutLine) {
  TempCard card;
  auto [form, crlf] = GetParam();
  card.WriteFile("A/RENFIL04.LOG", LogBytes("001.MP3\tA.mp3\n002.MP3\t日本の歌.mp3\nno tab here\n"
                                            "001.MP3\tB.mp3\nFIFTEEN_BYT.MP3\tC.mp3\n"
                                            "002.MP3\tD so",
                                            form, crlf));
  auto state = std::make_unique<RunState>();
  ASSERT_TRUE(ReadFileRenameLog(*state, "A"));
  EXPECT_EQ(state->fileRenameCount, 3);  // a row per short name
  EXPECT_EQ(Lookup(*state, "001.MP3"), "B.mp3");
  EXPECT_EQ(Lookup(*state, "002.MP3"), ToCp932("日本の歌.mp3"));
  EXPECT_EQ(Lookup(*state, "FIFTEEN_BYT.MP3"), "C.mp3");  // the longest short name a row holds
  // Exact bytes only: not another case, nor a name one byte shorter or longer.
  for (const char* other : {"001.mp3", "001.MP", "001.MP3X", "FIFTEEN_BYT.MP3X"})
    EXPECT_EQ(Lookup(*state, other), std::string(other) + " (no line)");
  // A folder's log cut short names no old name either.
  card.WriteFile("A/RENDIR04.LOG", LogBytes("Best of 77 Li", form, crlf));
  char folderName[33] = {};
  ReadFolderRenameLog("A", folderName);
  EXPECT_STREQ(folderName, "");
}

INSTANTIATE_TEST_SUITE_P(Forms, FileRenameLog,
                         ::testing::Values(std::pair{Form::kUtf16WithMark, true},
                                           std::pair{Form::kUtf16NoMark, false},
                                           std::pair{Form::kUtf16NoMark, true},
                                           std::pair{Form::kUtf8WithMark, false}));

TEST(FileRenameLogLimits, LongNamesAreCutAndLongLinesReadInPieces) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  std::string longName;
  for (int i = 0; i < 75; ++i) longName += "曲";  // 150 bytes in code page 932
  std::string text = "001.MP3\t" + longName + "\n" +
                     "TOO-LONG-FOR-A-SHORT-NAME\tx.mp3\n" +       // skipped
                     "002.MP3\t" + std::string(300, 'x') + "\n";  // read in pieces of 255 units
  card.WriteFile("RENFIL04.LOG", Utf16Log(text));
  ASSERT_TRUE(ReadFileRenameLog(*state, "."));
  EXPECT_EQ(state->fileRenameCount, 2);
  EXPECT_EQ(Lookup(*state, "001.MP3"), ToCp932(longName).substr(0, 129));  // bytes
  EXPECT_EQ(Lookup(*state, "002.MP3"), std::string(129, 'x'));
}

}  // namespace
