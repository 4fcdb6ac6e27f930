// Pixel grids decoded from card records, checked against the renderers
// that drew them and against the test fonts' own pixels; and their PNG
// pictures.
#include "tools/view/image_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "font/oled_render.h"
#include "font/renderers.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "tools/view/png_writer.h"
#include "tools/view/prepared_cards.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<CardContents> ReadPrepared(int model) {
  auto card = std::make_unique<CardContents>();
  ProblemList problems{};
  InCard in(PreparedCard(model));
  card->model = ModelFromNumber(model);
  EXPECT_TRUE(ReadCard(*card, problems));
  EXPECT_EQ(problems.count, 0);
  return card;
}

std::unique_ptr<PixelGrid> NewGrid() { return std::make_unique<PixelGrid>(); }

// Differences between two grids, as "x,y" of the first one, or "".
std::string Differ(const PixelGrid& a, const PixelGrid& b) {
  if (a.width != b.width || a.height != b.height) {
    return "size " + std::to_string(a.width) + "x" + std::to_string(a.height) + " vs " +
           std::to_string(b.width) + "x" + std::to_string(b.height);
  }
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.lit[y][x] != b.lit[y][x]) return "pixel " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  return "";
}

int LitCount(const PixelGrid& g) {
  int n = 0;
  for (int y = 0; y < g.height; ++y) {
    for (int x = 0; x < g.width; ++x) n += g.lit[y][x];
  }
  return n;
}

// What MakeTwoLineDataOfString draws for text, 128 columns.
void RenderTwoLine(const char* text, PixelGrid& grid) {
  uint8_t pages[3 * kTwoLineColumns] = {};
  MakeTwoLineDataOfString(FontState(), pages, pages + 128, pages + 256, 128, text);
  TwoLineImageGrid(pages, grid);
}

}  // namespace

TEST(ImageLayout, PagesStackTopToBottomWithBitZeroOnTop) {
  // Two pages of three columns, stored with a stride of four.
  const uint8_t pages[8] = {0x01, 0x80, 0x00, 0xEE, 0x00, 0x00, 0x81, 0xEE};
  auto grid = NewGrid();
  DecodePages(pages, 2, 4, 3, *grid);
  EXPECT_EQ(grid->width, 3);
  EXPECT_EQ(grid->height, 16);
  EXPECT_EQ(grid->lit[0][0], 1);   // page 0, bit 0
  EXPECT_EQ(grid->lit[7][1], 1);   // page 0, bit 7
  EXPECT_EQ(grid->lit[8][2], 1);   // page 1, bit 0
  EXPECT_EQ(grid->lit[15][2], 1);  // page 1, bit 7
  EXPECT_EQ(LitCount(*grid), 4);   // the stride's fourth column is never read

  // Model 8: layout codes 2 and 3 are one page; widths are kept to a plane.
  static uint8_t planes[2 * kOledPlaneColumns];
  std::memset(planes, 0xFF, sizeof planes);
  OledImageGrid(planes, 180, 3, *grid);
  EXPECT_EQ(grid->height, 8);
  EXPECT_EQ(grid->width, 180);
  OledImageGrid(planes, 1024, 1, *grid);
  EXPECT_EQ(grid->height, 16);
  EXPECT_EQ(grid->width, kOledPlaneColumns);
  OledImageGrid(planes, 0, 2, *grid);
  EXPECT_EQ(grid->width, 1);

  // Menu blocks: model 12's third and sixth blocks are two pages high.
  static uint8_t menu[kMaxMenuFileBytes];
  const CardModel m12 = ModelFromNumber(12);
  EXPECT_EQ(MenuBlockCount(m12), 6);
  EXPECT_EQ(MenuBlockCount(ModelFromNumber(10)), 4);
  ASSERT_TRUE(MenuBlockGrid(m12, menu, 2, *grid));
  EXPECT_EQ(grid->height, 16);
  ASSERT_TRUE(MenuBlockGrid(m12, menu, 3, *grid));
  EXPECT_EQ(grid->height, 24);
  EXPECT_FALSE(MenuBlockGrid(m12, menu, 6, *grid));
  EXPECT_FALSE(MenuBlockGrid(ModelFromNumber(8), menu, 0, *grid));
}

TEST(ImageLayout, TwoLineRecordImagesAreWhatTheRendererDrawsForTheirTitles) {
  for (int model : {10, 12}) {
    SCOPED_TRACE(model);
    auto card = ReadPrepared(model);
    auto fromRecord = NewGrid();
    auto rendered = NewGrid();
    InCard in(PreparedCard(model));
    const FolderList& list = card->folders;
    for (int r = 0; r < list.rowCount; ++r) {
      const FolderRecord& f = list.rows[r];
      ASSERT_TRUE(FolderImageGrid(card->model, f, TitleImage::kTitle, *fromRecord));
      EXPECT_FALSE(FolderImageGrid(card->model, f, TitleImage::kStrip, *fromRecord));
      FolderImageGrid(card->model, f, TitleImage::kTitle, *fromRecord);
      RenderTwoLine(f.displayName, *rendered);
      EXPECT_EQ(Differ(*fromRecord, *rendered), "") << "row " << r;
      EXPECT_EQ(LitCount(*fromRecord) > 0, r > 0) << "row " << r;  // the root's title is empty
      if (r == 0 || !ReadTrackList(card->model, f, card->tracks, nullptr)) continue;
      for (int k = 0; k < card->tracks.count; ++k) {
        const TrackRecord& t = card->tracks.tracks[k];
        ASSERT_TRUE(TrackImageGrid(card->model, t, TitleImage::kTitle, *fromRecord));
        RenderTwoLine(t.title, *rendered);
        EXPECT_EQ(Differ(*fromRecord, *rendered), "") << "row " << r << " track " << k;
      }
    }
    const IndexFile& index = card->index;
    for (int k = 0; k < index.groupCount; ++k) {
      IndexEntryGrid(index.groups[k].raw, *fromRecord);
      RenderTwoLine(index.groups[k].character, *rendered);
      EXPECT_EQ(Differ(*fromRecord, *rendered), "") << "group " << k;
    }
    for (int j = 0; j < index.folderCount; ++j) {
      IndexEntryGrid(index.folders[j].raw, *fromRecord);
      RenderTwoLine(index.folders[j].displayName, *rendered);
      EXPECT_EQ(Differ(*fromRecord, *rendered), "") << "index folder " << j;
    }
  }
}

// The decoded pixels are the test fonts' own: glyph rows top down from row
// 0 of line 1, glyphs side by side.
TEST(ImageLayout, TitlePixelsAreTheGlyphsOfTheTestFonts) {
  auto card = ReadPrepared(10);
  auto grid = NewGrid();
  // Row 3 is Jazz: four 6-column half-width glyphs.
  ASSERT_TRUE(FolderImageGrid(card->model, card->folders.rows[3], TitleImage::kTitle, *grid));
  const char* jazz = "Jazz";
  for (int c = 0; c < 4; ++c) {
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 6; ++x) {
        const bool expected = y < 12 && TestGlyphPixel(kTestHalf12, static_cast<uint8_t>(jazz[c]), x, y);
        ASSERT_EQ(grid->lit[y][6 * c + x], expected) << c << ": " << x << "," << y;
      }
    }
  }
  // Row 1 is 日本の歌: 12-column full-width glyphs.
  ASSERT_TRUE(FolderImageGrid(card->model, card->folders.rows[1], TitleImage::kTitle, *grid));
  const std::string title = ToCp932("日本の歌");
  for (int c = 0; c < 4; ++c) {
    const uint16_t code = static_cast<uint16_t>(static_cast<uint8_t>(title[2 * c]) << 8 |
                                                static_cast<uint8_t>(title[2 * c + 1]));
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        ASSERT_EQ(grid->lit[y][12 * c + x], TestGlyphPixel(kTestFull12, code, x, y)) << c;
      }
    }
  }
}

TEST(ImageLayout, Model8RecordImagesAreWhatTheOledAndStripRenderersDraw) {
  auto card = ReadPrepared(8);
  auto state = std::make_unique<RunState>(FontState());  // shares the loaded fonts
  auto fromRecord = NewGrid();
  auto rendered = NewGrid();
  InCard in(PreparedCard(8));
  auto check = [&](const char* title, int width, int layout, const uint8_t* images,
                   const std::string& what) {
    SCOPED_TRACE(what);
    std::memset(state->imagePlaneA, 0, sizeof state->imagePlaneA);
    std::memset(state->imagePlaneB, 0, sizeof state->imagePlaneB);
    int32_t renderedLayout = -1, renderedWidth = -1;
    const int length = static_cast<int>(std::strlen(title));
    testing::internal::CaptureStdout();
    MakeOLEDdataOfString(*state, title, length, renderedLayout, renderedWidth);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(layout, renderedLayout);
    EXPECT_EQ(width, renderedWidth);
    uint8_t planes[2 * kOledPlaneColumns];
    std::memcpy(planes, state->imagePlaneA, kOledPlaneColumns);
    std::memcpy(planes + kOledPlaneColumns, state->imagePlaneB, kOledPlaneColumns);
    OledImageGrid(images, width, layout, *fromRecord);
    OledImageGrid(planes, renderedWidth, renderedLayout, *rendered);
    EXPECT_EQ(Differ(*fromRecord, *rendered), "");

    uint8_t strip[kStripColumns] = {};
    MakeStripDataOfString(*state, strip, title, length);
    StripImageGrid(images + 2 * kOledPlaneColumns, *fromRecord);
    StripImageGrid(strip, *rendered);
    EXPECT_EQ(Differ(*fromRecord, *rendered), "");
    EXPECT_GT(LitCount(*rendered), 0);
  };
  for (int r = 1; r < card->folders.rowCount; ++r) {
    const FolderRecord& f = card->folders.rows[r];
    check(f.displayName, f.imageWidth, f.imageLayout, f.raw + 128, "row " + std::to_string(r));
    ASSERT_TRUE(ReadTrackList(card->model, f, card->tracks, nullptr));
    for (int k = 0; k < card->tracks.count; ++k) {
      const TrackRecord& t = card->tracks.tracks[k];
      check(t.title, t.imageWidth, t.imageLayout, t.raw + 64,
            "row " + std::to_string(r) + " track " + std::to_string(k));
    }
  }
}

TEST(ImageLayout, MenuBlocksHoldTwoItemsAsTwoLines) {
  struct Block {
    int model;
    int block;
    const char* itemA;
    const char* itemB;
  };
  const Block blocks[] = {
      {10, 0, "フォルダ    ", "インデックス"},
      {10, 1, "ランダム再生", "OPT→電源オフ"},
      {12, 3, "GLCDリセット", "スピーカ ON/OFF"},
      {12, 4, "ステレオ／モノラル", " "},
  };
  auto grid = NewGrid();
  auto item = NewGrid();
  for (const Block& b : blocks) {
    SCOPED_TRACE(b.itemA);
    auto card = ReadPrepared(b.model);
    ASSERT_TRUE(card->display.hasMenu);
    ASSERT_TRUE(MenuBlockGrid(card->model, card->display.menu, b.block, *grid));
    for (int line = 0; line < 2; ++line) {
      RenderTwoLine(ToCp932(line == 0 ? b.itemA : b.itemB).c_str(), *item);
      for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 128; ++x) {
          ASSERT_EQ(grid->lit[12 * line + y][x], item->lit[y][x]) << line << ": " << x << "," << y;
        }
      }
    }
  }
}

TEST(ImageLayout, CharacterAndMessageImagesShowTheirGlyphs) {
  auto card = ReadPrepared(10);
  auto grid = NewGrid();
  ASSERT_TRUE(card->display.hasCharacters);
  CharacterStripGrid(card->display.characters, card->display.characterColumns, *grid);
  EXPECT_EQ(grid->height, 16);
  for (int code = 0x20; code <= 0x7D; ++code) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 6; ++x) {
        const bool expected = y < 12 && TestGlyphPixel(kTestHalf12, static_cast<uint16_t>(code), x, y);
        ASSERT_EQ(grid->lit[y][(code - 0x20) * 6 + x], expected) << code;
      }
    }
  }

  auto card8 = ReadPrepared(8);
  ASSERT_TRUE(card8->display.hasMessages);
  MessageGrid(card8->display.messages, 1, *grid);  // " SELECT    "
  ASSERT_EQ(grid->width, 50);
  const char* text = " SELECT    ";
  for (int x = 0; x < 50; ++x) {
    for (int y = 0; y < 8; ++y) {
      const uint8_t column = TestHalf6x8Column(static_cast<uint8_t>(text[x / 6]), x % 6);
      ASSERT_EQ(grid->lit[y][x], (column >> y) & 1) << x << "," << y;
    }
  }
}

TEST(PngWriter, DrawsEachPixelAsASquareInAGrid) {
  auto grid = NewGrid();
  grid->width = 7;
  grid->height = 3;
  std::memset(grid->lit, 0, sizeof grid->lit);
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
  // The grid lines are black, the dark pixels are not.
  EXPECT_EQ(picture.rgb[0] + picture.rgb[1] + picture.rgb[2], 0);
  const size_t darkCell = (static_cast<size_t>(2) * picture.width + 5 + 2) * 3;  // pixel (1, 0)
  EXPECT_GT(picture.rgb[darkCell], 0);
  EXPECT_FALSE(PictureShowsLit(picture, 1, 0));

  // An empty grid still makes a picture of one dark square.
  grid->width = 0;
  ASSERT_TRUE(WriteGridPng(path.c_str(), *grid));
  ASSERT_TRUE(ReadPng(path.c_str(), picture));
  EXPECT_EQ(picture.width, 6);

  EXPECT_FALSE(WriteGridPng((dir.root() / "no-such-folder" / "x.png").c_str(), *grid));
  EXPECT_FALSE(ReadPng((dir.root() / "no-such-folder" / "x.png").c_str(), picture));
}
