#include "font/font_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/host.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

FontxDesign Design(int width, int height, int codeType, FontxRowFn rows = nullptr,
                   std::vector<std::pair<uint16_t, uint16_t>> blocks = {}) {
  return {"TESTFONT", width, height, codeType, std::move(blocks), std::move(rows)};
}

uint32_t AllLit(uint16_t, int) { return 0xFFFF; }

// The bytes of code's glyph slot; empty when the font has no glyph for it.
Bytes Slot(const FontRecord& font, uint16_t code) {
  const uint8_t* glyph = FindGlyph(font, code);
  return glyph ? Bytes(glyph, glyph + font.slotBytes) : Bytes{};
}

class FontFile : public testing::Test {
 protected:
  // GetFontMetrics on bytes written as the card's TEST.FNT.
  int Read(const Bytes& bytes) {
    card.WriteFile("TEST.FNT", bytes);
    testing::internal::CaptureStdout();
    int result = GetFontMetrics(HostOpen("TEST.FNT", "rb"), font, "TEST.FNT");
    console = GetCapturedConsole();
    KeepFontMemory(font);
    return result;
  }

  TempCard card;
  FontRecord font{};
  std::string console;
};

TEST_F(FontFile, TakesTheGlyphOfTheFirstBlockThatHoldsTheCodeInAnyBlockOrder) {
  // An empty block, blocks out of order, one inside another, one across several high bytes.
  const std::vector<std::pair<uint16_t, uint16_t>> blocks = {
      {0x8400, 0x83FF}, {0x8240, 0x82FF}, {0x8140, 0x83FF}, {0x8300, 0x8310}, {0x8800, 0x8800}};
  ASSERT_EQ(Read(BuildFontx(Design(16, 16, 1, AllLit, blocks))), 1);
  auto in = [&](int block, uint16_t code) {
    return font.blocks[block].glyphs + (code - font.blocks[block].firstCode) * font.slotBytes;
  };
  EXPECT_EQ(FindGlyph(font, 0x8250), in(1, 0x8250));
  EXPECT_EQ(FindGlyph(font, 0x8150), in(2, 0x8150));
  EXPECT_EQ(FindGlyph(font, 0x8305), in(2, 0x8305));
  EXPECT_EQ(FindGlyph(font, 0x8800), in(4, 0x8800));
  for (uint16_t code : {0x813F, 0x8400, 0x8801, 0x0041}) EXPECT_EQ(FindGlyph(font, code), nullptr);
}

TEST_F(FontFile, RefusesFilesThatAreNotFontx2OrBeyondTheSlotsAndLeavesTheRecordAlone) {
  font.width = 77;
  FontxDesign notFontx2 = Design(8, 16, 0);
  notFontx2.magic = "FONTX1";
  Bytes noBlockCount = BuildFontx(Design(16, 16, 1));
  noBlockCount.pop_back();
  for (const Bytes& bytes :
       {BuildFontx(notFontx2), Bytes{'F', 'O', 'N', 'T', 'X', '2', 'A'}, noBlockCount}) {
    EXPECT_EQ(Read(bytes), 0);
    EXPECT_EQ(console, "FONTXでない\n");
  }
  EXPECT_EQ(font.width, 77);
  EXPECT_EQ(font.blocks, nullptr);
  // Fonts beyond the slots, with one line.
  Bytes huge = BuildFontx(Design(16, 16, 1));  // two blocks of every code, without glyphs
  huge[17] = 2;
  for (int i = 0; i < 2; ++i) huge.insert(huge.end(), {0x00, 0x00, 0xFF, 0xFF});
  const std::pair<Bytes, const char*> cases[] = {
      {BuildFontx(Design(9, 16, 0)), "1バイトフォントの幅が8ドットを超えている (9)\n"},
      {BuildFontx(Design(17, 16, 1)), "2バイトフォントの幅が16ドットを超えている (17)\n"},
      {BuildFontx(Design(16, 17, 1)), "フォントの高さが16ドットを超えている (17)\n"},
      {huge, "文字数が65536を超えている (131072)\n"},
  };
  for (const auto& [bytes, line] : cases) {
    EXPECT_EQ(Read(bytes), 0);
    EXPECT_EQ(console, std::string("TEST.FNT: ") + line);
    EXPECT_EQ(font.blocks, nullptr);
  }
}

// One byte a row: the upper page only, even with 16 rows. (Twelve rows: the expected cards.)
TEST_F(FontFile, OneByteARowFillsTheUpperPageOnly) {
  ASSERT_EQ(Read(BuildFontx(Design(8, 16, 1, AllLit, {{0x8140, 0x8141}}))), 1);
  Bytes upper(32, 0);
  std::fill_n(upper.begin(), 8, 0xFF);
  EXPECT_EQ(Slot(font, 0x8140), upper);
}

// A file cut short of what its header says is named and refused; one byte more is read.
TEST_F(FontFile, RefusesAFileShorterThanItsHeaderSays) {
  Bytes full = BuildFontx(Design(16, 16, 1, AllLit, {{0x8140, 0x8143}}));
  Bytes table = BuildFontx(Design(16, 16, 1, AllLit, {{0x8140, 0x8140}, {0x8240, 0x8240}}));
  Bytes single = BuildFontx(Design(8, 16, 0, AllLit));
  for (Bytes bytes : {full, table, single}) {
    bytes.push_back(0);
    EXPECT_EQ(Read(bytes), 1);
    EXPECT_EQ(console, "");
  }
  full.resize(18 + 4 + 32 + 16);
  table.resize(18 + 4 + 2);
  single.pop_back();
  for (const Bytes& bytes : {full, table, single}) {
    font = FontRecord{};
    EXPECT_EQ(Read(bytes), 0);
    EXPECT_EQ(console,
              "TEST.FNT: ファイルがヘッダの示す長さより短い(壊れている)。作り直すこと "
              "(TEST.FNT is shorter than its header says: the file is broken, make it again)\n");
    EXPECT_EQ(font.blocks, nullptr);
  }
}

TEST_F(FontFile, HalfWidthFontTakesFullWidthCounterpartsOfAsciiAndKatakana) {
  ASSERT_EQ(Read(BuildTestFont(kTestFull6x8)), 1);
  FontRecord half{};
  ASSERT_EQ(MakeHalfWidthFont(font, half), 1);
  KeepFontMemory(half);
  const std::pair<uint8_t, uint16_t> mapping[] = {
      {0x20, 0x8140}, {0x41, 0x8260}, {0xB1, 0x8341}, {0x00, 0}, {0x1F, 0},
      {0x7F, 0},      {0x80, 0},      {0xA0, 0},      {0xE0, 0}, {0xFF, 0}};  // 0: blank
  for (auto [byte, code] : mapping) {
    Bytes expected = code ? Slot(font, code) : Bytes(6, 0);  // the upper page only
    expected.resize(16, 0);
    EXPECT_EQ(Slot(half, byte), expected) << int{byte};
  }
}

// Fonts made by another tool (data/test-fonts/fontx-il): 'A' and 日 as their files draw them.
TEST_F(FontFile, ReadsRealSingleAndDoubleByteFonts) {
  auto real = [](const char* name) {
    std::ifstream in(std::string(CARDPREP_SOURCE_DIR) + "/data/test-fonts/fontx-il/" + name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  ASSERT_EQ(Read(real("ILGH16XB.FNT")), 1);
  EXPECT_EQ(Slot(font, 'A'), (Bytes{0x00, 0x00, 0xF0, 0x1C, 0x1C, 0xF0, 0x00, 0x00,  //
                                    0x08, 0x0F, 0x01, 0x01, 0x01, 0x01, 0x0F, 0x08}));
  ASSERT_EQ(Read(real("ILGZ16XB.FNT")), 1);
  EXPECT_EQ(font.blockCount, 94);
  EXPECT_EQ(Slot(font, 0x93FA), (Bytes{0,    0,    0,    0xFC, 0x84, 0x84, 0x84, 0x84,  //
                                       0x84, 0x84, 0x84, 0x84, 0xFC, 0,    0,    0,     //
                                       0,    0,    0,    0x3F, 0x10, 0x10, 0x10, 0x10,  //
                                       0x10, 0x10, 0x10, 0x10, 0x3F, 0,    0,    0}));
  EXPECT_EQ(Slot(font, 0x8140), Bytes(32, 0));  // full-width space
}

}  // namespace
