// The seven fonts of the card's _FONT folder, made from the Shinonome and
// Misaki bitmap fonts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fontx_writer.h"

struct FontSources {
  std::string shinonomeDir;  // the folder of the shnm*.pcf.gz files
  std::string misakiGothic;  // misaki_gothic.ttf
};

// Where Debian's xfonts-shinonome and fonts-misaki put them (a build may
// name other places).
FontSources DefaultFontSources();

struct MadeFont {
  std::string fileName;  // as the card's loader names it, e.g. "MNLZN16X.TLF"
  std::string madeFrom;  // the source files, for the report
  BitmapFont font;
};

// Makes the seven fonts, in the order the card's loader reads them.
// Characters a source lacks are left out (double-byte) or blank
// (single-byte), with a line in notes for those of ASCII and half-width
// katakana. False, with a reason in error, when a source cannot be read
// or one of its glyphs cannot be copied exactly into its cell.
bool MakeFontSet(const FontSources& sources, std::vector<MadeFont>& fonts,
                 std::vector<std::string>& notes, std::string& error);

// JIS X 0208 code (row + 0x20 in the high byte, cell + 0x20 in the low)
// to Shift-JIS, e.g. 0x2121 to 0x8140 and 0x467C (日) to 0x93FA.
uint16_t JisToSjis(uint16_t jis);

// The Unicode character of a double-byte Shift-JIS code as code page 932
// has it, or 0 when the code has none.
uint32_t SjisToUnicode(uint16_t sjis);
