#include "font_set_maker.h"

#include <gtest/gtest.h>

#include <memory>

#include "driver/run_state.h"
#include "font/font_file.h"
#include "font/font_set.h"
#include "font_output.h"
#include "glyph_source.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

// The font set is made once, written into a card's _FONT and loaded with
// the card's own loader; the tests look at the loaded slots.
class MadeFontSet : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<std::string> notes;
    std::string error;
    made_ = new std::vector<MadeFont>;
    ASSERT_TRUE(MakeFontSet(DefaultFontSources(), *made_, notes, error))
        << error << " (the sources are Debian's xfonts-shinonome and fonts-misaki)";
    EXPECT_EQ(notes, std::vector<std::string>{});
    TempCard card;
    card.MakeDir("_FONT");
    for (const MadeFont& font : *made_) {
      std::vector<uint8_t> bytes;
      ASSERT_TRUE(EncodeFontx(font.font, bytes, error)) << error;
      ASSERT_EQ(WriteFontFile("_FONT", font.fileName, bytes, false, error), FontWrite::kWritten);
    }
    state_ = std::make_unique<RunState>().release();
    loaded_ = LoadFonts(*state_);
    KeepFontMemory(*state_);
  }

  void SetUp() override { ASSERT_EQ(loaded_, 1); }

  static std::vector<MadeFont>* made_;
  static RunState* state_;  // kept to the end, like the program's fonts
  static int loaded_;
};

std::vector<MadeFont>* MadeFontSet::made_ = nullptr;
RunState* MadeFontSet::state_ = nullptr;
int MadeFontSet::loaded_ = 0;

// The glyph that the source font gives for code in a width x height cell.
BitmapGlyph SourceGlyph(const std::string& path, int size, uint32_t code, int width, int height,
                        int xOffset = 0) {
  std::string error;
  GlyphSourcePtr source = OpenGlyphSource(path, size, error);
  BitmapGlyph glyph;
  EXPECT_NE(source, nullptr) << error;
  if (source == nullptr) return glyph;
  EXPECT_EQ(CopyGlyph(*source, code, width, height, xOffset, glyph), GlyphCopy::kCopied)
      << path << " " << code;
  return glyph;
}

std::string Shinonome(const char* name) { return DefaultFontSources().shinonomeDir + "/" + name; }
std::string Misaki() { return DefaultFontSources().misakiGothic; }

uint8_t ColumnByte(const BitmapGlyph& glyph, int x, int firstRow) {
  uint8_t column = 0;
  for (int r = 0; r < 8; ++r) {
    if (glyph.Pixel(x, firstRow + r)) column |= static_cast<uint8_t>(1 << r);
  }
  return column;
}

// The loaded slot of code, column by column, against the glyph's pixels:
// the upper page, and the lower page where the font has rows below 8.
void ExpectSlot(const FontRecord& font, uint16_t code, const BitmapGlyph& glyph) {
  const uint8_t* slot = FindGlyph(font, code);
  ASSERT_NE(slot, nullptr) << std::hex << code;
  int page = font.slotBytes / 2;
  bool lower = font.height > 8 && (font.codeType == 0 || font.bytesPerRow == 2);
  for (int x = 0; x < font.width; ++x) {
    EXPECT_EQ(slot[x], ColumnByte(glyph, x, 0)) << std::hex << code << " column " << x;
    if (lower) {
      EXPECT_EQ(slot[page + x], ColumnByte(glyph, x, 8)) << std::hex << code << " column " << x;
    }
  }
}

bool SlotIsBlank(const FontRecord& font, uint8_t code) {
  const uint8_t* slot = FindGlyph(font, code);
  for (int i = 0; i < 16; ++i) {
    if (slot[i] != 0) return false;
  }
  return true;
}

int GlyphTotal(const FontRecord& font) {
  int total = 0;
  for (int i = 0; i < font.blockCount; ++i) total += font.blocks[i].glyphCount;
  return total;
}

TEST_F(MadeFontSet, LoadsWithTheCardsLoaderAtTheExpectedSizes) {
  const RunState& s = *state_;
  struct Size { const FontRecord* font; int width; int height; int codeType; };
  for (Size size : {Size{&s.full16Font, 16, 16, 1}, Size{&s.half16Font, 8, 16, 0},
                    Size{&s.full6x8Font, 6, 8, 1}, Size{&s.half6x8Font, 6, 8, 0},
                    Size{&s.full12Font, 12, 12, 1}, Size{&s.half12Font, 6, 12, 0},
                    Size{&s.half8Font, 8, 8, 0}, Size{&s.full8Font, 8, 8, 1}}) {
    EXPECT_EQ(size.font->width, size.width);
    EXPECT_EQ(size.font->height, size.height);
    EXPECT_EQ(size.font->codeType, size.codeType);
  }
}

TEST_F(MadeFontSet, FullWidthGlyphsAreTheSourcePixels) {
  // Full-width A (JIS 0x2341) and 日 (JIS 0x467C).
  for (auto [sjis, jis, unicode] : {std::tuple{0x8260, 0x2341, 0xFF21},
                                    std::tuple{0x93FA, 0x467C, 0x65E5}}) {
    uint16_t code = static_cast<uint16_t>(sjis);
    ExpectSlot(state_->full16Font, code, SourceGlyph(Shinonome("shnmk16.pcf.gz"), 16, jis, 16, 16));
    ExpectSlot(state_->full12Font, code, SourceGlyph(Shinonome("shnmk12.pcf.gz"), 12, jis, 12, 12));
    ExpectSlot(state_->full8Font, code, SourceGlyph(Misaki(), 8, unicode, 8, 8));
  }
}

TEST_F(MadeFontSet, SixteenDotSunIsDrawnAsInTheSource) {
  // 日 of the 16-dot Shinonome font: a box in columns 4..12, rows 1..14,
  // closed at rows 1, 7 and 14.
  const uint8_t* slot = FindGlyph(state_->full16Font, 0x93FA);
  ASSERT_NE(slot, nullptr);
  for (int x = 0; x < 16; ++x) {
    uint8_t upper = x == 4 || x == 12 ? 0xFE : x > 4 && x < 12 ? 0x82 : 0;
    uint8_t lower = x == 4 || x == 12 ? 0x7F : x > 4 && x < 12 ? 0x40 : 0;
    EXPECT_EQ(slot[x], upper) << "column " << x;
    EXPECT_EQ(slot[16 + x], lower) << "column " << x;
  }
}

TEST_F(MadeFontSet, SingleByteFontsDrawAsciiFromTheirSources) {
  // 0x5C and 0x7E are the backslash and the tilde in every single-byte font.
  for (uint8_t b : {'A', '\\', '~'}) {
    ExpectSlot(state_->half16Font, b, SourceGlyph(Shinonome("shnm8x16a.pcf.gz"), 16, b, 8, 16));
    ExpectSlot(state_->half12Font, b, SourceGlyph(Shinonome("shnm6x12a.pcf.gz"), 12, b, 6, 12));
    ExpectSlot(state_->half8Font, b, SourceGlyph(Misaki(), 8, 0xFF01u + (b - 0x21), 8, 8));
    // The Misaki 4x8 glyph one column in from the left of the 6x8 cell.
    ExpectSlot(state_->half6x8Font, b, SourceGlyph(Misaki(), 8, b, 6, 8, 1));
  }
  ExpectSlot(state_->half16Font, 0xB1, SourceGlyph(Shinonome("shnm8x16r.pcf.gz"), 16, 0xB1, 8, 16));
  ExpectSlot(state_->half12Font, 0xB1, SourceGlyph(Shinonome("shnm6x12r.pcf.gz"), 12, 0xB1, 6, 12));
}

TEST_F(MadeFontSet, SixByEightFontHoldsEveryFullWidthCounterpart) {
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b > 0x7E && b < 0xA1) continue;
    EXPECT_NE(FindGlyph(state_->full6x8Font, MbbToMbc(static_cast<uint8_t>(b))), nullptr) << b;
    // Every character but the space draws something, in all single-byte fonts.
    if (b == 0x20) continue;
    EXPECT_FALSE(SlotIsBlank(state_->half6x8Font, static_cast<uint8_t>(b))) << b;
    EXPECT_FALSE(SlotIsBlank(state_->half8Font, static_cast<uint8_t>(b))) << b;
    EXPECT_FALSE(SlotIsBlank(state_->half12Font, static_cast<uint8_t>(b))) << b;
    EXPECT_FALSE(SlotIsBlank(state_->half16Font, static_cast<uint8_t>(b))) << b;
  }
  EXPECT_EQ(GlyphTotal(state_->full6x8Font), 158);
  EXPECT_TRUE(SlotIsBlank(state_->half6x8Font, 0x80));
  EXPECT_TRUE(SlotIsBlank(state_->half16Font, 0xE0));
}

TEST_F(MadeFontSet, DoubleByteFontsCoverJisX0208AndNothingElse) {
  for (const FontRecord* font : {&state_->full16Font, &state_->full12Font, &state_->full8Font}) {
    EXPECT_GE(GlyphTotal(*font), 6877);  // JIS X 0208: 524 non-kanji, 6355 kanji
    // The first and last characters of both kanji levels, and of the font.
    for (uint16_t code : {0x8140, 0x889F, 0x9872, 0x989F, 0xEAA2, 0x84BE}) {
      EXPECT_NE(FindGlyph(*font, code), nullptr) << std::hex << code;
    }
    // Unassigned, a code page 932 extension, a single-byte code.
    for (uint16_t code : {0x81AD, 0x8740, 0xED40, 0xFA40, 0x0041, 0x817F}) {
      EXPECT_EQ(FindGlyph(*font, code), nullptr) << std::hex << code;
    }
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

TEST(JisToSjis, MapsRowsAndCellsToShiftJis) {
  EXPECT_EQ(JisToSjis(0x2121), 0x8140);
  EXPECT_EQ(JisToSjis(0x215F), 0x817E);
  EXPECT_EQ(JisToSjis(0x2160), 0x8180);  // 0x7F is never a trail byte
  EXPECT_EQ(JisToSjis(0x2221), 0x819F);
  EXPECT_EQ(JisToSjis(0x467C), 0x93FA);
  EXPECT_EQ(JisToSjis(0x5E7E), 0x9FFC);
  EXPECT_EQ(JisToSjis(0x5F21), 0xE040);
  EXPECT_EQ(JisToSjis(0x7426), 0xEAA4);
  EXPECT_EQ(SjisToUnicode(0x93FA), 0x65E5u);
  EXPECT_EQ(SjisToUnicode(0x81AD), 0u);  // unassigned
}

TEST(CopyGlyph, TellsMissingGlyphsAndPixelsOutsideTheCell) {
  std::string error;
  GlyphSourcePtr source = OpenGlyphSource(Shinonome("shnmk16.pcf.gz"), 16, error);
  ASSERT_NE(source, nullptr) << error;
  EXPECT_EQ(SourceAscent(*source), 14);
  BitmapGlyph glyph;
  EXPECT_EQ(CopyGlyph(*source, 0x2230, 16, 16, 0, glyph), GlyphCopy::kMissing);  // unassigned
  EXPECT_EQ(CopyGlyph(*source, 0x467C, 12, 12, 0, glyph), GlyphCopy::kOutsideCell);
  EXPECT_EQ(CopyGlyph(*source, 0x467C, 16, 16, 4, glyph), GlyphCopy::kOutsideCell);

  EXPECT_EQ(OpenGlyphSource(Shinonome("shnmk16.pcf.gz"), 12, error), nullptr);  // no 12-dot strike
  EXPECT_NE(error.find("12"), std::string::npos);
  EXPECT_EQ(OpenGlyphSource("/nonexistent.pcf", 16, error), nullptr);
}

}  // namespace
