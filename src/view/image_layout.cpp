#include "view/image_layout.h"

#include <cstring>
#include <iterator>

namespace {

constexpr int kTwoLinePages = 3;
constexpr int kFolderImageOffset = 128;  // images after the 128 bytes of fields
constexpr int kTrackImageOffset = 64;
constexpr int kIndexImageOffset = 128;

struct MenuBlockPlace {
  int offset;
  int pages;  // 3, or 2 for a short block
};

constexpr MenuBlockPlace kMenu10[] = {{0, 3}, {384, 3}, {768, 3}, {1152, 3}};
constexpr MenuBlockPlace kMenu12[] = {{0, 3}, {384, 3}, {768, 2}, {1024, 3}, {1408, 3}, {1792, 2}};

// Model 8 records: title planes first, the strip behind them.
bool RecordImageGrid(const CardModel& model, const uint8_t* images, int width, int layout,
                     TitleImage which, PixelGrid& grid) {
  if (model.profile == nullptr || model.profile->titles == TitleLayout::kText) return false;
  if (model.profile->titles == TitleLayout::kOneLine) {
    if (which == TitleImage::kStrip) {
      StripImageGrid(images + 2 * kOledPlaneColumns, grid);
    } else {
      OledImageGrid(images, width, layout, grid);
    }
    return true;
  }
  if (which == TitleImage::kStrip) return false;
  TwoLineImageGrid(images, grid);
  return true;
}

}  // namespace

void DecodePages(const uint8_t* pages, int pageCount, int stride, int columns, PixelGrid& grid) {
  if (pageCount > kGridMaxRows / 8) pageCount = kGridMaxRows / 8;
  if (columns > kGridMaxColumns) columns = kGridMaxColumns;
  if (columns < 0) columns = 0;
  std::memset(grid.lit, 0, sizeof grid.lit);
  grid.width = columns;
  grid.height = pageCount * 8;
  for (int p = 0; p < pageCount; ++p) {
    for (int c = 0; c < columns; ++c) {
      const uint8_t column = pages[p * stride + c];
      for (int bit = 0; bit < 8; ++bit) grid.lit[p * 8 + bit][c] = (column >> bit) & 1;
    }
  }
}

void TwoLineImageGrid(const uint8_t* pages, PixelGrid& grid) {
  DecodePages(pages, kTwoLinePages, kTwoLineColumns, kTwoLineColumns, grid);
}

void OledImageGrid(const uint8_t* planes, int width, int layout, PixelGrid& grid) {
  const int pages = (layout == 2 || layout == 3) ? 1 : 2;
  int columns = width < 1 ? 1 : width;
  if (columns > kOledPlaneColumns) columns = kOledPlaneColumns;
  DecodePages(planes, pages, kOledPlaneColumns, columns, grid);
}

void StripImageGrid(const uint8_t* strip, PixelGrid& grid) {
  DecodePages(strip, 1, kStripColumns, kStripColumns, grid);
}

bool FolderImageGrid(const CardModel& model, const FolderRecord& folder, TitleImage which,
                     PixelGrid& grid) {
  return RecordImageGrid(model, folder.raw + kFolderImageOffset, folder.imageWidth,
                         folder.imageLayout, which, grid);
}

bool TrackImageGrid(const CardModel& model, const TrackRecord& track, TitleImage which,
                    PixelGrid& grid) {
  return RecordImageGrid(model, track.raw + kTrackImageOffset, track.imageWidth, track.imageLayout,
                         which, grid);
}

void IndexEntryGrid(const uint8_t* record, PixelGrid& grid) {
  TwoLineImageGrid(record + kIndexImageOffset, grid);
}

// The blocks of the model's menu file; null without one.
const MenuBlockPlace* MenuBlocks(const CardModel& model, int& count) {
  count = 0;
  const MenuKind kind = model.profile != nullptr ? model.profile->menuKind : MenuKind::kNone;
  if (kind == MenuKind::kFourBlocks) {
    count = static_cast<int>(std::size(kMenu10));
    return kMenu10;
  }
  if (kind == MenuKind::kSixBlocks) {
    count = static_cast<int>(std::size(kMenu12));
    return kMenu12;
  }
  return nullptr;
}

int MenuBlockCount(const CardModel& model) {
  int count;
  MenuBlocks(model, count);
  return count;
}

int MenuFileBytes(const CardModel& model) {
  int count;
  const MenuBlockPlace* blocks = MenuBlocks(model, count);
  if (count == 0) return 0;
  return blocks[count - 1].offset + blocks[count - 1].pages * kTwoLineColumns;
}

bool MenuBlockGrid(const CardModel& model, const uint8_t* file, int block, PixelGrid& grid) {
  int count;
  const MenuBlockPlace* blocks = MenuBlocks(model, count);
  if (block < 0 || block >= count) return false;
  const MenuBlockPlace& place = blocks[block];
  DecodePages(file + place.offset, place.pages, kTwoLineColumns, kTwoLineColumns, grid);
  return true;
}

void MessageGrid(const uint8_t* file, int k, PixelGrid& grid) {
  DecodePages(file + k * kMessageColumns, 1, kMessageColumns, kMessageColumns, grid);
}

void CharacterStripGrid(const uint8_t* file, int columns, PixelGrid& grid) {
  DecodePages(file, 2, columns, columns, grid);
}
