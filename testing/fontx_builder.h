// FONTX2 files for tests, and a complete test font set for the card's
// _FONT folder whose every pixel a test can predict.
//
// Building one font:
//
//   FontxDesign design;
//   design.width = 16; design.height = 16; design.codeType = 1;
//   design.blocks = {{0x8140, 0x817E}, {0x8180, 0x81AC}};
//   design.rows = [](uint16_t code, int row) -> uint32_t { return row == 0 ? 0x8001 : 0; };
//   card.WriteFile("_FONT/MNLZN16X.TLF", BuildFontx(design));
//
// A row value holds the row's file bytes read as one big-endian number:
// for a font up to 8 pixels wide the row is one byte and bit 7 is the
// leftmost pixel; for 9 to 16 pixels it is two bytes and bit 15 is the
// leftmost pixel (0x8001 lights the first and the sixteenth pixel). The
// builder writes exactly the bytes given, padding bits included.
//
// The test font set (WriteTestFontSet, LoadTestFontSet) holds the seven
// files the font loader reads, at the sizes the players' fonts have:
//
//   file           font         size   kind         codes
//   MNLZN16X.TLF   kTestFull16  16x16  double-byte  kTestFullCodeBlocks
//   MNLHN16X.TLF   kTestHalf16   8x16  single-byte  0..255
//   K6X8X.FNT      kTestFull6x8  6x8   double-byte  kTest6x8CodeBlocks
//   DRUG12Z1.FEF   kTestFull12  12x12  double-byte  kTestFullCodeBlocks
//   DRUG12HN.FEF   kTestHalf12   6x12  single-byte  0..255
//   TKFNT8H.FNT    kTestHalf8    8x8   single-byte  0..255
//   MISAKI.FNT     kTestFull8    8x8   double-byte  kTestFullCodeBlocks
//
// Every glyph of every code the font holds has a pattern that depends on
// the font and the code (TestGlyphPixel), so glyphs differ between codes
// and between fonts. Padding bits right of the width are zero. Tests
// predict images with TestGlyphColumn (column bytes as a renderer reads
// them) and TestHalf6x8Column (the font built from K6X8X.FNT).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "driver/run_state.h"
#include "font/font_set.h"

// --- One FONTX2 file -------------------------------------------------------

// Row value of row (0 = top) of the glyph for code; see the file comment.
using FontxRowFn = std::function<uint32_t(uint16_t code, int row)>;

struct FontxDesign {
  std::string name = "TESTFONT";  // the 8-byte name field, cut or padded with spaces
  int width = 8;                  // XSize
  int height = 16;                // YSize
  int codeType = 0;               // 0 single-byte (256 glyphs), else double-byte
  std::vector<std::pair<uint16_t, uint16_t>> blocks;  // double-byte: first, last code
  FontxRowFn rows;                // null: every glyph blank
  std::string magic = "FONTX2";   // six bytes, for tests of files that are not FONTX2
};

// Bytes per glyph row in the file: (width + 7) / 8, at least 1.
int FontxBytesPerRow(int width);

// The whole file: header, block table (double-byte), then the glyphs in
// code order, block after block (a block with last < first has none).
std::vector<uint8_t> BuildFontx(const FontxDesign& design);

// --- The test font set -------------------------------------------------------

enum TestFont {
  kTestFull16,
  kTestHalf16,
  kTestFull6x8,
  kTestFull12,
  kTestHalf12,
  kTestHalf8,
  kTestFull8,
  kTestFontCount
};

struct TestFontInfo {
  const char* fileName;  // inside _FONT, e.g. "MNLZN16X.TLF"
  int width;
  int height;
  int codeType;  // 0 single-byte, 1 double-byte
};

const TestFontInfo& GetTestFontInfo(TestFont font);

// The double-byte code blocks of the 16x16, 12x12 and 8x8 double-byte test
// fonts: for each lead byte 0x81..0x84, 0x88..0x9F and 0xE0..0xEA the two
// blocks lead40..lead7E and lead80..leadFC (78 blocks). Codes outside them
// (0x817F, 0x8540, 0xEB40, any single-byte code) have no glyph.
const std::vector<std::pair<uint16_t, uint16_t>>& TestFullCodeBlocks();

// The blocks of K6X8X.FNT: lead bytes 0x81..0x83 as above (full-width
// ASCII, punctuation, hiragana and katakana); no block holds 0x0020.
const std::vector<std::pair<uint16_t, uint16_t>>& Test6x8CodeBlocks();

// True when the test font has a glyph for code.
bool TestFontHasGlyph(TestFont font, uint16_t code);

// The pixel at column x, row y of the glyph for code (false outside the
// glyph's width and height, and for codes without a glyph).
bool TestGlyphPixel(TestFont font, uint16_t code, int x, int y);

// Column byte of column x of the glyph for code, taking rows firstRow ..
// firstRow + 7 (bit 0 = firstRow): firstRow 0 is the upper page, 8 the
// lower page. Rows at and below the font's height are zero.
uint8_t TestGlyphColumn(TestFont font, uint16_t code, int x, int firstRow);

// Column x of the half-width 6x8 font built from K6X8X.FNT for byte b:
// the full-width counterpart's upper page, or zero for bytes outside
// 0x20..0x7E and 0xA1..0xDF.
uint8_t TestHalf6x8Column(uint8_t b, int x);

// The FONTX2 file of one test font.
std::vector<uint8_t> BuildTestFont(TestFont font);

// Writes the seven files into "_FONT/" of the current directory (a TempCard
// root), creating the folder and replacing older files. Pass a font as
// skip to leave that file out (kTestFontCount writes all seven).
void WriteTestFontSet(TestFont skip = kTestFontCount);

// Font memory is allocated once and never freed, as in the program. A test
// whose RunState or FontRecord goes away calls this so that the leak
// checker still sees the glyphs as reachable.
void KeepFontMemory(const FontRecord& font);
void KeepFontMemory(const RunState& state);

// Writes the test font set and loads it into state with LoadFonts.
// Returns LoadFonts' result (1 when loaded). Console lines of the loader
// go to standard output as usual.
inline int LoadTestFontSet(RunState& state) {
  WriteTestFontSet();
  int loaded = LoadFonts(state);
  KeepFontMemory(state);
  return loaded;
}
