// cardprep-view as a user runs it, on cards the real cardprep prepared.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "testing/temp_card.h"
#include "tools/view/png_writer.h"
#include "tools/view/prepared_cards.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int CountLines(const std::string& text, const std::string& prefix) {
  int n = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, prefix.size(), prefix) == 0) ++n;
    at = end + 1;
  }
  return n;
}

constexpr size_t kDirRecord = 512;  // DIRLST10.DAT

// Rows of the sample card (models 8, 10, 12): 0 root, 1 日本の歌, 2 Empty,
// 3 Jazz, 4 Rock, 5 Jazz\Best, 6 Rock\Best.
size_t DirField(int row, size_t offset) { return (row + 1) * kDirRecord + offset; }

}  // namespace

TEST(ViewTool, PrintsTheFolderTreeTracksAndChainOfEveryModel) {
  for (int model : {4, 6, 8, 10, 12}) {
    SCOPED_TRACE(model);
    ToolResult r = RunView(PreparedCard(model));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(CountLines(r.output, "error:"), 0) << r.output;
    const bool graphic = model >= 8;
    const std::string list = model == 8 ? "DIRLST08.DAT" : graphic ? "DIRLST10.DAT" : "DIRLST04.DAT";
    const std::string name = model >= 8 ? std::to_string(model) : "4/6";
    EXPECT_TRUE(Has(r.output, "Card: model " + name + " (" + list +
                                  "): 6 folders below the root, 4 with tracks\n"))
        << r.output;
    const std::string first = graphic ? "\"日本の歌\"  2 tracks" : "\"Nihon no Uta\"  2 tracks";
    EXPECT_TRUE(Has(r.output, first)) << r.output;
    EXPECT_TRUE(Has(r.output, "    #3 Jazz  \"Jazz\"  1 track") ||
                Has(r.output, "    #2 Jazz  \"Jazz\"  1 track"))
        << r.output;
    EXPECT_TRUE(Has(r.output, "      #6 Best  \"Best\"  1 track")) << r.output;
    EXPECT_TRUE(Has(r.output, "\"Empty\"  no tracks")) << r.output;
    EXPECT_TRUE(Has(r.output, "    01  001.MP3       \"Song A\"")) << r.output;
    EXPECT_TRUE(Has(r.output, graphic ? "    02  002.MP3       \"もう一つの歌\""
                                      : "    02  002.MP3       \"002.MP3\""))
        << r.output;
    EXPECT_TRUE(Has(r.output, "    01  001.MP3       \"Highway\"")) << r.output;
    EXPECT_TRUE(Has(r.output, "Random play: 4 folders, starting at #")) << r.output;
    EXPECT_TRUE(Has(r.output, "  then back to #")) << r.output;
    EXPECT_EQ(Has(r.output, "Index (INDEX10.DAT): 3 groups, 4 folders\n"), model >= 10) << r.output;
  }
}

TEST(ViewTool, ShowsTheIndexGroupsWithNamesakeTitles) {
  ToolResult r = RunView(PreparedCard(10));
  EXPECT_TRUE(Has(r.output,
                  "  B: 2 folders\n"
                  "    \"Best|Jazz\"  \\Jazz\\Best  1 track\n"
                  "    \"Best|Rock\"  \\Rock\\Best  1 track\n"
                  "  J: 1 folder\n"
                  "    \"Jazz\"  \\Jazz  1 track\n"
                  "  日: 1 folder\n"
                  "    \"日本の歌\"  \\00001  2 tracks\n"))
      << r.output;
  EXPECT_TRUE(Has(r.output, "  menu (MNUDAT10.DAT): 4 blocks of two items\n"));
  EXPECT_TRUE(Has(r.output, "  characters (CHRIMG10.DAT): 564 columns\n"));
}

TEST(ViewTool, TakesTheModelAndTheCardFromItsArguments) {
  // Model 6 cannot be told from model 4 by the folder list; its volume
  // files tell it when the model is given.
  ToolResult r = RunView(fs::temp_directory_path(), {"--model", "6", PreparedCard(6).string()});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r.output, "Card: model 6 (DIRLST04.DAT)")) << r.output;
  EXPECT_TRUE(Has(r.output, "in SNDLST04.DAT, VOLUME06.DAT 255\n")) << r.output;

  r = RunView(PreparedCard(8), {"--model", "9"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r.output, "in SNDLST08.DAT, VOLUME08.DAT 255, VOLUME09.DAT 255\n")) << r.output;

  // A model whose files the card does not hold.
  r = RunView(PreparedCard(10), {"--model", "8"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "error: DIRLST08.DAT: not found\n");

  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--model", "7"}, {"--model"}, {"--bogus"}, {"a", "b"}, {"--model", "10x"}}) {
    r = RunView(PreparedCard(10), args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_TRUE(Has(r.output, "usage: cardprep-view")) << r.output;
  }
}

TEST(ViewTool, SaysWhenTheFolderIsNoPreparedCard) {
  TempCard folder;
  const fs::path& empty = folder.root();
  ToolResult r = RunView(empty);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "error: no folder list (DIRLST04.DAT, DIRLST08.DAT or DIRLST10.DAT): not a prepared card\n");
  r = RunView(empty, {(empty / "missing").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.output, "missing: cannot open the card folder")) << r.output;
}

TEST(ViewTool, NamesTheListItShowsWhenSeveralLieOnTheCard) {
  CardCopy card(10);
  card.Write("DIRLST04.DAT", std::string(256, '\0'));
  ToolResult r = RunView(card.root());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Has(r.output, "note: several folder lists lie on the card; showing model 10")) << r.output;
}

TEST(ViewTool, WritesDisplayPicturesAtTheModelsSizes) {
  struct Expect {
    int model;
    const char* file;
    int columns;
    int rows;
  };
  const Expect expects[] = {
      {10, "folder-001.png", 128, 24},          {10, "folder-001-track-02.png", 128, 24},
      {10, "index-group-03.png", 128, 24},      {10, "index-folder-004.png", 128, 24},
      {10, "menu-4.png", 128, 24},              {10, "characters.png", 564, 16},
      {12, "menu-3.png", 128, 16},              {12, "menu-5.png", 128, 24},
      {8, "folder-001.png", 100, 16},           {8, "folder-001-strip.png", 128, 8},
      {8, "folder-006-track-01-strip.png", 128, 8}, {8, "message-4.png", 50, 8},
  };
  std::map<int, int> counts = {{10, 7 + 5 + 3 + 4 + 4 + 1}, {12, 7 + 5 + 3 + 4 + 6}, {8, 2 * (7 + 5) + 4}};
  TempCard pictures;
  for (const auto& [model, count] : counts) {
    const fs::path dir = pictures.root() / std::to_string(model);
    ToolResult r = RunView(PreparedCard(model), {"--png", dir.string()});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(Has(r.output, "Pictures: " + std::to_string(count) + " PNG files in " + dir.string()))
        << r.output;
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, count) << model;
    for (const Expect& e : expects) {
      if (e.model != model) continue;
      PngPicture picture;
      ASSERT_TRUE(ReadPng((dir / e.file).c_str(), picture)) << e.file;
      EXPECT_EQ(picture.width, e.columns * 5 + 1) << e.file;
      EXPECT_EQ(picture.height, e.rows * 5 + 1) << e.file;
    }
  }
  // Model 4 and 6 cards carry no images.
  ToolResult r = RunView(PreparedCard(4), {"--png", (pictures.root() / "4").string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Has(r.output, "Pictures: 0 PNG files")) << r.output;
}

TEST(ViewTool, SaysWhenAPictureCannotBeWritten) {
  CardCopy card(10);
  fs::path blocker = card.root() / "pictures";
  card.Write("pictures", "a file, not a folder");
  ToolResult r = RunView(card.root(), {"--png", (blocker / "sub").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.output, "cannot make the picture folder")) << r.output;
}

// A bad card file gives one clear line naming it, exit status 1, and no
// report from the sanitizers.
TEST(ViewTool, BadCardFilesGiveClearLinesAndStatusOne) {
  struct Case {
    const char* what;
    std::function<void(const CardCopy&)> spoil;
    std::string line;
  };
  auto edit = [](const CardCopy& card, const char* file, const std::function<void(std::string&)>& f) {
    std::string bytes = card.Read(file);
    f(bytes);
    card.Write(file, bytes);
  };
  const Case cases[] = {
      {"truncated folder list",
       [&](const CardCopy& c) { edit(c, "DIRLST10.DAT", [](std::string& b) { b.resize(3000); }); },
       "error: DIRLST10.DAT: size 3000 is not a whole number of 512-byte records\n"},
      {"folder list without a root",
       [&](const CardCopy& c) { edit(c, "DIRLST10.DAT", [](std::string& b) { b.resize(700); }); },
       "error: DIRLST10.DAT: size 700, too short for the header and the root record (512 bytes each)\n"},
      {"bogus row count",
       [&](const CardCopy& c) { edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, 0, 900); }); },
       "error: DIRLST10.DAT: the header counts 900 rows but the file holds 7\n"},
      {"bogus random count",
       [&](const CardCopy& c) { edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, 2, 65535); }); },
       "error: DIRLST10.DAT: the header counts 65535 folders with tracks but 4 rows have tracks\n"},
      {"parent link outside",
       [&](const CardCopy& c) {
         edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(5, 78), 999); });
       },
       "error: DIRLST10.DAT: row 5 (\\Jazz\\Best): parent link 999 is outside records 1..7\n"},
      {"first-child link outside",
       [&](const CardCopy& c) {
         edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(3, 75), 8); });
       },
       "error: DIRLST10.DAT: row 3 (\\Jazz): first-child link 8 and subfolder count 1 reach outside records 2..7\n"},
      {"parent loop",
       [&](const CardCopy& c) {
         edit(c, "DIRLST10.DAT", [](std::string& b) {
           PutU16At(b, DirField(3, 78), 6);  // Jazz under Jazz\Best,
           PutU16At(b, DirField(5, 78), 4);  // which stays under Jazz
         });
       },
       "error: DIRLST10.DAT: row 3 (\\Jazz): its parent links loop and never reach the root\n"},
      {"looping chain",
       [&](const CardCopy& c) {
         edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(5, 82), 3); });
       },
       "error: DIRLST10.DAT: row 5 (\\Jazz\\Best): random link 3 leads back into the chain, not to its "
       "first folder (row 1): the chain loops\n"},
      {"chain link outside",
       [&](const CardCopy& c) {
         edit(c, "DIRLST10.DAT", [](std::string& b) { PutU16At(b, DirField(3, 82), 40000); });
       },
       "error: DIRLST10.DAT: row 3 (\\Jazz): random link 40000 is outside rows 1..6\n"},
      {"missing track list",
       [](const CardCopy& c) { c.Remove("Jazz/SNDLST10.DAT"); },
       "error: \\Jazz\\SNDLST10.DAT: not found\n"},
      {"partial track record",
       [&](const CardCopy& c) { edit(c, "00001/SNDLST10.DAT", [](std::string& b) { b.resize(600); }); },
       "error: \\00001\\SNDLST10.DAT: size 600 is not a whole number of 448-byte records\n"},
      {"track count that disagrees",
       [&](const CardCopy& c) { edit(c, "DIRLST10.DAT", [](std::string& b) { b[DirField(6, 84)] = 9; }); },
       "error: \\Rock\\Best\\SNDLST10.DAT: record count 1, but the folder list's track count is 9\n"},
      {"volume file of the wrong size",
       [](const CardCopy& c) { c.Write("Jazz/VOLUME10.DAT", "\xFF"); },
       "error: \\Jazz\\VOLUME10.DAT: size 1, expected 2\n"},
      {"history that names another folder",
       [&](const CardCopy& c) { edit(c, "HIST04.DAT", [](std::string& b) { PutU16At(b, 8, 5); }); },
       "error: HIST04.DAT: random play starts at row 5, but the folder list's chain starts at row 1\n"},
      {"truncated index",
       [&](const CardCopy& c) { edit(c, "INDEX10.DAT", [](std::string& b) { b.resize(5 * 512); }); },
       "error: INDEX10.DAT: the header counts 7 entries (4 folders) but the file holds 3 records after "
       "the top record\n"},
      {"index group past the folders",
       [&](const CardCopy& c) { edit(c, "INDEX10.DAT", [](std::string& b) { b[4 * 512 + 70] = 50; }); },
       "error: INDEX10.DAT: group 3 (日): folders 3..52 are outside the 4 folder records\n"},
      {"menu file of the wrong size",
       [&](const CardCopy& c) { edit(c, "MNUDAT10.DAT", [](std::string& b) { b.resize(1000); }); },
       "error: MNUDAT10.DAT: size 1000, expected 1536\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CardCopy card(10);
    c.spoil(card);
    ToolResult r = RunView(card.root(), {"--png", (card.root() / "pictures").string()});
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(Has(r.output, c.line)) << r.output;
    EXPECT_FALSE(Has(r.output, "Sanitizer")) << r.output;
    EXPECT_FALSE(Has(r.output, "runtime error")) << r.output;
  }
}
