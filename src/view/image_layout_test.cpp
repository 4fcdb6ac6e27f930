// The pictures of a prepared card against the test fonts' own pixels, and
// the grid and PNG helpers that make them.
#include "view/image_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "font/oled_render.h"
#include "font/renderers.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "view/png_writer.h"
#include "view/prepared_cards.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<PixelGrid> NewGrid() { return std::make_unique<PixelGrid>(); }

// "" when the grids are equal, else where they first differ.
std::string Differ(const PixelGrid& a, const PixelGrid& b) {
  if (a.width != b.width || a.height != b.height) return "size " + std::to_string(a.width);
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.lit[y][x] != b.lit[y][x]) return "pixel " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  return "";
}

std::string Name(const char* format, int a, int b = 0) {
  char name[64];
  std::snprintf(name, sizeof name, format, a, b);
  return name;
}

// A two-line image of the 12-row test fonts, 128 columns: line 1 from row 0,
// line 2 from row 12, glyph pixels straight from the fonts.
void TwoLines(const std::string& line1, const std::string& line2, int rows, PixelGrid& grid) {
  grid.width = 128;
  grid.height = rows;
  for (int line = 0; line < 2; ++line) {
    const auto columns = TestTextColumns(line == 0 ? line1 : line2, kTestFull12, kTestHalf12);
    for (int x = 0; x < 128 && x < static_cast<int>(columns.size()); ++x) {
      for (int y = 12 * line; y < 12 * line + 12 && y < rows; ++y) {
        grid.lit[y][x] = columns[x] >> (y % 12) & 1;
      }
    }
  }
}

// What the model 8 renderers draw for text: the title image and the strip.
void RenderModel8(const char* text, PixelGrid& title, PixelGrid& strip) {
  auto state = std::make_unique<RunState>(FontState());  // shares the loaded fonts
  int32_t layout = -1, width = -1;
  const int length = static_cast<int>(std::strlen(text));
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(*state, text, length, layout, width);
  testing::internal::GetCapturedStdout();
  static uint8_t planes[2 * kOledPlaneColumns];
  std::memcpy(planes, state->imagePlaneA, kOledPlaneColumns);
  std::memcpy(planes + kOledPlaneColumns, state->imagePlaneB, kOledPlaneColumns);
  OledImageGrid(planes, width, layout, title);
  uint8_t pixels[kStripColumns] = {};
  MakeStripDataOfString(*state, pixels, text, length);
  StripImageGrid(pixels, strip);
}

using Grids = std::map<std::string, std::unique_ptr<PixelGrid>>;

// The pictures a card calls for, by file name: model 8 titles as its
// renderers draw them, all else from the test fonts' glyphs.
Grids ExpectedPictures(int model) {
  auto card = ReadPreparedCard(model);
  InCard in(PreparedCard(model));
  Grids grids;
  auto add = [&](const std::string& name) -> PixelGrid& { return *(grids[name] = NewGrid()); };
  auto title = [&](const std::string& name, const char* text) {
    if (model == 8) RenderModel8(text, add(name + ".png"), add(name + "-strip.png"));
    else TwoLines(text, "", 24, add(name + ".png"));
  };
  for (int r = 0; r < card->folders.rowCount; ++r) {
    const FolderRecord& f = card->folders.rows[r];
    title(Name("folder-%03d", r), f.displayName);
    if (r == 0 || !ReadTrackList(card->model, f, card->tracks, nullptr)) continue;
    for (int k = 0; k < card->tracks.count; ++k) {
      title(Name("folder-%03d-track-%02d", r, k + 1), card->tracks.tracks[k].title);
    }
  }
  const IndexFile& index = card->index;
  for (int k = 0; k < index.groupCount; ++k) {
    TwoLines(index.groups[k].character, "", 24, add(Name("index-group-%02d.png", k + 1)));
  }
  for (int j = 0; j < index.folderCount; ++j) {
    TwoLines(index.folders[j].displayName, "", 24, add(Name("index-folder-%03d.png", j + 1)));
  }
  struct Menu {
    const char* a;  // item A on line 1, item B below it
    const char* b;
    int rows;  // 16 for a short block
  };
  const std::vector<Menu> menus =
      model == 10   ? std::vector<Menu>{{"フォルダ    ", "インデックス", 24},
                                        {"ランダム再生", "OPT→電源オフ", 24},
                                        {"項目数変更", "電源オフ", 24}, {" ", " ", 24}}
      : model == 12 ? std::vector<Menu>{{"フォルダ    ", "インデックス", 24},
                                        {"ランダム再生", "             ", 24}, {" ", " ", 16},
                                        {"GLCDリセット", "スピーカ ON/OFF", 24},
                                        {"ステレオ／モノラル", " ", 24}, {" ", " ", 16}}
                    : std::vector<Menu>{};
  for (size_t k = 0; k < menus.size(); ++k) {
    TwoLines(ToCp932(menus[k].a), ToCp932(menus[k].b), menus[k].rows,
             add(Name("menu-%d.png", static_cast<int>(k + 1))));
  }
  if (model == 10) {  // characters 0x20..0x7D of the 6x12 font, in two pages
    PixelGrid& g = add("characters.png");
    g.width = 94 * 6;
    g.height = 16;
    for (int x = 0; x < g.width; ++x) {
      for (int y = 0; y < 12; ++y) g.lit[y][x] = TestGlyphPixel(kTestHalf12, 32 + x / 6, x % 6, y);
    }
  }
  for (int m = 0; model == 8 && m < 4; ++m) {  // the first 50 columns of the texts in the 6x8 font
    PixelGrid& g = add(Name("message-%d.png", m + 1));
    g.width = 50;
    g.height = 8;
    const char* text = m == 0 ? " RANDOM    " : m == 1 ? " SELECT    " : "           ";
    for (int x = 0; x < 50; ++x) {
      for (int y = 0; y < 8; ++y) g.lit[y][x] = TestHalf6x8Column(text[x / 6], x % 6) >> y & 1;
    }
  }
  return grids;
}

// The display pixels a picture shows.
void PictureGrid(const PngPicture& picture, PixelGrid& grid) {
  grid.width = (picture.width - 1) / 5;
  grid.height = (picture.height - 1) / 5;
  for (int y = 0; y < grid.height; ++y) {
    for (int x = 0; x < grid.width; ++x) grid.lit[y][x] = PictureShowsLit(picture, x, y);
  }
}

}  // namespace

TEST(ImageLayout, GridsNeverReachPastTheirImages) {
  auto grid = NewGrid();
  // Model 8 widths are kept to one plane and at least one column.
  static uint8_t planes[2 * kOledPlaneColumns];
  OledImageGrid(planes, 1024, 1, *grid);
  EXPECT_EQ(grid->width, kOledPlaneColumns);
  EXPECT_EQ(grid->height, 16);
  OledImageGrid(planes, 0, 3, *grid);
  EXPECT_EQ(grid->width, 1);
  EXPECT_EQ(grid->height, 8);

  static uint8_t menu[kMaxMenuFileBytes];
  EXPECT_FALSE(MenuBlockGrid(ModelFromNumber(12), menu, 6, *grid));
  EXPECT_FALSE(MenuBlockGrid(ModelFromNumber(10), menu, 4, *grid));
  EXPECT_FALSE(MenuBlockGrid(ModelFromNumber(8), menu, 0, *grid));
}

// Every display image of the card becomes a picture of it, pixel for pixel
// at the model's size; the expected set is read from the card itself.
TEST(CardPictures, ShowEveryDisplayImageOfTheCardPixelForPixel) {
  TempCard pictures;
  auto shown = NewGrid();
  for (int model : {8, 10, 12}) {
    SCOPED_TRACE(model);
    const fs::path dir = pictures.root() / std::to_string(model);
    ToolResult r = RunView(PreparedCard(model), {"--png", dir.string()});
    ASSERT_EQ(r.status, 0) << r.output;
    const Grids expected = ExpectedPictures(model);
    EXPECT_NE(r.output.find(Name("Pictures: %d PNG files", static_cast<int>(expected.size()))),
              std::string::npos)
        << r.output;
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files.insert(entry.path().filename());
    EXPECT_EQ(files.size(), expected.size());  // and every expected one is read below
    for (const auto& [name, grid] : expected) {
      PngPicture picture;
      ASSERT_TRUE(ReadPng((dir / name).c_str(), picture)) << name;
      PictureGrid(picture, *shown);
      EXPECT_EQ(Differ(*shown, *grid), "") << name;
    }
  }
}

TEST(PngWriter, DrawsEachPixelAsASquareInAGrid) {
  auto grid = NewGrid();
  grid->width = 7;
  grid->height = 3;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) grid->lit[y][x] = (x + 2 * y) % 3 == 0;
  }
  TempCard dir;
  const std::string path = (dir.root() / "grid.png").string();
  ASSERT_TRUE(WriteGridPng(path.c_str(), *grid));
  PngPicture picture;
  ASSERT_TRUE(ReadPng(path.c_str(), picture));
  EXPECT_EQ(picture.width, 7 * 5 + 1);
  EXPECT_EQ(picture.height, 3 * 5 + 1);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(PictureShowsLit(picture, x, y), grid->lit[y][x] == 1);
  }
  // Black grid lines; dark pixels are not black.
  EXPECT_EQ(picture.rgb[0] + picture.rgb[1] + picture.rgb[2], 0);
  EXPECT_GT(picture.rgb[(2 * picture.width + 5 + 2) * 3], 0);  // inside pixel (1, 0)

  grid->width = 0;  // still one dark square
  ASSERT_TRUE(WriteGridPng(path.c_str(), *grid));
  ASSERT_TRUE(ReadPng(path.c_str(), picture));
  EXPECT_EQ(picture.width, 6);
  EXPECT_FALSE(WriteGridPng((dir.root() / "no-such-folder" / "x.png").c_str(), *grid));
  EXPECT_FALSE(ReadPng((dir.root() / "no-such-folder" / "x.png").c_str(), picture));
}
