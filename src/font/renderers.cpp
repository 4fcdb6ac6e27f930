#include "font/renderers.h"

#include <cstring>

#include "base/console.h"
#include "font/font_file.h"
#include "font/glyph_columns.h"
#include "font/messages.h"
#include "state/loaded_fonts.h"
#include "text/sjis.h"

namespace {

constexpr int kHalfWidthImageColumns = 512;

}  // namespace

// Line 1 takes the band's rows 0..11: page 0 and the low nibble of page 1.
// Line 2 takes rows 12..23: the high nibble of page 1 and page 2.
int MakeTwoLineDataOfString(const FontSet& fonts, uint8_t* page0, uint8_t* page1, uint8_t* page2,
                            int capacity, const char* text) {
  if (capacity < 0) capacity = 0;
  std::memset(page0, 0, static_cast<size_t>(capacity));
  std::memset(page1, 0, static_cast<size_t>(capacity));
  std::memset(page2, 0, static_cast<size_t>(capacity));
  const int length = static_cast<int>(std::strlen(text));
  // Every line keeps room for one more full-width character, so the fit
  // test counts full-width columns whatever the glyph.
  const int fitWidth = fonts.full12Font.width;
  int line = 1;
  int column = 0;
  int pos = 0;
  while (pos < length) {
    uint8_t byte = static_cast<uint8_t>(text[pos]);
    const FontRecord* font;
    const uint8_t* glyph;
    if (IsSjisLeadByte(byte)) {
      // A lead byte at the very end pairs with the terminator.
      uint16_t code = static_cast<uint16_t>(byte << 8 | static_cast<uint8_t>(text[pos + 1]));
      font = &fonts.full12Font;
      glyph = FindGlyph(*font, code);
      pos += 2;
    } else {
      font = &fonts.half12Font;
      glyph = FindGlyph(*font, byte);
      pos += 1;
    }
    if (glyph == nullptr) continue;
    if (column + fitWidth > capacity) {
      if (line == 2) break;
      line = 2;
      column = 0;
    }
    // A glyph wider than the room left is cut at the capacity.
    int columns = GlyphColumnCount(*font);
    if (columns > capacity - column) columns = capacity - column;
    const uint8_t* upper = GlyphUpperPage(glyph);
    const uint8_t* lower = GlyphLowerPage(*font, glyph);
    if (line == 1) {
      for (int k = 0; k < columns; ++k) {
        page0[column + k] = upper[k];
        page1[column + k] = static_cast<uint8_t>(lower[k] & 0x0F);
      }
    } else {
      for (int k = 0; k < columns; ++k) {
        page1[column + k] = static_cast<uint8_t>(page1[column + k] | upper[k] << 4);
        page2[column + k] = static_cast<uint8_t>(upper[k] >> 4 | lower[k] << 4);
      }
    }
    column += columns;
  }
  return column;
}

void MakeStripDataOfString(const FontSet& fonts, uint8_t* dest, const char* text, int length) {
  int column = 0;
  int pos = 0;
  while (pos < length && column < kStripBytes) {
    uint8_t byte = static_cast<uint8_t>(text[pos]);
    const FontRecord* font;
    const uint8_t* glyph;
    if (IsSjisLeadByte(byte)) {
      uint8_t trail = pos + 1 < length ? static_cast<uint8_t>(text[pos + 1]) : 0;
      font = &fonts.full8Font;
      glyph = FindGlyph(*font, static_cast<uint16_t>(byte << 8 | trail));
      pos += 2;
    } else {
      font = &fonts.half6x8Font;
      glyph = FindGlyph(*font, byte);
      pos += 1;
    }
    if (glyph == nullptr) continue;
    int columns = GlyphColumnCount(*font);
    for (int k = 0; k < columns && column < kStripBytes; ++k) dest[column++] = GlyphUpper(glyph, k);
  }
  std::memset(dest + column, 0, static_cast<size_t>(kStripBytes - column));
}

void MakeHalfWidthDataOfString(const FontSet& fonts, uint8_t* dest, const char* text,
                               int32_t& width) {
  const FontRecord& font = fonts.half6x8Font;
  int columns = GlyphColumnCount(font);
  int column = 0;
  for (int pos = 0; text[pos] != 0 && column < kHalfWidthImageColumns; ++pos) {
    uint8_t byte = static_cast<uint8_t>(text[pos]);
    const uint8_t* glyph = FindGlyph(font, byte);
    if (glyph == nullptr) {
      ConsolePrintf(kMsgHalfGlyphMissing, pos, byte);
      continue;
    }
    for (int k = 0; k < columns && column < kHalfWidthImageColumns; ++k) {
      dest[column++] = GlyphUpper(glyph, k);
    }
  }
  width = column;
}
