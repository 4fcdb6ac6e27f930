// FONTX2 font files written from glyph bitmaps: the counterpart of the
// card's font reader (src/font/font_file.h), for the companion program that
// makes the font set.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One glyph, at most 16 x 16 pixels: rows from the top, the leftmost pixel
// in bit 15 of its row.
struct BitmapGlyph {
  uint16_t rows[16] = {};

  bool Pixel(int x, int y) const;
  void SetPixel(int x, int y);
  bool operator==(const BitmapGlyph&) const = default;
};

// A whole font. A single-byte font has codes 0..255 (absent ones are
// written blank); a double-byte font holds exactly the codes it has, lead
// byte in the high byte.
struct BitmapFont {
  std::string name;  // the 8-byte name field, cut or padded with spaces
  int width = 0;
  int height = 0;
  bool doubleByte = false;
  std::map<uint16_t, BitmapGlyph> glyphs;
};

struct CodeRange {
  uint16_t first;
  uint16_t last;  // inclusive
  bool operator==(const CodeRange&) const = default;
};

// The largest block table a FONTX2 header can hold.
inline constexpr int kMaxCodeBlocks = 255;

// The code blocks of a double-byte font: the runs of consecutive codes it
// holds, in code order. While there are more than maxBlocks runs, the two
// runs with the smallest gap between them are joined; the codes of a
// joined gap are written as blank glyphs.
std::vector<CodeRange> MakeCodeBlocks(const std::map<uint16_t, BitmapGlyph>& glyphs,
                                      int maxBlocks = kMaxCodeBlocks);

// The FONTX2 file of font: the 17-byte header (magic, name, XSize, YSize,
// CodeType 0 or 1), for a double-byte font the block count and table, then
// every glyph's rows, (width + 7) / 8 bytes each, leftmost pixel in the
// most significant bit, bits right of the width zero. Returns false with a
// reason when the font does not fit what the card's reader takes: width 1..8
// (single-byte) or 1..16 (double-byte), height 1..16, single-byte codes
// up to 255, a double-byte font with at least one glyph.
bool EncodeFontx(const BitmapFont& font, std::vector<uint8_t>& out, std::string& error);
