#include "font/font_file.h"

#include <cstdlib>
#include <cstring>

#include "base/console.h"
#include "font/messages.h"
#include "state/run_state.h"
#include "text/sjis.h"

namespace {

constexpr int kHeaderBytes = 17;  // magic, name, XSize, YSize, CodeType
constexpr int kMaxSingleByteWidth = 8;
constexpr int kMaxDoubleByteWidth = 16;
constexpr int kMaxHeight = 16;
constexpr int kMaxGlyphs = 65536;  // more than one glyph per 16-bit code is no font
constexpr int kSingleByteSlotBytes = 16;
constexpr int kDoubleByteSlotBytes = 32;
// The largest glyph bitmap the limits above allow: 16 rows of two bytes.
constexpr int kMaxFileGlyphBytes = kMaxHeight * 2;

// Clears buf (size bytes) and reads count bytes into it; whatever lies past
// the end of the file or past count stays zero. Returns the bytes read.
int ReadZeroFilled(std::FILE* file, uint8_t* buf, int size, int count) {
  std::memset(buf, 0, static_cast<size_t>(size));
  return static_cast<int>(std::fread(buf, 1, static_cast<size_t>(count), file));
}

// The font's one allocation: the block table followed by the glyph slots,
// all zero. Never freed: fonts live until the process ends.
uint8_t* AllocateFontMemory(int blockCount, int glyphCount, int slotBytes) {
  size_t bytes = sizeof(CodeBlock) * static_cast<size_t>(blockCount) +
                 static_cast<size_t>(glyphCount) * static_cast<size_t>(slotBytes);
  return static_cast<uint8_t*>(std::calloc(1, bytes > 0 ? bytes : 1));
}

// Rows of a single-byte glyph (one byte each) to a 16-byte slot: rows 0..7
// to the upper page, rows 8..15 to the lower page when the font has them.
void ConvertSingleByteGlyph(const uint8_t* rows, int height, uint8_t* slot) {
  TransposeGlyphBlock(rows, slot);
  if (height > 8) TransposeGlyphBlock(rows + 8, slot + 8);
}

// A double-byte glyph to a 32-byte slot. One byte per row: rows 0..7 to
// the upper page of columns 0..7. Two bytes per row: left and right
// halves to columns 0..7 and 8..15, rows 0..7 to the upper page (bytes
// 0..15) and rows 8..15 to the lower page (bytes 16..31).
void ConvertDoubleByteGlyph(const uint8_t* bitmap, int bytesPerRow, int height, uint8_t* slot) {
  if (bytesPerRow == 1) {
    TransposeGlyphBlock(bitmap, slot);
    return;
  }
  if (bytesPerRow != 2) return;
  for (int page = 0; page < 2; ++page) {
    if (page == 1 && height <= 8) break;
    uint8_t left[8];
    uint8_t right[8];
    for (int r = 0; r < 8; ++r) {
      left[r] = bitmap[(page * 8 + r) * 2];
      right[r] = bitmap[(page * 8 + r) * 2 + 1];
    }
    TransposeGlyphBlock(left, slot + page * 16);
    TransposeGlyphBlock(right, slot + page * 16 + 8);
  }
}

// A file shorter than its header says would leave glyphs blank without a
// word (every title drawn empty): it is named and refused.
bool RefuseShortFile(const char* fileName) {
  ConsolePrintf(kMsgFontFileTooShort, fileName, fileName);
  return false;
}

bool ReadSingleByteFont(std::FILE* file, FontRecord& font, const char* fileName, long fileBytes) {
  if (font.width > kMaxSingleByteWidth) {
    ConsolePrintf(kMsgSingleByteTooWide, fileName, font.width);
    return false;
  }
  if (fileBytes < kHeaderBytes + 256L * font.height) return RefuseShortFile(fileName);
  font.bytesPerRow = 1;
  font.fileGlyphBytes = font.height;
  font.slotBytes = kSingleByteSlotBytes;
  font.blockCount = 1;
  uint8_t* memory = AllocateFontMemory(1, 256, kSingleByteSlotBytes);
  if (memory == nullptr) {
    ConsolePrintf(kMsgNoFontMemory, fileName);
    return false;
  }
  font.blocks = reinterpret_cast<CodeBlock*>(memory);
  font.blocks[0] = CodeBlock{0, 255, 256, memory + sizeof(CodeBlock)};
  uint8_t rows[kMaxFileGlyphBytes];
  for (int code = 0; code < 256; ++code) {
    ReadZeroFilled(file, rows, sizeof rows, font.fileGlyphBytes);
    ConvertSingleByteGlyph(rows, font.height, font.blocks[0].glyphs + code * kSingleByteSlotBytes);
  }
  return true;
}

bool ReadDoubleByteFont(std::FILE* file, FontRecord& font, const char* fileName, long fileBytes) {
  if (font.width > kMaxDoubleByteWidth) {
    ConsolePrintf(kMsgDoubleByteTooWide, fileName, font.width);
    return false;
  }
  uint8_t tnum = 0;
  if (std::fread(&tnum, 1, 1, file) != 1) {
    ConsolePrintf(kMsgNotFontx);
    return false;
  }
  font.blockCount = tnum;
  font.bytesPerRow = (font.width + 7) / 8;
  font.fileGlyphBytes = font.height * font.bytesPerRow;
  font.slotBytes = kDoubleByteSlotBytes;

  // A block whose last code lies before its first holds no glyphs.
  CodeBlock table[255] = {};
  int glyphTotal = 0;
  for (int i = 0; i < font.blockCount; ++i) {
    uint8_t entry[4];
    if (ReadZeroFilled(file, entry, 4, 4) < 4) return RefuseShortFile(fileName);
    table[i].firstCode = static_cast<uint16_t>(entry[0] | entry[1] << 8);
    table[i].lastCode = static_cast<uint16_t>(entry[2] | entry[3] << 8);
    if (table[i].lastCode >= table[i].firstCode) {
      table[i].glyphCount = table[i].lastCode - table[i].firstCode + 1;
    }
    glyphTotal += table[i].glyphCount;
  }
  if (glyphTotal > kMaxGlyphs) {
    ConsolePrintf(kMsgTooManyGlyphs, fileName, glyphTotal);
    return false;
  }
  const long tableEnd = kHeaderBytes + 1L + 4L * font.blockCount;
  if (fileBytes - tableEnd < static_cast<long>(glyphTotal) * font.fileGlyphBytes) {
    return RefuseShortFile(fileName);
  }

  uint8_t* memory = AllocateFontMemory(font.blockCount, glyphTotal, kDoubleByteSlotBytes);
  if (memory == nullptr) {
    ConsolePrintf(kMsgNoFontMemory, fileName);
    return false;
  }
  font.blocks = reinterpret_cast<CodeBlock*>(memory);
  uint8_t* slot = memory + sizeof(CodeBlock) * static_cast<size_t>(font.blockCount);
  for (int i = 0; i < font.blockCount; ++i) {
    font.blocks[i] = table[i];
    font.blocks[i].glyphs = table[i].glyphCount > 0 ? slot : nullptr;
    slot += static_cast<size_t>(table[i].glyphCount) * kDoubleByteSlotBytes;
  }

  for (int high = 0; high < 256; ++high) {
    int i = 0;
    while (i < font.blockCount &&
           !(font.blocks[i].glyphCount > 0 && font.blocks[i].firstCode >> 8 <= high &&
             font.blocks[i].lastCode >> 8 >= high)) {
      ++i;
    }
    font.firstBlock[high] = static_cast<uint8_t>(i);
  }

  uint8_t bitmap[kMaxFileGlyphBytes];
  for (int i = 0; i < font.blockCount; ++i) {
    for (int g = 0; g < font.blocks[i].glyphCount; ++g) {
      ReadZeroFilled(file, bitmap, sizeof bitmap, font.fileGlyphBytes);
      ConvertDoubleByteGlyph(bitmap, font.bytesPerRow, font.height,
                             font.blocks[i].glyphs + g * kDoubleByteSlotBytes);
    }
  }
  return true;
}

bool ReadFont(std::FILE* file, FontRecord& font, const char* fileName) {
  std::fseek(file, 0, SEEK_END);
  const long fileBytes = std::ftell(file);
  std::rewind(file);
  uint8_t header[kHeaderBytes];
  if (ReadZeroFilled(file, header, kHeaderBytes, kHeaderBytes) < kHeaderBytes ||
      std::memcmp(header, "FONTX2", 6) != 0) {
    ConsolePrintf(kMsgNotFontx);
    return false;
  }
  FontRecord read{};
  read.width = header[14];
  read.height = header[15];
  read.codeType = header[16];
  if (read.height > kMaxHeight) {
    ConsolePrintf(kMsgFontTooHigh, fileName, read.height);
    return false;
  }
  int ok = read.codeType == 0 ? ReadSingleByteFont(file, read, fileName, fileBytes)
                              : ReadDoubleByteFont(file, read, fileName, fileBytes);
  if (ok) font = read;
  return ok;
}

}  // namespace

bool GetFontMetrics(std::FILE* file, FontRecord& font, const char* fileName) {
  int ok = ReadFont(file, font, fileName);
  std::fclose(file);
  return ok;
}

namespace {

// kSpread[b] holds, in byte c, bit 7 - c of b: a row's pixels, one to a
// column byte. Shifted left by r they land on bit r of each column, which
// is where row r goes.
struct SpreadTable {
  uint64_t bits[256];
};

constexpr SpreadTable MakeSpreadTable() {
  SpreadTable t{};
  for (int b = 0; b < 256; ++b) {
    for (int c = 0; c < 8; ++c) t.bits[b] |= static_cast<uint64_t>((b >> (7 - c)) & 1) << (8 * c);
  }
  return t;
}

constexpr SpreadTable kSpread = MakeSpreadTable();

}  // namespace

// Column c, bit r is row r, bit 7 - c (a font's rows go left to right from
// the high bit). One table lookup per row: every glyph of every font loaded
// passes through here.
void TransposeGlyphBlock(const uint8_t* rows, uint8_t* columns) {
  uint64_t all = 0;
  for (int r = 0; r < 8; ++r) all |= kSpread.bits[rows[r]] << r;
  for (int c = 0; c < 8; ++c) columns[c] = static_cast<uint8_t>(all >> (8 * c));
}

const uint8_t* FindGlyph(const FontRecord& font, uint16_t code) {
  for (int i = font.firstBlock[code >> 8]; i < font.blockCount; ++i) {
    const CodeBlock& block = font.blocks[i];
    if (code < block.firstCode || code > block.lastCode) continue;
    int index = code - block.firstCode;
    if (index >= block.glyphCount || block.glyphs == nullptr) continue;
    return block.glyphs + index * font.slotBytes;
  }
  return nullptr;
}

bool MakeHalfWidthFont(const FontRecord& source, FontRecord& target) {
  uint8_t* memory = AllocateFontMemory(1, 256, kSingleByteSlotBytes);
  if (memory == nullptr) return false;
  FontRecord made{};
  // A single-byte slot holds eight columns, so a wider source gives its
  // left eight columns.
  made.width = source.width < kMaxSingleByteWidth ? source.width : kMaxSingleByteWidth;
  made.height = source.height;
  made.bytesPerRow = 1;
  made.fileGlyphBytes = source.height;
  made.slotBytes = kSingleByteSlotBytes;
  made.codeType = 0;
  made.blockCount = 1;
  made.blocks = reinterpret_cast<CodeBlock*>(memory);
  made.blocks[0] = CodeBlock{0, 255, 256, memory + sizeof(CodeBlock)};
  int sourcePage = source.slotBytes / 2;
  int columns = sourcePage < 8 ? sourcePage : 8;
  for (int b = 0; b < 256; ++b) {
    bool convertible = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
    uint16_t code = convertible ? MbbToMbc(static_cast<uint8_t>(b)) : 0x0020;
    const uint8_t* glyph = FindGlyph(source, code);
    if (glyph == nullptr) continue;  // the slot stays blank
    uint8_t* slot = made.blocks[0].glyphs + b * kSingleByteSlotBytes;
    // Upper page columns 0..7, and the lower page the source may have.
    std::memcpy(slot, glyph, static_cast<size_t>(columns));
    std::memcpy(slot + 8, glyph + sourcePage, static_cast<size_t>(columns));
  }
  target = made;
  return true;
}
