// cardprep-view run on prepared cards, and its readers and printer on spoilt card files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "testing/temp_card.h"
#include "testing/view/prepared_cards.h"
#include "view/card_reader.h"
#include "view/catalogue_print.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void PutU16At(std::string& bytes, size_t offset, unsigned value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

// Offset of a field of row's record in DIRLST10.DAT (512-byte records after the header). Rows: 0
// root, 1 日本の歌, 2 Empty, 3 Jazz, 4 Rock, 5 Jazz\Best, 6 Rock\Best.
size_t DirField(int row, size_t offset) { return (row + 1) * 512 + offset; }

}  // namespace

// Each card and way of calling: status and a part of the output (every section for model 10).
TEST(ViewTool, ShowsEachModelAndSaysWhatItCannotShow) {
  TempCard work;
  const fs::path empty = work.root() / "empty", bare = work.root() / "bare",
                 several = work.root() / "several";
  for (const fs::path& dir : {empty, bare, several}) fs::create_directories(dir);
  ASSERT_EQ(PrepareCard(bare, 10).status, 0);  // no music at all
  CopyPreparedCard(10, several);
  work.WriteFile("several/DIRLST04.DAT", std::string(256, '\0'));
  work.WriteFile("blocker", "a file, not a folder");
  const fs::path four = PreparedCard(4), eight = PreparedCard(8), ten = PreparedCard(10);
  const std::string usage = "usage: cardprep-view";
  struct Case {
    fs::path dir;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> parts;
  } cases[] = {
      {ten,
       {},
       0,
       {"Card: model 10 (DIRLST10.DAT): 6 folders below the root, 4 with tracks\n\n"
        "Folders:\n  #0 root  4 subfolders\n    #1 00001  \"日本の歌\"  2 tracks\n",
        "      #5 Best  \"Best\"  1 track\n    #4 Rock  \"Rock\"  no tracks\n",
        "Tracks:\n  #1 \\00001  \"日本の歌\": 2 tracks in SNDLST10.DAT, VOLUME10.DAT 255\n"
        "    01  001.MP3       \"Song A\"\n",
        "Random play: 4 folders, starting at #1 (HIST04.DAT: #1)\n    1. #1 \"日本の歌\"\n",
        "  then back to #1\n\nIndex (INDEX10.DAT): 3 groups, 4 folders\n  B: 2 folders\n"
        "    \"Best|Jazz\"  \\Jazz\\Best  1 track\n",
        "Display images:\n  menu (MNUDAT10.DAT): 4 blocks of two items\n"
        "  characters (CHRIMG10.DAT): 564 columns\n"}},
      {four,
       {},
       0,
       {"Card: model 4/6 (DIRLST04.DAT): 6 folders below the root, 4 with tracks\n",
        "    #3 NihonnoU  \"Nihon no Uta\"  2 tracks\n"}},
      {PreparedCard(6), {}, 0, {"in SNDLST04.DAT, VOLUME06.DAT 255\n"}},
      {empty, {"--model", "6", PreparedCard(6).string()}, 0, {"Card: model 6 (DIRLST04.DAT)"}},
      {eight,
       {},
       0,
       {"    #1 00001  \"日本の歌\"  2 tracks  [layout 0, 100 columns]\n",
        "  messages (MSGIMG08.DAT): 4 images of 50 columns\n"}},
      {eight, {"--model", "9"}, 0, {"in SNDLST08.DAT, VOLUME08.DAT 255, VOLUME09.DAT 255\n"}},
      {PreparedCard(12), {}, 0, {"  menu (MNUDAT12.DAT): 6 blocks of two items\n"}},
      {bare,
       {},
       0,
       {"Card: model 10 (DIRLST10.DAT): 0 folders below the root, 0 with tracks\n\n"
        "Folders:\n  #0 root  0 subfolders\n\nTracks:\n\n"
        "Random play: 0 folders (HIST04.DAT: #0)\n\nIndex (INDEX10.DAT): 0 groups, 0 folders\n"}},
      {several, {}, 0, {"note: several folder lists lie on the card; showing model 10"}},
      {ten, {"--model", "8"}, 1, {"error: DIRLST08.DAT: not found\n"}},
      {empty,
       {},
       1,
       {"error: no folder list (DIRLST04.DAT, DIRLST08.DAT or DIRLST10.DAT): not a prepared "
        "card\n"}},
      {empty, {(empty / "missing").string()}, 1, {"missing: cannot open the card folder"}},
      {ten,
       {"--png", (work.root() / "blocker" / "sub").string()},
       1,
       {"cannot make the picture folder"}},
      {ten, {"--model", "10x"}, 2, {usage}},
      {ten, {"a", "b"}, 2, {usage}},
  };
  for (const Case& c : cases) {
    ToolResult r = RunView(c.dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.parts[0];
    for (const std::string& part : c.parts) EXPECT_TRUE(Has(r.output, part)) << r.output;
  }
}

// A bad card file gives one clear line naming it, exit status 1, and no report from the sanitizers.
TEST(ViewTool, BadCardFilesGiveClearLinesAndStatusOne) {
  struct Case {
    const char* file;
    void (*spoil)(std::string&);
    std::string line;
  };
  const Case cases[] = {
      {"DIRLST10.DAT", [](std::string& b) { b.resize(3000); },
       "DIRLST10.DAT: size 3000 is not a whole number of 512-byte records\n"},
      {"DIRLST10.DAT", [](std::string& b) { PutU16At(b, 0, 900); },
       "DIRLST10.DAT: the header counts 900 rows but the file holds 7\n"},
      {"DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(5, 78), 999); },
       "DIRLST10.DAT: row 5 (\\Jazz\\Best): parent link 999 is outside records 1..7\n"},
      {"DIRLST10.DAT",  // Jazz under Jazz\Best, which stays under Jazz
       [](std::string& b) {
         PutU16At(b, DirField(3, 78), 6);
         PutU16At(b, DirField(5, 78), 4);
       },
       "DIRLST10.DAT: row 3 (\\Jazz): its parent links loop and never reach the root\n"},
      {"DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(5, 82), 3); },
       "DIRLST10.DAT: row 5 (\\Jazz\\Best): random link 3 leads back into the chain, not to its "
       "first folder (row 1): the chain loops\n"},
      {"DIRLST10.DAT", [](std::string& b) { b[DirField(6, 84)] = 9; },
       "\\Rock\\Best\\SNDLST10.DAT: record count 1, but the folder list's track count is 9\n"},
      {"INDEX10.DAT", [](std::string& b) { b[4 * 512 + 70] = 50; },
       "INDEX10.DAT: group 3 (日): folders 3..52 are outside the 4 folder records\n"},
      {"MNUDAT10.DAT", [](std::string& b) { b.resize(1000); },
       "MNUDAT10.DAT: size 1000, expected 1536\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TempCard card;
    CopyPreparedCard(10, card.root());
    std::string bytes = card.ReadFile(c.file);
    c.spoil(bytes);
    card.WriteFile(c.file, bytes);
    ToolResult r = RunView(card.root(), {"--png", (card.root() / "pictures").string()});
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(Has(r.output, "error: " + c.line)) << r.output;
    EXPECT_FALSE(Has(r.output, "Sanitizer") || Has(r.output, "runtime error")) << r.output;
  }
}

TEST(CardReader, CountsProblemsBeyondThoseItKeepsAndPrintsControlBytesAsQuestionMarks) {
  ProblemList problems{};
  for (int k = 0; k < kViewMaxProblems + 5; ++k) AddProblem(problems, "problem %d", k);
  EXPECT_EQ(problems.count, kViewMaxProblems + 5);
  EXPECT_STREQ(problems.lines[kViewMaxProblems - 1], "problem 99");
  testing::internal::CaptureStdout();
  PrintProblems(problems);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(Has(out, "error: problem 0\n") && Has(out, "error: and 5 more problems\n")) << out;
  char text[16];
  PrintableText("A\x1B[2J\x7F\x42", text, sizeof text);
  EXPECT_STREQ(text, "A?[2J?B");
  PrintableText("\x93\xfa\x96\x7b", text, sizeof text);  // 日本: trail bytes are kept
  EXPECT_STREQ(text, "\x93\xfa\x96\x7b");
  PrintableText("ABCDEFGH", text, 4);
  EXPECT_STREQ(text, "ABC");
}

// Spoilt links and counts, or cut files, never make the reader or printer overrun or loop.
TEST(CardReader, RandomlySpoiltFilesNeverCrashOrHang) {
  std::mt19937 random(12345);
  const char* files[] = {"DIRLST10.DAT", "INDEX10.DAT", "00001/SNDLST10.DAT", "HIST04.DAT"};
  for (int round = 0; round < 40; ++round) {
    TempCard copy;  // the current directory while it lives
    CopyPreparedCard(10, copy.root());
    const std::string file = files[round % 4];
    std::string bytes = copy.ReadFile(file);
    if (round % 5 == 4) {
      bytes.resize(random() % (bytes.size() + 1));
    } else {
      for (int k = 0; k < 12; ++k) {
        const size_t at = (random() % (bytes.size() / 64 + 1)) * 64 + 60 + random() % 30;
        bytes[std::min(bytes.size() - 1, at)] = static_cast<char>(random());
      }
    }
    copy.WriteFile(file, bytes);
    auto card = std::make_unique<CardContents>();
    auto problems = std::make_unique<ProblemList>();
    card->model = ModelFromNumber(10);
    if (!ReadCard(*card, *problems)) continue;
    testing::internal::CaptureStdout();
    PrintCatalogue(*card, *problems);
    PrintProblems(*problems);
    EXPECT_TRUE(Has(testing::internal::GetCapturedStdout(), "Random play:")) << round;
  }
}
