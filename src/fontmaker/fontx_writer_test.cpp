#include "fontx_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run_state.h"
#include "font/font_file.h"
#include "platform/host.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

BitmapGlyph GlyphWithRows(std::initializer_list<uint16_t> rows) {
  BitmapGlyph glyph;
  int y = 0;
  for (uint16_t row : rows) glyph.rows[y++] = row;
  return glyph;
}

Bytes Encode(const BitmapFont& font) {
  Bytes out;
  std::string error;
  EXPECT_TRUE(EncodeFontx(font, out, error)) << error;
  return out;
}

TEST(EncodeFontx, WritesTheHeaderAndAll256GlyphsOfASingleByteFont) {
  BitmapFont font{"AB", 6, 12, false, {}};
  // Pixels 0 and 5 of row 0, and pixel 6, right of the width, which is dropped.
  font.glyphs[0x41] = GlyphWithRows({0x8400 | 0x0200, 0x7800});
  Bytes out = Encode(font);
  ASSERT_EQ(out.size(), 17u + 256 * 12);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 17),
            (Bytes{'F', 'O', 'N', 'T', 'X', '2', 'A', 'B', ' ', ' ', ' ', ' ', ' ', ' ', 6, 12, 0}));
  const size_t a = 17 + 0x41 * 12;
  EXPECT_EQ(Bytes(out.begin() + a, out.begin() + a + 3), (Bytes{0x84, 0x78, 0x00}));
  EXPECT_EQ(out[17 + 0x40 * 12], 0);  // absent glyphs are blank
}

TEST(EncodeFontx, RefusesFontsTheCardsReaderCannotTake) {
  const BitmapFont fonts[] = {{"", 9, 16, false, {}},          {"", 17, 16, true, {{0x8140, {}}}},
                              {"", 16, 17, true, {{0x8140, {}}}}, {"", 8, 0, false, {}},
                              {"", 8, 8, false, {{0x100, {}}}},   {"", 8, 8, true, {}}};
  for (const BitmapFont& font : fonts) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(EncodeFontx(font, out, error)) << font.width << "x" << font.height;
    EXPECT_NE(error, "");
  }
}

// Past 255 runs, gaps are joined into blocks: the reader takes the file and
// the joined codes read back blank.
TEST(EncodeFontx, JoinedBlocksReadBackThroughTheCardsReader) {
  TempCard card;
  BitmapFont font{"", 8, 8, true, {}};
  for (int code = 0x8140; code < 0x8140 + 600; code += 2) {
    font.glyphs[static_cast<uint16_t>(code)] = GlyphWithRows({0xFF00});
  }
  card.WriteFile("TEST.FNT", Encode(font));
  FontRecord read{};
  ASSERT_EQ(GetFontMetrics(HostOpen("TEST.FNT", "rb"), read, "TEST.FNT"), 1);
  KeepFontMemory(read);
  EXPECT_EQ(read.blockCount, 255);
  ASSERT_NE(FindGlyph(read, 0x8141), nullptr);
  EXPECT_EQ(FindGlyph(read, 0x8141)[0], 0);
  EXPECT_EQ(FindGlyph(read, 0x8142)[0], 0x01);
  EXPECT_EQ(FindGlyph(read, 0x8140 + 598)[7], 0x01);
}

}  // namespace
