#include "font/font_file.h"

#include <gtest/gtest.h>

#include "driver/run_state.h"
#include "font/font_test_util.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

using Bytes = std::vector<uint8_t>;

FontxDesign Design(int width, int height, int codeType, FontxRowFn rows = nullptr,
               std::vector<std::pair<uint16_t, uint16_t>> blocks = {}) {
  FontxDesign design;
  design.width = width;
  design.height = height;
  design.codeType = codeType;
  design.rows = std::move(rows);
  design.blocks = std::move(blocks);
  return design;
}

// Glyph rows that name their code: the top row holds the code's low byte.
uint32_t CodeRow(uint16_t code, int row) { return row == 0 ? (code & 0xFF) << 8 : 0; }
uint32_t AllLit(uint16_t, int) { return 0xFFFF; }

Bytes With(Bytes bytes, std::initializer_list<std::pair<int, uint8_t>> set) {
  for (auto [i, v] : set) bytes[static_cast<size_t>(i)] = v;
  return bytes;
}

TEST(TransposeGlyphBlock, TurnsRowsIntoColumnBytes) {
  const uint8_t diagonal[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  const uint8_t triangle[8] = {0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
  uint8_t out[8];
  TransposeGlyphBlock(diagonal, out);
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
  TransposeGlyphBlock(triangle, out);
  EXPECT_EQ(Bytes(out, out + 8), (Bytes{0xFF, 0xFE, 0xFC, 0xF8, 0xF0, 0xE0, 0xC0, 0x80}));
}

TEST(GetFontMetrics, ReadsSingleByteFontIntoSixteenByteSlots) {
  TempCard card;
  FontRecord font{};
  // Glyph 0x41: a diagonal in rows 0..7 and a full row 8.
  auto rows = [](uint16_t code, int row) -> uint32_t {
    return code != 0x41 ? 0 : row < 8 ? 0x80u >> row : row == 8 ? 0xFF : 0;
  };
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(8, 16, 0, rows)), font), 1);
  EXPECT_EQ((std::vector<int>{font.width, font.height, font.bytesPerRow, font.fileGlyphBytes,
                              font.slotBytes, font.codeType, font.blockCount}),
            (std::vector<int>{8, 16, 1, 16, 16, 0, 1}));
  EXPECT_EQ(FindGlyph(font, 0x41), font.blocks[0].glyphs + 0x41 * 16);
  EXPECT_EQ(Slot(font, 0x41), (Bytes{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80,  //
                                     0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}));
  EXPECT_EQ(Slot(font, 0x42), Bytes(16, 0));
  EXPECT_EQ(FindGlyph(font, 0x100), nullptr);
}

TEST(GetFontMetrics, ReadsSixteenPixelDoubleByteGlyphIntoBothPages) {
  TempCard card;
  FontRecord font{};
  auto rows = [](uint16_t code, int row) -> uint32_t {
    if (code == 0x8140) return row == 0 ? 0x8001 : 0;
    return row == 8 ? 0x0100 : row == 15 ? 0x0080 : 0;
  };
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(16, 16, 1, rows, {{0x8140, 0x8141}})), font), 1);
  EXPECT_EQ(font.fileGlyphBytes, 32);
  EXPECT_EQ(Slot(font, 0x8140), With(Bytes(32, 0), {{0, 0x01}, {15, 0x01}}));
  // Row 8 at column 7 and row 15 at column 8: the lower page.
  EXPECT_EQ(Slot(font, 0x8141), With(Bytes(32, 0), {{16 + 7, 0x01}, {16 + 8, 0x80}}));
}

TEST(FindGlyph, TakesTheBlockThatHoldsTheCode) {
  TempCard card;
  FontRecord font{};
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(16, 16, 1, CodeRow, {{0x8140, 0x817E}, {0x8180, 0x81AC}})),
                          font),
            1);
  EXPECT_EQ(FindGlyph(font, 0x8180), font.blocks[1].glyphs);
  EXPECT_EQ(FindGlyph(font, 0x817E), font.blocks[0].glyphs + 62 * 32);
  EXPECT_EQ(FindGlyph(font, 0x817F), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x81AD), nullptr);
  // 0x81AC's top row is 0xAC: columns 0, 2, 4 and 5 lit.
  EXPECT_EQ(Slot(font, 0x81AC), With(Bytes(32, 0), {{0, 1}, {2, 1}, {4, 1}, {5, 1}}));

  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(16, 16, 1)), font), 1);  // Tnum 0
  EXPECT_EQ(font.blockCount, 0);
  EXPECT_EQ(FindGlyph(font, 0x8140), nullptr);
  EXPECT_EQ(FindGlyph(font, 0x0041), nullptr);
}

TEST(GetFontMetrics, RefusesFilesThatAreNotFontx2AndLeavesTheRecordAlone) {
  TempCard card;
  FontRecord font{};
  font.width = 77;
  FontxDesign design = Design(8, 16, 0);
  design.magic = "FONTX1";
  std::string console;
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(design), font, &console), 0);
  EXPECT_EQ(console, "FONTXでない\n");
  EXPECT_EQ(ReadFontBytes(card, Bytes{'F', 'O', 'N', 'T', 'X', '2', 'A'}, font, &console), 0);
  EXPECT_EQ(console, "FONTXでない\n");  // a header cut short
  EXPECT_EQ(font.width, 77);
  EXPECT_EQ(font.blocks, nullptr);

  design.magic = "FONTX2";
  design.name = "\x01\xFF?*\\";  // the name is not looked at
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(design), font, &console), 1);
  EXPECT_EQ(font.width, 8);
}

TEST(GetFontMetrics, RefusesFontsBeyondTheSlotsWithOneLine) {
  TempCard card;
  FontRecord font{};
  std::string console;
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(Design(9, 16, 0)), font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: 1バイトフォントの幅が8ドットを超えている (9)\n");
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(Design(17, 16, 1)), font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: 2バイトフォントの幅が16ドットを超えている (17)\n");
  EXPECT_EQ(ReadFontBytes(card, BuildFontx(Design(16, 17, 1)), font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: フォントの高さが16ドットを超えている (17)\n");
  // Two blocks of every code, without their glyphs: refused before any allocation.
  Bytes huge = BuildFontx(Design(16, 16, 1));
  huge[17] = 2;
  for (int i = 0; i < 2; ++i) huge.insert(huge.end(), {0x00, 0x00, 0xFF, 0xFF});
  EXPECT_EQ(ReadFontBytes(card, huge, font, &console), 0);
  EXPECT_EQ(console, "TEST.FNT: 文字数が65536を超えている (131072)\n");
  EXPECT_EQ(font.blocks, nullptr);
}

TEST(GetFontMetrics, LeavesPagesTheFontDoesNotFillZero) {
  TempCard card;
  FontRecord font{};
  // Double-byte 8 wide: the upper page of columns 0..7 only, even with 16 rows.
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(8, 16, 1, AllLit, {{0x8140, 0x8141}})), font), 1);
  Bytes upperOnly(32, 0);
  std::fill(upperOnly.begin(), upperOnly.begin() + 8, 0xFF);
  EXPECT_EQ(Slot(font, 0x8141), upperOnly);
  // Twelve rows: the lower page holds rows 8..11; the next glyph's rows
  // never show as rows 12..15.
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(12, 12, 1, AllLit, {{0x8140, 0x8141}})), font), 1);
  Bytes twelve(32, 0xFF);
  std::fill(twelve.begin() + 16, twelve.end(), 0x0F);
  EXPECT_EQ(Slot(font, 0x8140), twelve);
  ASSERT_EQ(ReadFontBytes(card, BuildFontx(Design(6, 12, 0, AllLit)), font), 1);
  EXPECT_EQ(Slot(font, 0x20), (Bytes{255, 255, 255, 255, 255, 255, 255, 255, 15, 15, 15, 15, 15, 15, 15, 15}));
}

TEST(GetFontMetrics, KeepsWhatATruncatedFileHoldsAndNoMore) {
  TempCard card;
  FontRecord font{};
  Bytes bytes = BuildFontx(Design(16, 16, 1, AllLit, {{0x8140, 0x8143}}));
  bytes.resize(18 + 4 + 32 + 16);  // glyph 0 whole, glyph 1 down to row 7
  ASSERT_EQ(ReadFontBytes(card, bytes, font), 1);
  EXPECT_EQ(Slot(font, 0x8140), Bytes(32, 0xFF));
  Bytes upperOnly(32, 0);
  std::fill(upperOnly.begin(), upperOnly.begin() + 16, 0xFF);
  EXPECT_EQ(Slot(font, 0x8141), upperOnly);
  EXPECT_EQ(Slot(font, 0x8143), Bytes(32, 0));  // blank, but there

  // A block table cut off: the missing blocks hold nothing. A block whose
  // last code lies before its first is empty.
  Bytes cut = BuildFontx(Design(16, 16, 1, CodeRow, {{0xFFFF, 0x0000}, {0x8140, 0x8140}, {0x8240, 0x8240}}));
  cut.resize(18 + 8 + 2);
  ASSERT_EQ(ReadFontBytes(card, cut, font), 1);
  EXPECT_EQ(font.blockCount, 3);
  EXPECT_EQ(font.blocks[0].glyphCount, 0);
  EXPECT_EQ(Slot(font, 0x8140), Bytes(32, 0));
  for (int code : {0x0000, 0x8000, 0xFFFF, 0x8240}) {
    EXPECT_EQ(FindGlyph(font, static_cast<uint16_t>(code)), nullptr) << code;
  }
}

TEST(MakeHalfWidthFont, TakesFullWidthCounterpartsOfAsciiAndKatakana) {
  TempCard card;
  FontRecord full{};
  ASSERT_EQ(ReadFontBytes(card, BuildTestFont(kTestFull6x8), full), 1);
  FontRecord half{};
  ASSERT_EQ(MakeHalfWidthFont(full, half), 1);
  KeepFontMemory(half);
  EXPECT_EQ((std::vector<int>{half.width, half.height, half.codeType, half.slotBytes}),
            (std::vector<int>{6, 8, 0, 16}));
  auto expectFrom = [&](int byte, int fullCode) {
    Bytes expected(16, 0);
    for (int x = 0; x < 6; ++x) {
      expected[static_cast<size_t>(x)] = TestGlyphColumn(kTestFull6x8, static_cast<uint16_t>(fullCode), x, 0);
    }
    EXPECT_NE(expected, Bytes(16, 0));
    EXPECT_EQ(Slot(half, static_cast<uint16_t>(byte)), expected) << std::hex << byte;
  };
  expectFrom(0x20, 0x8140);  // full-width space
  expectFrom(0x41, 0x8260);  // full-width A
  expectFrom(0xB1, 0x8341);  // katakana A
  for (int blank : {0x00, 0x1F, 0x7F, 0x80, 0xA0, 0xE0, 0xFF}) {
    EXPECT_EQ(Slot(half, static_cast<uint16_t>(blank)), Bytes(16, 0)) << blank;
  }
}

// Real fonts made by other tools: a glyph sits where the block table says
// and converts to the file's own pixels.
uint8_t FileColumn(const Bytes& file, size_t glyph, int bytesPerRow, int x, int firstRow) {
  uint8_t column = 0;
  for (int r = 0; r < 8; ++r) {
    size_t at = glyph + static_cast<size_t>((firstRow + r) * bytesPerRow + x / 8);
    if ((file[at] >> (7 - x % 8)) & 1) column |= static_cast<uint8_t>(1 << r);
  }
  return column;
}

TEST(RealFonts, ReadSingleByte8x16AndDoubleByte16x16With94Blocks) {
  TempCard card;
  Bytes half = RealFontBytes("ILGH16XB.FNT");
  FontRecord font{};
  ASSERT_EQ(ReadFontBytes(card, half, font), 1);
  Bytes a = Slot(font, 'A');
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(a[k], FileColumn(half, 17 + 'A' * 16, 1, k, 0));
    EXPECT_EQ(a[8 + k], FileColumn(half, 17 + 'A' * 16, 1, k, 8));
  }
  EXPECT_NE(a, Bytes(16, 0));
  EXPECT_EQ(Slot(font, ' '), Bytes(16, 0));

  Bytes full = RealFontBytes("ILGZ16XB.FNT");
  ASSERT_EQ(ReadFontBytes(card, full, font), 1);
  ASSERT_EQ(font.blockCount, 94);
  const uint16_t kanji = 0x93FA;  // 日
  size_t glyph = 18 + 4 * 94;
  for (int i = 0; i < 94; ++i) {
    uint16_t first = static_cast<uint16_t>(full[18 + 4 * i] | full[19 + 4 * i] << 8);
    uint16_t last = static_cast<uint16_t>(full[20 + 4 * i] | full[21 + 4 * i] << 8);
    if (kanji >= first && kanji <= last) {
      glyph += static_cast<size_t>(kanji - first) * 32;
      break;
    }
    glyph += static_cast<size_t>(last - first + 1) * 32;
  }
  Bytes slot = Slot(font, kanji);
  ASSERT_EQ(slot.size(), 32u);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(slot[k], FileColumn(full, glyph, 2, k, 0)) << k;
    EXPECT_EQ(slot[16 + k], FileColumn(full, glyph, 2, k, 8)) << k;
  }
  EXPECT_NE(Bytes(slot.begin(), slot.begin() + 16), Bytes(16, 0));
  EXPECT_NE(Bytes(slot.begin() + 16, slot.end()), Bytes(16, 0));
  EXPECT_EQ(Slot(font, 0x8140), Bytes(32, 0));  // full-width space
}

}  // namespace
