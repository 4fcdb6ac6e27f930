// Card pictures against the test fonts' own pixels, and the grids that make them.
#include "view/image_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "testing/view/png_reader.h"
#include "testing/view/prepared_cards.h"
#include "view/png_writer.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<PixelGrid> NewGrid() { return std::make_unique<PixelGrid>(); }

void PictureGrid(const PngPicture& picture, PixelGrid& grid) {
  grid.width = (picture.width - 1) / 5;
  grid.height = (picture.height - 1) / 5;
  for (int y = 0; y < grid.height; ++y)
    for (int x = 0; x < grid.width; ++x) grid.lit[y][x] = PictureShowsLit(picture, x, y);
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

// Every image becomes a picture; model 10's "Jazz" and character strip checked pixel for pixel.
TEST(CardPictures, ShowTheDisplayImagesOfTheCardPixelForPixel) {
  TempCard pictures;
  auto shown = NewGrid();
  for (auto [model, count] : {std::pair{8, 28}, std::pair{10, 24}, std::pair{12, 25}}) {
    const fs::path dir = pictures.root() / std::to_string(model);
    ToolResult r = RunView(PreparedCard(model), {"--png", dir.string()});
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Pictures: " + std::to_string(count) + " PNG files"), std::string::npos)
        << r.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), count);
  }
  const char* jazz = "Jazz";
  const std::pair<const char*, int> checked[] = {{"folder-003.png", 128}, {"characters.png", 564}};
  for (auto [name, width] : checked) {
    PngPicture picture;
    ASSERT_TRUE(ReadPng((pictures.root() / "10" / name).c_str(), picture)) << name;
    PictureGrid(picture, *shown);
    ASSERT_EQ(shown->width, width) << name;
    const bool strip = width == 564;
    for (int y = 0; y < shown->height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int k = x / 6;
        const int code = strip ? 0x20 + k : k < 4 ? jazz[k] : -1;
        const bool lit = code >= 0 && y < 12 && TestGlyphPixel(kTestHalf12, code, x % 6, y);
        ASSERT_EQ(shown->lit[y][x], lit) << name << " " << x << "," << y;
      }
    }
  }
}
