// PNG pictures read back for the view tests.
#pragma once

#include <cstdint>
#include <vector>

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
