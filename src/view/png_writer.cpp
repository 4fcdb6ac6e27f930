#include "view/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kStep = kPngCellPixels + kPngGapPixels;
constexpr int kMaxPictureWidth = kGridMaxColumns * kStep + kPngGapPixels;

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb kLit = {kPngLit[0], kPngLit[1], kPngLit[2]};
constexpr Rgb kDark = {0x26, 0x2A, 0x30};
constexpr Rgb kGap = {0x00, 0x00, 0x00};

void FillRow(const PixelGrid& grid, int y, uint8_t* row, int width) {
  const int cellY = y / kStep;
  const bool gapRow = y % kStep < kPngGapPixels || cellY >= grid.height;
  for (int x = 0; x < width; ++x) {
    const int cellX = x / kStep;
    Rgb colour = kGap;
    if (!gapRow && x % kStep >= kPngGapPixels) {
      const bool lit = cellX < grid.width && grid.lit[cellY][cellX] != 0;
      colour = lit ? kLit : kDark;
    }
    row[3 * x] = colour.r;
    row[3 * x + 1] = colour.g;
    row[3 * x + 2] = colour.b;
  }
}

// The libpng part; on a libpng error it returns false through longjmp, so
// nothing here has a destructor.
bool WritePicture(std::FILE* file, const PixelGrid& grid, int width, int height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  uint8_t row[3 * kMaxPictureWidth];
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    FillRow(grid, y, row, width);
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

int PngPictureSize(int gridSize) {
  const int cells = gridSize < 1 ? 1 : gridSize;
  return cells * kStep + kPngGapPixels;
}

bool WriteGridPng(const char* path, const PixelGrid& grid) {
  // A host path: opened as the host names it, not through the card layer.
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const int columns = grid.width > kGridMaxColumns ? kGridMaxColumns : grid.width;
  const int rows = grid.height > kGridMaxRows ? kGridMaxRows : grid.height;
  bool ok = WritePicture(file, grid, PngPictureSize(columns), PngPictureSize(rows));
  if (std::fclose(file) != 0) ok = false;
  return ok;
}
