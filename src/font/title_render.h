// A title drawn as a model's display shows it: the one way every stage
// renders folder, track and index titles.
#pragma once

#include <cstdint>

#include "model/model_profile.h"

struct FontSet;
struct ImageBuffers;

struct TitleImage {
  int32_t layout;  // one line: the layout code (0..3); else 0
  int32_t width;   // one line: the width in columns; else 0
};

// Renders text with fonts into the image planes, cleared first: for one line,
// planes A and B (512 columns each) and, when strip is given, the 8-row
// strip there (128 bytes); for two lines, the first 128 columns of planes
// A, B and C. A model without images gets nothing drawn.
TitleImage RenderTitle(const FontSet& fonts, ImageBuffers& images, TitleLayout titles,
                       const char* text, uint8_t* strip);
