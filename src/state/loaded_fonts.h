// The loaded fonts: the font loader fills them, the renderers read them.
#pragma once

#include <cstdint>

// A code range of a loaded font with its glyphs converted to column-byte
// slots (32 bytes per glyph in a double-byte font, 16 in a single-byte one).
struct CodeBlock {
  uint16_t firstCode;
  uint16_t lastCode;
  int32_t glyphCount;
  uint8_t* glyphs;
};

struct FontRecord {
  int32_t width;
  int32_t height;
  int32_t bytesPerRow;
  int32_t fileGlyphBytes;
  int32_t slotBytes;
  int32_t codeType;
  int32_t blockCount;
  CodeBlock* blocks;
  // For each high byte of a code, the first block that holds any code with
  // it (blockCount for none): a lookup starts there and finds the glyph a
  // search from block 0 finds. All zeros (search every block) is valid.
  uint8_t firstBlock[256];
};

// Font slots, in the order the font set loads them.
struct FontSet {
  FontRecord full16Font;
  FontRecord half16Font;
  FontRecord full6x8Font;
  FontRecord half6x8Font;
  FontRecord full12Font;
  FontRecord half12Font;
  FontRecord half8Font;
  FontRecord full8Font;
};
