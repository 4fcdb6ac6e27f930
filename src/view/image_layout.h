// Turns the image bytes of card records into pixel grids, per model. An
// image is a stack of pages of eight pixel rows; a page is a run of column
// bytes, bit 0 the top row. The grid shows the pages top to bottom as the
// display does.
#pragma once

#include <cstdint>

#include "view/card_reader.h"

constexpr int kGridMaxColumns = 1024;
constexpr int kGridMaxRows = 24;

struct PixelGrid {
  int width;
  int height;
  uint8_t lit[kGridMaxRows][kGridMaxColumns];  // 1 lit, 0 dark
};

// pageCount pages of columns columns (at most the grid's size); page p's
// column c is pages[p * stride + c].
void DecodePages(const uint8_t* pages, int pageCount, int stride, int columns, PixelGrid& grid);

// Models 10 and 12: three pages of 128 columns, two lines of 12 rows.
constexpr int kTwoLineColumns = 128;
void TwoLineImageGrid(const uint8_t* pages, PixelGrid& grid);

// Model 8 title image: the upper plane, then the lower plane, 512 columns
// each. Layout codes 2 and 3 are one page high, 0 and 1 two pages; the
// width is the one the record gives, at least 1 and at most 512.
constexpr int kOledPlaneColumns = 512;
void OledImageGrid(const uint8_t* planes, int width, int layout, PixelGrid& grid);

// Model 8 strip image: one page of 128 columns.
constexpr int kStripColumns = 128;
void StripImageGrid(const uint8_t* strip, PixelGrid& grid);

// Which image of a model 8 record; models 10 and 12 have the title only.
enum class TitleImage { kTitle, kStrip };

// The title image of a folder or track record. False when the model's
// records carry no such image (models 4 and 6; the strip of 10 and 12).
bool FolderImageGrid(const CardModel& model, const FolderRecord& folder, TitleImage which,
                     PixelGrid& grid);
bool TrackImageGrid(const CardModel& model, const TrackRecord& track, TitleImage which,
                    PixelGrid& grid);

// A group or folder record of INDEX10.DAT.
void IndexEntryGrid(const uint8_t* record, PixelGrid& grid);

// Menu blocks of MNUDAT10/12.DAT: 128 columns, 24 rows (item A above item
// B), or 16 rows for a short block.
int MenuBlockCount(const CardModel& model);
// The menu file's size: its blocks end to end (0 for a model without one).
int MenuFileBytes(const CardModel& model);
bool MenuBlockGrid(const CardModel& model, const uint8_t* file, int block, PixelGrid& grid);

// Message k (0..3) of MSGIMG08.DAT: one page of 50 columns.
void MessageGrid(const uint8_t* file, int k, PixelGrid& grid);

// CHRIMG10.DAT: two pages of columns columns.
void CharacterStripGrid(const uint8_t* file, int columns, PixelGrid& grid);
