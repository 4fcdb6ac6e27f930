#include "rename/rename_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/rename_card.h"

namespace {

enum class Form { kUtf16WithMark, kUtf16NoMark, kUtf8WithMark };

// Log text written with '\n' as the file's bytes in the given form.
std::string LogBytes(const std::string& text, Form form, bool crlf) {
  std::string lines;
  for (char c : text) lines += (c == '\n' && crlf) ? "\r\n" : std::string(1, c);
  if (form == Form::kUtf8WithMark) return "\xEF\xBB\xBF" + lines;
  std::string bytes = form == Form::kUtf16WithMark ? "\xFF\xFE" : "";
  for (char16_t u : ToUtf16(lines))
    bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return bytes;
}

std::string Lookup(const RunState& state, const std::string& shortName, bool* found) {
  char out[257];
  *found = FindPreRenameName(state, shortName.c_str(), out);
  return out;
}

class FileRenameLog : public ::testing::TestWithParam<std::pair<Form, bool>> {};

TEST_P(FileRenameLog, ReadsEveryEncodingAndLineEndAndTheFirstLineWins) {
  TempCard card;
  auto [form, crlf] = GetParam();
  card.WriteFile(
      "A/RENFIL04.LOG",
      LogBytes("001.MP3\tA.mp3\n002.MP3\t日本の歌.mp3\nno tab here\n001.MP3\tB.mp3\n", form, crlf));
  auto state = std::make_unique<RunState>();
  ASSERT_TRUE(ReadFileRenameLog(*state, "A"));
  EXPECT_EQ(state->fileRenameCount, 3);
  bool found;
  EXPECT_EQ(Lookup(*state, "001.MP3", &found), "A.mp3");
  EXPECT_TRUE(found);
  EXPECT_EQ(Lookup(*state, "002.MP3", &found), ToCp932("日本の歌.mp3"));
  // Exact bytes: another case or a name without a line gives itself back.
  EXPECT_EQ(Lookup(*state, "001.mp3", &found), "001.mp3");
  EXPECT_FALSE(found);
}

INSTANTIATE_TEST_SUITE_P(Forms, FileRenameLog,
                         ::testing::Values(std::pair{Form::kUtf16WithMark, true},
                                           std::pair{Form::kUtf16NoMark, false},
                                           std::pair{Form::kUtf16NoMark, true},
                                           std::pair{Form::kUtf8WithMark, false}));

TEST(FileRenameLogLimits, MissingOrMarkOnlyLogsGiveAnEmptyTable) {
  TempCard card;
  card.WriteFile("RENFIL04.LOG", "\xFF\xFE");
  auto state = std::make_unique<RunState>();
  state->fileRenameCount = 7;
  EXPECT_TRUE(ReadFileRenameLog(*state, "."));
  EXPECT_EQ(state->fileRenameCount, 0);
  state->fileRenameCount = 5;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ReadFileRenameLog(*state, "NOPE"));
  EXPECT_EQ(GetCapturedConsole(), "RENFIL04.LOGのオープンでエラー NOPE\n");
  EXPECT_EQ(state->fileRenameCount, 0);
}

TEST(FileRenameLogLimits, CutsOldNamesAt129BytesAndKeepsTheFirst256Rows) {
  TempCard card;
  std::string longName;
  for (int i = 0; i < 75; ++i) longName += "曲";  // 150 bytes in code page 932
  std::string text = "001.MP3\t" + longName + "\n";
  text += "TOO-LONG-FOR-A-SHORT-NAME\tx.mp3\n";        // skipped
  text += "002.MP3\t" + std::string(300, 'x') + "\n";  // read in pieces of 255 units
  for (int i = 3; i <= 300; ++i)
    text += std::to_string(1000 + i) + ".MP3\tT" + std::to_string(i) + "\n";
  card.WriteFile("RENFIL04.LOG", Utf16Log(text));
  auto state = std::make_unique<RunState>();
  ASSERT_TRUE(ReadFileRenameLog(*state, "."));
  EXPECT_EQ(state->fileRenameCount, 256);
  bool found;
  EXPECT_EQ(Lookup(*state, "001.MP3", &found), ToCp932(longName).substr(0, 129));  // bytes
  EXPECT_EQ(Lookup(*state, "002.MP3", &found), std::string(129, 'x'));
  EXPECT_EQ(Lookup(*state, "1256.MP3", &found), "T256");
  EXPECT_EQ(Lookup(*state, "1257.MP3", &found), "1257.MP3");
  EXPECT_FALSE(found);
}

TEST(FolderRenameLog, GivesTheFirstLineCutTo32Bytes) {
  TempCard card;
  auto folderName = [](const char* folder) {
    char out[33];
    std::memset(out, 0, sizeof out);
    ReadFolderRenameLog(folder, out);
    return std::string(out);
  };
  card.WriteFile("J/RENDIR04.LOG", Utf16Log("あいうえおかきくけこさしすせそたちつてと\nsecond\n"));
  EXPECT_EQ(folderName("J"), ToCp932("あいうえおかきくけこさしすせそた"));
  card.WriteFile("U/RENDIR04.LOG",
                 "\xEF\xBB\xBF"
                 "Best of 77 Live\n");
  EXPECT_EQ(folderName("U"), "Best of 77 Live");
  card.WriteFile("E/RENDIR04.LOG", "");
  EXPECT_EQ(folderName("E"), "");
  EXPECT_EQ(folderName("MISSING"), "");
}

}  // namespace
