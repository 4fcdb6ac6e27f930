#include "view/card_pictures.h"

#include <cstdio>
#include <memory>

#include "base/console.h"
#include "view/image_layout.h"
#include "view/png_writer.h"

namespace {

constexpr int kPathBytes = 4096;

struct PictureOutput {
  const char* dir;
  int written;
  bool failed;
  PixelGrid grid;  // the image being written
};

// Writes out.grid as dir/name (name made from format).
void Save(PictureOutput& out, const char* format, int a, int b = 0) {
  if (out.failed) return;
  char name[64];
  std::snprintf(name, sizeof name, format, a, b);
  char path[kPathBytes];
  std::snprintf(path, sizeof path, "%s/%s", out.dir, name);
  if (!WriteGridPng(path, out.grid)) {
    // The folder is the host's; it is printed as given.
    std::printf("error: %s: cannot be written\n", path);
    std::fflush(stdout);
    out.failed = true;
    return;
  }
  ++out.written;
}

void SaveFolderImages(PictureOutput& out, CardContents& card, int row) {
  const FolderRecord& folder = card.folders.rows[row];
  if (FolderImageGrid(card.model, folder, TitleImage::kTitle, out.grid)) {
    Save(out, "folder-%03d.png", row);
  }
  if (FolderImageGrid(card.model, folder, TitleImage::kStrip, out.grid)) {
    Save(out, "folder-%03d-strip.png", row);
  }
  if (row == 0 || !ReadTrackList(card.model, folder, card.tracks, nullptr)) return;
  for (int k = 0; k < card.tracks.count; ++k) {
    const TrackRecord& track = card.tracks.tracks[k];
    if (TrackImageGrid(card.model, track, TitleImage::kTitle, out.grid)) {
      Save(out, "folder-%03d-track-%02d.png", row, k + 1);
    }
    if (TrackImageGrid(card.model, track, TitleImage::kStrip, out.grid)) {
      Save(out, "folder-%03d-track-%02d-strip.png", row, k + 1);
    }
  }
}

}  // namespace

int WriteCardPictures(CardContents& card, const char* dir) {
  // The grid is 24 KiB: kept off the stack.
  auto out = std::make_unique<PictureOutput>();
  out->dir = dir;
  out->written = 0;
  out->failed = false;
  for (int r = 0; r < card.folders.rowCount; ++r) SaveFolderImages(*out, card, r);

  const IndexFile& index = card.index;
  if (index.present) {
    for (int k = 0; k < index.groupCount; ++k) {
      IndexEntryGrid(index.groups[k].raw, out->grid);
      Save(*out, "index-group-%02d.png", k + 1);
    }
    for (int j = 0; j < index.folderCount; ++j) {
      IndexEntryGrid(index.folders[j].raw, out->grid);
      Save(*out, "index-folder-%03d.png", j + 1);
    }
  }
  const DisplayResources& d = card.display;
  if (d.hasMenu) {
    for (int b = 0; MenuBlockGrid(card.model, d.menu, b, out->grid); ++b) {
      Save(*out, "menu-%d.png", b + 1);
    }
  }
  if (d.hasCharacters) {
    CharacterStripGrid(d.characters, d.characterColumns, out->grid);
    Save(*out, "characters.png", 0);
  }
  if (d.hasMessages) {
    for (int m = 0; m < 4; ++m) {
      MessageGrid(d.messages, m, out->grid);
      Save(*out, "message-%d.png", m + 1);
    }
  }
  return out->failed ? -1 : out->written;
}
