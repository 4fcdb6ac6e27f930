#include "font/font_file.h"

#include <gtest/gtest.h>

#include <memory>

#include "driver/run_state.h"
#include "font/font_test_util.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

using Bytes = std::vector<uint8_t>;

FontxSpec DoubleByte(int width, int height, std::vector<std::pair<uint16_t, uint16_t>> blocks,
                     FontxRowFn rows = nullptr) {
  FontxSpec spec;
  spec.width = width;
  spec.height = height;
  spec.codeType = 1;
  spec.blocks = std::move(blocks);
  spec.rows = std::move(rows);
  return spec;
}

FontxSpec SingleByte(int width, int height, FontxRowFn rows = nullptr) {
  FontxSpec spec;
  spec.width = width;
  spec.height = height;
  spec.codeType = 0;
  spec.rows = std::move(rows);
  return spec;
}

Bytes Repeat(uint8_t value, int count) { return Bytes(static_cast<size_t>(count), value); }

TEST(TransposeGlyphBlock, TurnsRowsIntoColumnBytes) {
  const uint8_t diagonal[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  const uint8_t triangle[8] = {0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
  const uint8_t corner[8] = {0x01, 0, 0, 0, 0, 0, 0, 0};
  uint8_t out[8];
  TransposeGlyphBlock(diagonal, out);
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
  TransposeGlyphBlock(triangle, out);
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{0xFF, 0xFE, 0xFC, 0xF8, 0xF0, 0xE0, 0xC0, 0x80}));
  TransposeGlyphBlock(corner, out);  // top row, rightmost pixel
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x01}));
}

TEST(GetFontMetrics, ReadsSingleByteFontIntoSixteenByteSlots) {
  TempCard card;
  FontRecord font{};
  // Glyph 0x41: a diagonal in rows 0..7, a full row 8; every other glyph blank.
  auto rows = [](uint16_t code, int row) -> uint32_t {
    if (code != 0x41) return 0;
    return row < 8 ? 0x80u >> row : row == 8 ? 0xFF : 0;
  };
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(8, 16, rows)), font), 1);
  EXPECT_EQ(font.width, 8);
  EXPECT_EQ(font.height, 16);
  EXPECT_EQ(font.bytesPerRow, 1);
  EXPECT_EQ(font.fileGlyphBytes, 16);
  EXPECT_EQ(font.slotBytes, 16);
  EXPECT_EQ(font.codeType, 0);
  ASSERT_EQ(font.blockCount, 1);
  EXPECT_EQ(font.blocks[0].firstCode, 0);
  EXPECT_EQ(font.blocks[0].lastCode, 255);
  EXPECT_EQ(font.blocks[0].glyphCount, 256);
  EXPECT_EQ(FindGlyph(font, 0x41), font.blocks[0].glyphs + 0x41 * 16);
  EXPECT_EQ(Slot(font, 0x41), (Bytes{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80,  //
                                     0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}));
  EXPECT_EQ(Slot(font, 0x40), Repeat(0, 16));
  EXPECT_EQ(Slot(font, 0x42), Repeat(0, 16));
  EXPECT_EQ(FindGlyph(font, 0x100), nullptr);
}

TEST(GetFontMetrics, ReadsSixteenPixelDoubleByteGlyphIntoBothPages) {
  TempCard card;
  FontRecord font{};
  auto rows = [](uint16_t code, int row) -> uint32_t {
    if (code == 0x8140) return row == 0 ? 0x8001 : 0;
    if (code == 0x8141) return row == 8 ? 0x0100 : row == 15 ? 0x0080 : 0;
    return 0;
  };
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(16, 16, {{0x8140, 0x8141}}, rows)), font), 1);
  EXPECT_EQ(font.bytesPerRow, 2);
  EXPECT_EQ(font.fileGlyphBytes, 32);
  EXPECT_EQ(font.slotBytes, 32);
  Bytes first = Repeat(0, 32);
  first[0] = 0x01;   // column 0, row 0
  first[15] = 0x01;  // column 15, row 0
  EXPECT_EQ(Slot(font, 0x8140), first);
  Bytes second = Repeat(0, 32);
  second[16 + 7] = 0x01;  // column 7, row 8
  second[16 + 8] = 0x80;  // column 8, row 15
  EXPECT_EQ(Slot(font, 0x8141), second);
}

TEST(GetFontMetrics, FindsGlyphsAcrossTwoBlocks) {
  TempCard card;
  FontRecord font{};
  // Each glyph's top row holds its code's low byte, so slots identify glyphs.
  auto rows = [](uint16_t code, int row) -> uint32_t { return row == 0 ? (code & 0xFF) << 8 : 0; };
  ASSERT_EQ(ReadFontBytes(card,
                          BuildFontx(DoubleByte(16, 16, {{0x8140, 0x817E}, {0x8180, 0x81AC}}, rows)),
                          font),
            1);
  ASSERT_EQ(font.blockCount, 2);
  EXPECT_EQ(font.blocks[1].glyphCount, 0x81AC - 0x8180 + 1);
  EXPECT_EQ(FindGlyph(font, 0x8180), font.blocks[1].glyphs);
  EXPECT_EQ(FindGlyph(font, 0x817E), font.blocks[0].glyphs + 62 * 32);
  EXPECT_EQ(FindGlyph(font, 0x817F), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x813F), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x81AD), nullptr);
  // 0x81AC's top row is 0xAC: columns 0, 2, 4 and 5 lit.
  EXPECT_EQ(Slot(font, 0x81AC), (Bytes{1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GetFontMetrics, FindsNothingInFontWithoutBlocks) {
  TempCard card;
  FontRecord font{};
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(16, 16, {})), font), 1);
  EXPECT_EQ(font.blockCount, 0);
  for (int code : {0x0000, 0x0020, 0x0041, 0x8140, 0xFFFF}) {
    EXPECT_EQ(FindGlyph(font, static_cast<uint16_t>(code)), nullptr) << code;
  }
}

TEST(GetFontMetrics, RefusesFileThatIsNotFontx2AndLeavesRecordAlone) {
  TempCard card;
  FontRecord font{};
  font.width = 77;
  FontxSpec spec = SingleByte(8, 16);
  spec.magic = "FONTX1";
  std::string console;
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(spec), font, &console), 0);
  EXPECT_EQ(console, "FONTXでない\n");
  EXPECT_EQ(font.width, 77);
  EXPECT_EQ(font.blocks, nullptr);
  // A header cut short is no font either.
  EXPECT_EQ(ReadFontBytes(card, Bytes{'F', 'O', 'N', 'T', 'X', '2', 'A'}, font, &console), 0);
  EXPECT_EQ(console, "FONTXでない\n");
  EXPECT_EQ(ReadFontBytes(card, Bytes{}, font, &console), 0);
  EXPECT_EQ(console, "FONTXでない\n");

  spec.magic = "FONTX2";
  spec.name = "\x01\xFF??*\\ X";  // the name field is not looked at
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(spec), font, &console), 1);
  EXPECT_EQ(console, "");
  EXPECT_EQ(font.width, 8);
}

TEST(GetFontMetrics, RefusesFontsBeyondTheSlotLimitsWithOneLine) {
  TempCard card;
  FontRecord font{};
  std::string console;
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(9, 16)), font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: 1バイトフォントの幅が8ドットを超えている (9)\n");
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(17, 16, {{0x8140, 0x8140}})), font, &console),
            0);
  EXPECT_EQ(console, "TEST.FNT: 2バイトフォントの幅が16ドットを超えている (17)\n");
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(16, 17, {{0x8140, 0x8140}})), font, &console),
            0);
  EXPECT_EQ(console, "TEST.FNT: フォントの高さが16ドットを超えている (17)\n");
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(8, 255)), font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: フォントの高さが16ドットを超えている (255)\n");
  // Two blocks of every code would be 131072 glyphs: refused, nothing allocated.
  FontxSpec huge = DoubleByte(16, 16, {{0x0000, 0xFFFF}, {0x0000, 0xFFFF}});
  Bytes header = BuildFontx(DoubleByte(16, 16, {}));
  header[17] = 2;
  for (int i = 0; i < 2; ++i) header.insert(header.end(), {0x00, 0x00, 0xFF, 0xFF});
  EXPECT_EQ(ReadFontBytes(card, header, font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: 文字数が65536を超えている (131072)\n");
  EXPECT_EQ(font.blocks, nullptr);
  // The largest fonts the slots take are read.
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(8, 16)), font, &console), 1);
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(16, 16, {{0x8140, 0x8140}})), font), 1);
}

TEST(GetFontMetrics, LeavesUnconvertedPagesZero) {
  TempCard card;
  FontRecord font{};
  auto lit = [](uint16_t, int) -> uint32_t { return 0xFFFF; };
  // Double-byte 8 pixels wide: only the upper page of columns 0..7, even
  // with 16 rows in the file.
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(8, 16, {{0x8140, 0x8141}}, lit)), font), 1);
  Bytes upperOnly = Repeat(0, 32);
  for (int k = 0; k < 8; ++k) upperOnly[k] = 0xFF;
  EXPECT_EQ(Slot(font, 0x8140), upperOnly);
  EXPECT_EQ(Slot(font, 0x8141), upperOnly);
  // Single-byte 8 rows: no lower page.
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(8, 8, lit)), font), 1);
  EXPECT_EQ(Slot(font, 0x7F), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Twelve rows: the lower page holds rows 8..11 only; the next glyph's
  // rows never show up as rows 12..15.
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(12, 12, {{0x8140, 0x8141}}, lit)), font), 1);
  Bytes twelve = Repeat(0, 32);
  for (int k = 0; k < 8; ++k) twelve[k] = 0xFF;
  for (int k = 8; k < 16; ++k) twelve[k] = 0xFF;  // the file's padding bits are set too
  for (int k = 16; k < 32; ++k) twelve[k] = 0x0F;
  EXPECT_EQ(Slot(font, 0x8140), twelve);
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(SingleByte(6, 12, lit)), font), 1);
  EXPECT_EQ(Slot(font, 0x20)[8], 0x0F);
}

TEST(GetFontMetrics, LeavesGlyphsPastTheEndOfATruncatedFileBlank) {
  TempCard card;
  FontRecord font{};
  auto lit = [](uint16_t, int) -> uint32_t { return 0xFFFF; };
  Bytes bytes = BuildFontx(DoubleByte(16, 16, {{0x8140, 0x8143}}, lit));
  const size_t table = 18 + 4;
  bytes.resize(table + 32 + 16);  // glyph 0 whole, glyph 1 up to row 7
  ASSERT_EQ(ReadFontBytes(card, bytes, font), 1);
  EXPECT_EQ(Slot(font, 0x8140), Repeat(0xFF, 32));
  Bytes half = Repeat(0, 32);
  for (int k = 0; k < 16; ++k) half[k] = 0xFF;
  EXPECT_EQ(Slot(font, 0x8141), half);
  EXPECT_EQ(Slot(font, 0x8142), Repeat(0, 32));
  EXPECT_EQ(Slot(font, 0x8143), Repeat(0, 32));

  // A block table cut off: the missing blocks hold nothing.
  Bytes cut = BuildFontx(DoubleByte(16, 16, {{0x8140, 0x8140}, {0x8240, 0x8240}}, lit));
  cut.resize(18 + 4 + 2);
  ASSERT_EQ(ReadFontBytes(card, cut, font), 1);
  EXPECT_EQ(font.blockCount, 2);
  EXPECT_EQ(Slot(font, 0x8140), Repeat(0, 32));
  EXPECT_EQ(FindGlyph(font, 0x8240), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x0000), nullptr);

  // Single-byte: glyphs after the last whole one are blank.
  Bytes single = BuildFontx(SingleByte(8, 8, lit));
  single.resize(17 + 8 * 3 + 4);
  ASSERT_EQ(ReadFontBytes(card, single, font), 1);
  EXPECT_EQ(Slot(font, 2)[0], 0xFF);
  EXPECT_EQ(Slot(font, 3), (Bytes{0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Slot(font, 4), Repeat(0, 16));
}

TEST(GetFontMetrics, TakesBlockWithLastBeforeFirstAsEmpty) {
  TempCard card;
  FontRecord font{};
  auto rows = [](uint16_t code, int row) -> uint32_t { return row == 0 ? (code & 0xFF) << 8 : 0; };
  ASSERT_EQ(ReadFontBytes(card,
                          BuildFontx(DoubleByte(16, 16, {{0xFFFF, 0x0000}, {0x8140, 0x8141}}, rows)),
                          font),
            1);
  EXPECT_EQ(font.blocks[0].glyphCount, 0);
  EXPECT_EQ(FindGlyph(font, 0x0000), nullptr);
  EXPECT_EQ(FindGlyph(font, 0xFFFF), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x8140), font.blocks[1].glyphs);
  EXPECT_EQ(Slot(font, 0x8141)[7], 0x01);  // top row 0x41: column 7 lit
}

TEST(MakeHalfWidthFont, TakesFullWidthCounterpartsOfAsciiAndKatakana) {
  TempCard card;
  FontRecord full{};
  ASSERT_EQ(ReadFontBytes(card, BuildTestFont(kTestFull6x8), full), 1);
  FontRecord half{};
  ASSERT_EQ(MakeHalfWidthFont(full, half), 1);
  KeepFontMemory(half);
  EXPECT_EQ(half.width, 6);
  EXPECT_EQ(half.height, 8);
  EXPECT_EQ(half.codeType, 0);
  EXPECT_EQ(half.slotBytes, 16);
  EXPECT_EQ(half.blockCount, 1);

  auto expectFrom = [&](int byte, int fullCode) {
    Bytes expected = Repeat(0, 16);
    for (int x = 0; x < 6; ++x) {
      expected[x] = TestGlyphColumn(kTestFull6x8, static_cast<uint16_t>(fullCode), x, 0);
    }
    EXPECT_EQ(Slot(half, static_cast<uint16_t>(byte)), expected) << std::hex << byte;
  };
  expectFrom(0x20, 0x8140);  // full-width space
  expectFrom(0x41, 0x8260);  // full-width A
  expectFrom(0xB1, 0x8341);  // katakana A
  expectFrom(0xDF, 0x814B);  // semi-voiced mark
  EXPECT_NE(Slot(half, 0x41), Repeat(0, 16));
  EXPECT_EQ(Slot(half, 0x80), Repeat(0, 16));
  EXPECT_EQ(Slot(half, 0xE0), Repeat(0, 16));
  EXPECT_EQ(Slot(half, 0x00), Repeat(0, 16));
  for (int b = 0; b < 256; ++b) {
    uint8_t byte = static_cast<uint8_t>(b);
    EXPECT_EQ(Slot(half, byte)[3], TestHalf6x8Column(byte, 3)) << b;
  }
}

TEST(MakeHalfWidthFont, UsesTheGlyphOfCode0x0020ForOtherBytes) {
  TempCard card;
  FontRecord full{};
  auto rows = [](uint16_t code, int row) -> uint32_t { return row == 0 ? (code == 0x20 ? 0x80 : 0x40) : 0; };
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(DoubleByte(6, 8, {{0x0020, 0x0020}, {0x8260, 0x8260}}, rows)),
                          full),
            1);
  FontRecord half{};
  ASSERT_EQ(MakeHalfWidthFont(full, half), 1);
  KeepFontMemory(half);
  EXPECT_EQ(Slot(half, 0x80)[0], 0x01);
  EXPECT_EQ(Slot(half, 0x05)[0], 0x01);
  EXPECT_EQ(Slot(half, 0x41)[1], 0x01);  // 0x8260
  EXPECT_EQ(Slot(half, 0x42), Repeat(0, 16));  // 0x8261 is missing
}

// Real fonts made by other tools: the glyph of a code sits where the block
// table says, and converts to the file's pixels.
class RealFont : public testing::Test {
 protected:
  static bool Pixel(const Bytes& file, size_t offset, int bytesPerRow, int x, int y) {
    return (file[offset + static_cast<size_t>(y * bytesPerRow + x / 8)] >> (7 - x % 8)) & 1;
  }
  static uint8_t Column(const Bytes& file, size_t offset, int bytesPerRow, int x, int firstRow) {
    uint8_t column = 0;
    for (int r = 0; r < 8; ++r) {
      if (Pixel(file, offset, bytesPerRow, x, firstRow + r)) column |= static_cast<uint8_t>(1 << r);
    }
    return column;
  }
  TempCard card;
};

TEST_F(RealFont, ReadsSingleByte8x16Font) {
  Bytes file = RealFontBytes("ILGH16XB.FNT");
  ASSERT_EQ(file.size(), 17u + 256 * 16);
  FontRecord font{};
  ASSERT_EQ(ReadFontBytes(card, file, font), 1);
  EXPECT_EQ(font.width, 8);
  EXPECT_EQ(font.height, 16);
  Bytes a = Slot(font, 'A');
  int lit = 0;
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(a[k], Column(file, 17 + 'A' * 16, 1, k, 0));
    EXPECT_EQ(a[8 + k], Column(file, 17 + 'A' * 16, 1, k, 8));
    lit += __builtin_popcount(a[k]) + __builtin_popcount(a[8 + k]);
  }
  EXPECT_GT(lit, 10);
  EXPECT_EQ(Slot(font, ' '), Repeat(0, 16));
}

TEST_F(RealFont, ReadsDoubleByte16x16FontWith94Blocks) {
  Bytes file = RealFontBytes("ILGZ16XB.FNT");
  ASSERT_GT(file.size(), 18u);
  FontRecord font{};
  ASSERT_EQ(ReadFontBytes(card, file, font), 1);
  EXPECT_EQ(font.width, 16);
  EXPECT_EQ(font.height, 16);
  ASSERT_EQ(font.blockCount, 94);
  // Where the kanji 日 (0x93FA) lies in the file, from its block table.
  const uint16_t kanji = 0x93FA;
  size_t offset = 18 + 4 * 94;
  bool found = false;
  for (int i = 0; i < 94 && !found; ++i) {
    uint16_t first = static_cast<uint16_t>(file[18 + 4 * i] | file[19 + 4 * i] << 8);
    uint16_t last = static_cast<uint16_t>(file[20 + 4 * i] | file[21 + 4 * i] << 8);
    if (kanji >= first && kanji <= last) {
      offset += static_cast<size_t>(kanji - first) * 32;
      found = true;
    } else {
      offset += static_cast<size_t>(last - first + 1) * 32;
    }
  }
  ASSERT_TRUE(found);
  Bytes slot = Slot(font, kanji);
  ASSERT_EQ(slot.size(), 32u);
  int upperLit = 0;
  int lowerLit = 0;
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(slot[k], Column(file, offset, 2, k, 0)) << k;
    EXPECT_EQ(slot[16 + k], Column(file, offset, 2, k, 8)) << k;
    upperLit += __builtin_popcount(slot[k]);
    lowerLit += __builtin_popcount(slot[16 + k]);
  }
  EXPECT_GT(upperLit, 10);
  EXPECT_GT(lowerLit, 10);
  EXPECT_EQ(Slot(font, 0x8140), Repeat(0, 32));  // full-width space
  EXPECT_NE(Slot(font, MbbToMbc('A')), Repeat(0, 32));
}

}  // namespace
