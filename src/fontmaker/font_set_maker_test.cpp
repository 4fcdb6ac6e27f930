#include "font_set_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "font/font_file.h"
#include "font/font_set.h"
#include "font_output.h"
#include "glyph_source.h"
#include "state/run_state.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

// The font set is made once, written into a card's _FONT and loaded with the card's loader.
class MadeFontSet : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<MadeFont> made;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(MakeFontSet(DefaultFontSources(), made, notes, error))
        << error << " (the sources are Debian's xfonts-shinonome and fonts-misaki)";
    EXPECT_EQ(notes, std::vector<std::string>{});
    TempCard card;
    card.MakeDir("_FONT");
    for (const MadeFont& font : made) {
      std::vector<uint8_t> bytes;
      ASSERT_TRUE(EncodeFontx(font.font, bytes, error)) << error;
      ASSERT_EQ(WriteFontFile("_FONT", font.fileName, bytes, false, error), FontWrite::kWritten);
    }
    state_ = std::make_unique<RunState>().release();  // kept to the end, like the program's fonts
    loaded_ = LoadFonts(*state_);
    KeepFontMemory(*state_);
  }
  void SetUp() override { ASSERT_EQ(loaded_, 1); }

  static inline RunState* state_ = nullptr;
  static inline int loaded_ = 0;
};

std::string Shinonome(const char* name) { return DefaultFontSources().shinonomeDir + "/" + name; }
std::string Misaki() { return DefaultFontSources().misakiGothic; }

// The loaded slot of code, column by column (bit r = row r, both pages), against the source glyph.
void ExpectSourcePixels(const FontRecord& font, uint16_t code, const std::string& path, int size,
                        uint32_t sourceCode, int xOffset = 0) {
  std::string error;
  GlyphSourcePtr source = OpenGlyphSource(path, size, error);
  ASSERT_NE(source, nullptr) << error;
  BitmapGlyph glyph;
  ASSERT_EQ(CopyGlyph(*source, sourceCode, font.width, font.height, xOffset, glyph),
            GlyphCopy::kCopied);
  const uint8_t* slot = FindGlyph(font, code);
  ASSERT_NE(slot, nullptr) << std::hex << code;
  const bool lower = font.height > 8 && (font.codeType == 0 || font.bytesPerRow == 2);
  for (int page = 0; page < (lower ? 2 : 1); ++page) {
    for (int x = 0; x < font.width; ++x) {
      uint8_t column = 0;
      for (int r = 0; r < 8; ++r) column |= static_cast<uint8_t>(glyph.Pixel(x, 8 * page + r) << r);
      EXPECT_EQ(slot[page * font.slotBytes / 2 + x], column) << std::hex << code << " column " << x;
    }
  }
}

bool SlotIsBlank(const FontRecord& font, uint8_t code) {
  const uint8_t* slot = FindGlyph(font, code);
  return std::all_of(slot, slot + 16, [](uint8_t b) { return b == 0; });
}

int GlyphTotal(const FontRecord& font) {
  int total = 0;
  for (int i = 0; i < font.blockCount; ++i) total += font.blocks[i].glyphCount;
  return total;
}

TEST_F(MadeFontSet, LoadsWithTheCardsLoaderAtTheExpectedSizes) {
  const RunState& s = *state_;
  using Size = std::tuple<int, int, int>;  // width, height, code type
  const std::pair<const FontRecord&, Size> fonts[] = {
      {s.full16Font, {16, 16, 1}}, {s.half16Font, {8, 16, 0}},  {s.full6x8Font, {6, 8, 1}},
      {s.half6x8Font, {6, 8, 0}},  {s.full12Font, {12, 12, 1}}, {s.half12Font, {6, 12, 0}},
      {s.half8Font, {8, 8, 0}},    {s.full8Font, {8, 8, 1}}};
  for (const auto& [font, size] : fonts)
    EXPECT_EQ(Size(font.width, font.height, font.codeType), size);
}

TEST_F(MadeFontSet, GlyphsAreTheSourcePixels) {
  // Full-width A, and 日 (SJIS 0x93FA, JIS 0x467C, U+65E5).
  for (auto [sjis, jis, unicode] :
       {std::tuple{0x8260, 0x2341, 0xFF21}, std::tuple{0x93FA, 0x467C, 0x65E5}}) {
    const auto code = static_cast<uint16_t>(sjis);
    ExpectSourcePixels(state_->full16Font, code, Shinonome("shnmk16.pcf.gz"), 16, jis);
    ExpectSourcePixels(state_->full12Font, code, Shinonome("shnmk12.pcf.gz"), 12, jis);
    ExpectSourcePixels(state_->full8Font, code, Misaki(), 8, unicode);
  }
  EXPECT_NE(FindGlyph(state_->full16Font, 0x93FA)[5], 0);  // 日 is lit: not blank both ways
  // 0x5C and 0x7E are the backslash and the tilde in every single-byte font.
  for (uint8_t b : {'A', '\\', '~'}) {
    ExpectSourcePixels(state_->half16Font, b, Shinonome("shnm8x16a.pcf.gz"), 16, b);
    ExpectSourcePixels(state_->half12Font, b, Shinonome("shnm6x12a.pcf.gz"), 12, b);
    ExpectSourcePixels(state_->half8Font, b, Misaki(), 8, 0xFF01u + (b - 0x21));
    ExpectSourcePixels(state_->half6x8Font, b, Misaki(), 8, b, 1);  // 4x8, one column in
  }
  ExpectSourcePixels(state_->half16Font, 0xB1, Shinonome("shnm8x16r.pcf.gz"), 16, 0xB1);
  ExpectSourcePixels(state_->half12Font, 0xB1, Shinonome("shnm6x12r.pcf.gz"), 12, 0xB1);
}

TEST_F(MadeFontSet, SixByEightFontHoldsEveryFullWidthCounterpart) {
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b > 0x7E && b < 0xA1) continue;
    EXPECT_NE(FindGlyph(state_->full6x8Font, MbbToMbc(static_cast<uint8_t>(b))), nullptr) << b;
    if (b == 0x20) continue;  // every other character draws something in all single-byte fonts
    for (const FontRecord* font :
         {&state_->half6x8Font, &state_->half8Font, &state_->half12Font, &state_->half16Font}) {
      EXPECT_FALSE(SlotIsBlank(*font, static_cast<uint8_t>(b))) << b;
    }
  }
  EXPECT_EQ(GlyphTotal(state_->full6x8Font), 158);
  EXPECT_TRUE(SlotIsBlank(state_->half6x8Font, 0x80));
  EXPECT_TRUE(SlotIsBlank(state_->half16Font, 0xE0));
}

// The JIS X 0208 characters land on their Shift-JIS codes, and only they.
TEST_F(MadeFontSet, DoubleByteFontsCoverJisX0208AndNothingElse) {
  for (const FontRecord* font : {&state_->full16Font, &state_->full12Font, &state_->full8Font}) {
    EXPECT_GE(GlyphTotal(*font), 6877);  // 524 non-kanji, 6355 kanji
    // First and last of the font and of both kanji levels.
    for (uint16_t code : {0x8140, 0x889F, 0x9872, 0x989F, 0xEAA2, 0x84BE})
      EXPECT_NE(FindGlyph(*font, code), nullptr) << std::hex << code;
    // Unassigned, code page 932 extensions, single-byte codes, trail byte 0x7F.
    for (uint16_t code : {0x81AD, 0x8740, 0xED40, 0xFA40, 0x0041, 0x817F})
      EXPECT_EQ(FindGlyph(*font, code), nullptr) << std::hex << code;
  }
}

TEST(MakeFontSet, FailsWithAReasonWhenASourceIsMissing) {
  std::vector<MadeFont> fonts;
  std::vector<std::string> notes;
  std::string error;
  FontSources sources = DefaultFontSources();
  sources.shinonomeDir = "/nonexistent";
  EXPECT_FALSE(MakeFontSet(sources, fonts, notes, error));
  EXPECT_NE(error.find("/nonexistent/shnmk16.pcf.gz"), std::string::npos) << error;
  EXPECT_TRUE(fonts.empty());
}

}  // namespace
