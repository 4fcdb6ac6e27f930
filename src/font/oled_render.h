// Model 8 title images: one or two pages, up to 1024 columns.
#pragma once

#include <cstdint>

struct FontSet;
struct ImageBuffers;

// Renders text (length bytes) into imagePlaneA/B, which the caller has
// cleared, and reports the layout code (0..3) and the width in columns.
void MakeOLEDdataOfString(const FontSet& fonts, ImageBuffers& images, const char* text, int length,
                          int32_t& layoutCode, int32_t& width);
