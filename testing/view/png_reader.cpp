#include "testing/view/png_reader.h"

#include <png.h>

#include <cstring>

#include "view/png_writer.h"

bool ReadPng(const char* path, PngPicture& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path) == 0) return false;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  return true;
}

bool PictureShowsLit(const PngPicture& picture, int x, int y) {
  constexpr int kStep = kPngCellPixels + kPngGapPixels;
  const int px = x * kStep + kPngGapPixels + kPngCellPixels / 2;
  const int py = y * kStep + kPngGapPixels + kPngCellPixels / 2;
  if (px >= picture.width || py >= picture.height) return false;
  const size_t at = (static_cast<size_t>(py) * picture.width + px) * 3;
  return std::memcmp(&picture.rgb[at], kPngLit, 3) == 0;
}
