// PNG pictures of pixel grids, drawn as the display shows them: every
// pixel a square with a grid gap around it, lit pixels light on dark.
// This is the only file that uses libpng.
#pragma once

#include <cstdint>
#include <vector>

#include "view/image_layout.h"

constexpr int kPngCellPixels = 4;  // side of one display pixel's square
constexpr int kPngGapPixels = 1;   // grid line between the squares and around them

// Picture pixels for a grid dimension: n squares, n + 1 grid lines. An
// empty grid still gets one (dark) square.
int PngPictureSize(int gridSize);

// Writes the grid to path, a path of the host (not of the card). False
// when the file cannot be written.
bool WriteGridPng(const char* path, const PixelGrid& grid);

// A picture read back as 8-bit RGB, three bytes a pixel, row after row.
struct PngPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Reads any PNG file as RGB. False when it is no readable PNG.
bool ReadPng(const char* path, PngPicture& picture);

// True when the square of grid pixel (x, y) is drawn lit in the picture.
bool PictureShowsLit(const PngPicture& picture, int x, int y);
