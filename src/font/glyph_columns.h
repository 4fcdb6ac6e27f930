// Reading converted glyph slots. A slot is an upper page of column bytes
// followed by a lower page of the same size: slotBytes / 2 columns each
// (16 in a double-byte font, 8 in a single-byte one). Columns are read only
// below both the font's width and the page size, so no renderer reads past
// a slot, whatever font sits in a slot.
#pragma once

#include <cstdint>

#include "state/run_state.h"

// Columns a renderer copies per glyph of font.
inline int GlyphColumnCount(const FontRecord& font) {
  int page = font.slotBytes / 2;
  int columns = font.width < page ? font.width : page;
  return columns > 0 ? columns : 0;
}

// Upper-page byte of column k (rows 0..7), k below GlyphColumnCount.
inline uint8_t GlyphUpper(const uint8_t* slot, int k) { return slot[k]; }

// Lower-page byte of column k (rows 8..15), k below GlyphColumnCount.
inline uint8_t GlyphLower(const FontRecord& font, const uint8_t* slot, int k) {
  return slot[font.slotBytes / 2 + k];
}

// The two pages of a slot: column k of the upper page is GlyphUpper(slot, k),
// of the lower page GlyphLower(font, slot, k).
inline const uint8_t* GlyphUpperPage(const uint8_t* slot) { return slot; }
inline const uint8_t* GlyphLowerPage(const FontRecord& font, const uint8_t* slot) {
  return slot + font.slotBytes / 2;
}
