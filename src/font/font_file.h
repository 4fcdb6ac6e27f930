// FONTX2 font files read into column-byte glyph slots.
#pragma once

#include <cstdint>
#include <cstdio>

struct FontRecord;

// Reads an open FONTX2 file into font and closes the file. fileName is
// used in messages only. True, or false when the file is not FONTX2 or
// beyond the supported limits (a line is printed; font is left unchanged).
bool GetFontMetrics(std::FILE* file, FontRecord& font, const char* fileName);

// Eight row bytes (top row first, leftmost pixel in bit 7) to eight
// column bytes (top row in bit 0).
void TransposeGlyphBlock(const uint8_t* rows, uint8_t* columns);

// The glyph slot of code in the first block that holds it, or null. A slot
// is an upper page of column bytes followed by a lower page of the same
// size (slotBytes / 2 columns each; see glyph_columns.h).
const uint8_t* FindGlyph(const FontRecord& font, uint16_t code);

// Builds a single-byte font from the full-width glyphs of a double-byte
// one: the glyph of byte b is the upper page of b's full-width counterpart
// (MbbToMbc) for 0x20..0x7E and 0xA1..0xDF, else that of code 0x0020, or
// blank when the source has none. At most 8 columns wide. True, or false
// (target unchanged) when there is no memory for it.
bool MakeHalfWidthFont(const FontRecord& source, FontRecord& target);
