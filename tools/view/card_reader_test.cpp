// The record readers on cards the real cardprep prepared, and on copies
// whose files were spoilt.
#include "tools/view/card_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "testing/temp_card.h"
#include "tools/view/catalogue_print.h"
#include "tools/view/prepared_cards.h"

namespace fs = std::filesystem;

namespace {

struct ReadResult {
  std::unique_ptr<CardContents> card = std::make_unique<CardContents>();
  std::unique_ptr<ProblemList> problems = std::make_unique<ProblemList>();
  bool ok = false;
};

ReadResult ReadIn(const fs::path& dir, int model) {
  InCard in(dir);
  ReadResult r;
  r.card->model = ModelFromNumber(model);
  r.ok = ReadCard(*r.card, *r.problems);
  return r;
}

std::string Problems(const ProblemList& p) {
  std::string all;
  for (int k = 0; k < p.count && k < kViewMaxProblems; ++k) all += FromCp932(p.lines[k]) + "\n";
  return all;
}

}  // namespace

TEST(CardReader, DetectsTheModelFromTheFilesInTheRoot) {
  for (int model : {4, 6, 8, 10, 12}) {
    InCard in(PreparedCard(model));
    bool others = true;
    CardModel detected = DetectCardModel(others);
    EXPECT_FALSE(others);
    EXPECT_EQ(detected.model, model == 6 ? 4 : model);
    EXPECT_EQ(detected.fourOrSix, model <= 6);
    EXPECT_STREQ(ModelName(detected), model <= 6 ? "4/6" : std::to_string(model).c_str());
  }
  TempCard empty;
  bool others = true;
  EXPECT_EQ(DetectCardModel(others).model, 0);
  EXPECT_FALSE(others);
}

TEST(CardReader, ReadsTheRowsLinksChainAndIndexOfAPreparedCard) {
  ReadResult r = ReadIn(PreparedCard(10), 10);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.problems->count, 0) << Problems(*r.problems);
  const FolderList& list = r.card->folders;
  ASSERT_EQ(list.rowCount, 7);
  EXPECT_EQ(list.headerRows, 7);
  EXPECT_EQ(list.headerRandomCount, 4);
  const FolderRecord& first = list.rows[1];
  EXPECT_STREQ(first.path, "\\00001");
  EXPECT_EQ(first.pathLength, 6);
  EXPECT_STREQ(first.shortName, "00001");
  EXPECT_EQ(FromCp932(first.displayName), "日本の歌");
  EXPECT_EQ(first.trackCount, 2);
  EXPECT_EQ(ParentRow(list, 5), 3);  // Jazz\Best under Jazz
  EXPECT_EQ(list.rows[5].grandparent, 1);
  EXPECT_EQ(list.rows[3].firstChild, 6);
  EXPECT_EQ(list.rows[0].childCount, 4);

  // Four folders with tracks: no shuffle, the chain follows the rows.
  const RandomChain& chain = r.card->chain;
  ASSERT_EQ(chain.length, 4);
  EXPECT_EQ(chain.rows[0], 1);
  EXPECT_EQ(chain.rows[1], 3);
  EXPECT_EQ(chain.rows[2], 5);
  EXPECT_EQ(chain.rows[3], 6);
  EXPECT_TRUE(chain.closed);
  EXPECT_TRUE(r.card->history.present);
  EXPECT_EQ(r.card->history.startRow, 1);

  // The index's groups and folders are checked as printed (view_tool_test).
  EXPECT_TRUE(r.card->index.present);
  EXPECT_EQ(r.card->index.groups[2].firstFolderRecord, 3 + 3 + 2);
  EXPECT_TRUE(r.card->display.hasMenu);
  EXPECT_TRUE(r.card->display.hasCharacters);
  EXPECT_EQ(r.card->display.characterColumns, 94 * 6);
}

TEST(CardReader, ReadsTrackListsAndVolumesThroughThePathField) {
  for (int model : {4, 8}) {
    SCOPED_TRACE(model);
    ReadResult r = ReadIn(PreparedCard(model), model);
    ASSERT_TRUE(r.ok);
    InCard in(PreparedCard(model));
    // Row 1 on the graphic models, row 3 (Nihon no Uta) on 4 and 6.
    const FolderRecord& folder = r.card->folders.rows[model >= 8 ? 1 : 3];
    TrackList& tracks = r.card->tracks;
    ProblemList problems{};
    ASSERT_TRUE(ReadTrackList(r.card->model, folder, tracks, &problems));
    EXPECT_EQ(problems.count, 0) << Problems(problems);
    ASSERT_EQ(tracks.count, 2);
    EXPECT_STREQ(tracks.tracks[0].shortName, "001.MP3");
    EXPECT_STREQ(tracks.tracks[1].number, "02");
    EXPECT_STREQ(tracks.tracks[0].title, "Song A");
    EXPECT_EQ(FromCp932(tracks.tracks[1].title), model >= 8 ? "もう一つの歌" : "002.MP3");
    if (model == 8) {
      EXPECT_EQ(tracks.tracks[0].imageLayout, 0);  // six bytes: the 16-row fonts
      EXPECT_EQ(tracks.tracks[0].imageWidth, 100);
    }
    VolumeFile volumes[2];
    EXPECT_EQ(ReadVolumeFiles(r.card->model, folder, volumes, &problems), model == 8 ? 2 : 1);
    EXPECT_EQ(volumes[0].value, 255);
    EXPECT_EQ(problems.count, 0) << Problems(problems);
  }
}

TEST(CardReader, AnEmptyChainAndNoFoldersHoldTogether) {
  // A card with no music: the root row alone, no chain, an index with no
  // groups.
  TempCard card;
  fs::copy(PreparedCard(10) / "_FONT", card.root() / "_FONT", fs::copy_options::recursive);
  ToolResult prep = RunTool(CARDPREP_EXE, {}, card.root().string(), "go\n10\n0\n");
  ASSERT_EQ(prep.status, 0);
  ReadResult r = ReadIn(card.root(), 10);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.problems->count, 0) << Problems(*r.problems);
  EXPECT_EQ(r.card->folders.rowCount, 1);
  EXPECT_EQ(r.card->chain.length, 0);
  EXPECT_TRUE(r.card->index.present);
  EXPECT_EQ(r.card->index.groupCount, 0);
  EXPECT_EQ(r.card->history.startRow, 0);
}

TEST(CardReader, CountsProblemsBeyondThoseItKeeps) {
  ProblemList problems{};
  for (int k = 0; k < kViewMaxProblems + 5; ++k) AddProblem(problems, "problem %d", k);
  EXPECT_EQ(problems.count, kViewMaxProblems + 5);
  EXPECT_STREQ(problems.lines[kViewMaxProblems - 1], "problem 99");
  testing::internal::CaptureStdout();
  PrintProblems(problems);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("error: problem 0\n"), std::string::npos);
  EXPECT_NE(out.find("error: and 5 more problems\n"), std::string::npos);
}

TEST(CardReader, ControlBytesInCardTextArePrintedAsQuestionMarks) {
  char out[16];
  PrintableText("A\x1B[2J\x7F" "B", out, sizeof out);
  EXPECT_STREQ(out, "A?[2J?B");
  PrintableText("\x93\xfa\x96\x7b", out, sizeof out);  // 日本: trail bytes are kept
  EXPECT_STREQ(out, "\x93\xfa\x96\x7b");
  PrintableText("ABCDEFGH", out, 4);
  EXPECT_STREQ(out, "ABC");
}

// Spoilt bytes anywhere in the card files never make the reader or the
// printer read past a record or loop: each run ends with its lines.
TEST(CardReader, RandomlySpoiltFilesNeverCrashOrHang) {
  std::mt19937 random(12345);
  const char* files[] = {"DIRLST10.DAT", "INDEX10.DAT", "00001/SNDLST10.DAT", "HIST04.DAT"};
  for (int round = 0; round < 40; ++round) {
    CardCopy card(10);
    const std::string file = files[round % 4];
    std::string bytes = card.Read(file);
    if (round % 5 == 4) {
      bytes.resize(random() % (bytes.size() + 1));
    } else {
      // Spoil the link and count fields of the records rather than their
      // images, where a wrong byte matters.
      for (int k = 0; k < 12; ++k) {
        const size_t record = random() % (bytes.size() / 64 + 1);
        const size_t at = std::min(bytes.size() - 1, record * 64 + 60 + random() % 30);
        bytes[at] = static_cast<char>(random());
      }
    }
    card.Write(file, bytes);
    ReadResult r = ReadIn(card.root(), 10);
    if (!r.ok) continue;
    InCard in(card.root());
    testing::internal::CaptureStdout();
    PrintCatalogue(*r.card, *r.problems);
    PrintProblems(*r.problems);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Random play:"), std::string::npos) << round;
  }
}
