// PNG pictures of pixel grids, drawn as the display shows them: every
// pixel a square with a grid gap around it, lit pixels light on dark.
// This is the only file that uses libpng.
#pragma once

#include <cstdint>

#include "view/image_layout.h"

constexpr int kPngCellPixels = 4;                   // side of one display pixel's square
constexpr int kPngGapPixels = 1;                    // grid line between the squares and around them
constexpr uint8_t kPngLit[3] = {0xE8, 0xF4, 0xFF};  // a lit pixel's colour (RGB)

// Picture pixels for a grid dimension: n squares, n + 1 grid lines. An
// empty grid still gets one (dark) square.
int PngPictureSize(int gridSize);

// Writes the grid to path, a path of the host (not of the card). False
// when the file cannot be written.
bool WriteGridPng(const char* path, const PixelGrid& grid);
