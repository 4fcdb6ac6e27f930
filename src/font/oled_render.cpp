#include "font/oled_render.h"

#include <cstring>

#include "base/console.h"
#include "font/font_file.h"
#include "font/glyph_columns.h"
#include "font/messages.h"
#include "state/image_buffers.h"
#include "state/loaded_fonts.h"
#include "text/sjis.h"

namespace {

constexpr int kMaxColumns = kImagePlaneBytes;  // 1024
constexpr int kMinTwoPageColumns = 100;

// One row of the layout table: fonts, pages, and how a 12-row glyph is
// centred in the 16-row band.
struct Layout {
  int code;
  const FontRecord* half;
  const FontRecord* full;  // null for the one-page layouts
  int shift;               // rows the glyph moves down
  uint8_t lowerMask;       // lower-page rows the glyph keeps
};

bool HasDoubleByteChar(const char* text, int length) {
  for (int i = 0; i < length; ++i) {
    if (IsSjisLeadByte(static_cast<uint8_t>(text[i]))) return true;
  }
  return false;
}

Layout ChooseLayout(const FontSet& fonts, const char* text, int length) {
  if (length <= 12) return {0, &fonts.half16Font, &fonts.full16Font, 0, 0xFF};
  if (length <= 16) return {0, &fonts.half12Font, &fonts.full12Font, 2, 0x0F};
  if (HasDoubleByteChar(text, length)) return {1, &fonts.half12Font, &fonts.full12Font, 2, 0x0F};
  if (length <= 24) return {2, &fonts.half8Font, nullptr, 0, 0};
  return {3, &fonts.half6x8Font, nullptr, 0, 0};
}

// Two pages: planes A and B hold the band's rows 0..7 and 8..15.
int RenderTwoPages(ImageBuffers& images, const Layout& layout, const char* text, int length) {
  int column = 0;
  int pos = 0;
  while (pos < length && column < kMaxColumns) {
    uint8_t byte = static_cast<uint8_t>(text[pos]);
    const FontRecord* font;
    const uint8_t* glyph;
    bool keepLower;
    int step;
    if (IsSjisLeadByte(byte)) {
      uint8_t trail = pos + 1 < length ? static_cast<uint8_t>(text[pos + 1]) : 0;
      uint16_t code = static_cast<uint16_t>(byte << 8 | trail);
      font = layout.full;
      glyph = FindGlyph(*font, code);
      if (glyph == nullptr) ConsolePrintf(kMsgFullGlyphMissing, pos, code);
      keepLower = true;
      step = 2;
    } else {
      font = layout.half;
      glyph = FindGlyph(*font, byte);
      if (glyph == nullptr) ConsolePrintf(kMsgHalfGlyphMissing, pos, byte);
      keepLower = font->height > 8;
      step = 1;
    }
    if (glyph != nullptr) {
      int columns = GlyphColumnCount(*font);
      for (int k = 0; k < columns && column < kMaxColumns; ++k) {
        unsigned upper = GlyphUpper(glyph, k);
        unsigned lower = keepLower ? GlyphLower(*font, glyph, k) & layout.lowerMask : 0;
        images.imagePlaneA[column] = static_cast<uint8_t>(upper << layout.shift);
        images.imagePlaneB[column] =
            static_cast<uint8_t>(upper >> (8 - layout.shift) | lower << layout.shift);
        ++column;
      }
    }
    pos += step;
  }
  if (column < kMinTwoPageColumns) {
    std::memset(images.imagePlaneA + column, 0, static_cast<size_t>(kMinTwoPageColumns - column));
    std::memset(images.imagePlaneB + column, 0, static_cast<size_t>(kMinTwoPageColumns - column));
    return kMinTwoPageColumns;
  }
  return column;
}

// One page in plane A; every byte is a single-byte character and a glyph
// that would pass the last column is left out whole.
int RenderOnePage(ImageBuffers& images, const Layout& layout, const char* text, int length) {
  const FontRecord& font = *layout.half;
  int columns = GlyphColumnCount(font);
  int column = 0;
  for (int pos = 0; pos < length; ++pos) {
    if (column + columns > kMaxColumns) break;
    uint8_t byte = static_cast<uint8_t>(text[pos]);
    const uint8_t* glyph = FindGlyph(font, byte);
    if (glyph == nullptr) {
      ConsolePrintf(kMsgHalfGlyphMissing, pos, byte);
      continue;
    }
    std::memcpy(images.imagePlaneA + column, glyph, static_cast<size_t>(columns));
    column += columns;
  }
  std::memset(images.imagePlaneA + column, 0, static_cast<size_t>(kMaxColumns - column));
  std::memset(images.imagePlaneB, 0, sizeof images.imagePlaneB);
  return column;
}

}  // namespace

void MakeOLEDdataOfString(const FontSet& fonts, ImageBuffers& images, const char* text, int length,
                          int32_t& layoutCode, int32_t& width) {
  ConsolePrintf(kMsgMakeOled, text, length);
  if (length < 0) length = 0;
  Layout layout = ChooseLayout(fonts, text, length);
  layoutCode = layout.code;
  width = layout.full != nullptr ? RenderTwoPages(images, layout, text, length)
                                 : RenderOnePage(images, layout, text, length);
  ConsolePrintf(kMsgImageWidth, width);
}
