// FONTX2 files for tests, and a test font set whose every pixel a test can predict.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "font/font_set.h"
#include "state/run_state.h"

// Row (0 = top) of code's glyph as its file bytes read big-endian: the leftmost pixel in the top
// bit (bit 7 up to 8 pixels wide, else bit 15).
using FontxRowFn = std::function<uint32_t(uint16_t code, int row)>;

struct FontxDesign {
  std::string name = "TESTFONT";  // cut or padded with spaces to 8 bytes
  int width = 8;
  int height = 16;
  int codeType = 0;  // 0 single-byte (256 glyphs), else double-byte
  std::vector<std::pair<uint16_t, uint16_t>> blocks;  // double-byte: first, last code
  FontxRowFn rows = nullptr;                          // null: every glyph blank
  std::string magic = "FONTX2";
};

// Header, block table (double-byte), then the glyphs block after block.
std::vector<uint8_t> BuildFontx(const FontxDesign& design);

// The test font set. Double-byte fonts hold lead40..7E and lead80..FC for the leads 0x81..84,
// 0x88..9F and 0xE0..EA (K6X8X.FNT: 0x81..83); 0x817F, 0x8540 and 0xEB40 have no glyph.
enum TestFont {
  kTestFull16,   // MNLZN16X.TLF 16x16 double-byte
  kTestHalf16,   // MNLHN16X.TLF  8x16 single-byte
  kTestFull6x8,  // K6X8X.FNT     6x8  double-byte
  kTestFull12,   // DRUG12Z1.FEF 12x12 double-byte
  kTestHalf12,   // DRUG12HN.FEF  6x12 single-byte
  kTestHalf8,    // TKFNT8H.FNT   8x8  single-byte
  kTestFull8,    // MISAKI.FNT    8x8  double-byte
  kTestFontCount
};

struct TestFontInfo {
  const char* fileName;  // inside _FONT
  int width, height, codeType;
};

const TestFontInfo& GetTestFontInfo(TestFont font);
// Pixel (x, y) of code's glyph; false outside the glyph and for codes without one.
bool TestGlyphPixel(TestFont font, uint16_t code, int x, int y);

std::vector<uint8_t> BuildTestFont(TestFont font);

// Writes the set into "_FONT/" of the current directory, leaving out skip.
void WriteTestFontSet(TestFont skip = kTestFontCount);

// Keeps font memory reachable for the leak checker (never freed, as in the program).
void KeepFontMemory(const FontRecord& font);
void KeepFontMemory(const RunState& state);

// Writes the set and loads it into state; LoadFonts' result.
inline int LoadTestFontSet(RunState& state) {
  WriteTestFontSet();
  int loaded = LoadFonts(state);
  KeepFontMemory(state);
  return loaded;
}
