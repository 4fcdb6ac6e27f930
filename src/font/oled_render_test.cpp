#include "font/oled_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Result {
  int32_t layout = -1;
  int32_t width = -1;
  std::string console;
};

// A character as the renderer meets it: the test font it should come from
// and its code.
struct Glyph {
  TestFont font;
  uint16_t code;
};

class OledRender : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTestFontSet(*state), 1); }

  // Renders text with the planes filled with a marker first, so that the
  // test sees every byte the renderer writes or clears.
  Result Render(const std::string& text, uint8_t marker = 0) {
    std::memset(state->imagePlaneA, marker, kImagePlaneBytes);
    std::memset(state->imagePlaneB, marker, kImagePlaneBytes);
    Result r;
    testing::internal::CaptureStdout();
    MakeOLEDdataOfString(*state, text.c_str(), static_cast<int>(text.size()), r.layout, r.width);
    r.console = GetCapturedConsole();
    return r;
  }

  Bytes PlaneA(int from, int to) const { return Bytes(state->imagePlaneA + from, state->imagePlaneA + to); }
  Bytes PlaneB(int from, int to) const { return Bytes(state->imagePlaneB + from, state->imagePlaneB + to); }

  // The two planes expected for glyphs placed one after the other, moved
  // down by shift rows with the lower page cut to lowerMask.
  static std::pair<Bytes, Bytes> TwoPages(const std::vector<Glyph>& glyphs, int shift,
                                          uint8_t lowerMask) {
    Bytes a;
    Bytes b;
    for (const Glyph& g : glyphs) {
      for (int x = 0; x < GetTestFontInfo(g.font).width; ++x) {
        unsigned u = TestGlyphColumn(g.font, g.code, x, 0);
        unsigned l = TestGlyphColumn(g.font, g.code, x, 8) & lowerMask;
        a.push_back(static_cast<uint8_t>(u << shift));
        b.push_back(static_cast<uint8_t>(u >> (8 - shift) | l << shift));
      }
    }
    return {a, b};
  }

  static Bytes OnePage(const std::string& text, TestFont font) {
    Bytes a;
    int width = font == kTestFontCount ? 6 : GetTestFontInfo(font).width;
    for (char c : text) {
      for (int x = 0; x < width; ++x) {
        uint8_t b = static_cast<uint8_t>(c);
        a.push_back(font == kTestFontCount ? TestHalf6x8Column(b, x) : TestGlyphColumn(font, b, x, 0));
      }
    }
    return a;
  }

  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
};

constexpr TestFont kHalf6x8 = kTestFontCount;  // the font built from K6X8X.FNT

// 日本の歌あい: six full-width characters, twelve bytes.
const std::string kSixKanji = "\x93\xFA\x96\x7B\x82\xCC\x89\xCC\x82\xA0\x82\xA2";
const uint16_t kSixKanjiCodes[] = {0x93FA, 0x967B, 0x82CC, 0x89CC, 0x82A0, 0x82A2};

TEST_F(OledRender, ChoosesTheLayoutByLengthAndDoubleByteCharacters) {
  struct Case {
    std::string text;
    int layout, width;
  } cases[] = {
      {"ABC", 0, 100},
      {kSixKanji, 0, 100},                       // twelve bytes: 16-row fonts
      {std::string(13, 'x'), 0, 100},            // 12-row fonts
      {std::string(16, 'x'), 0, 100},
      {std::string(17, 'x'), 2, 17 * 8},
      {std::string(24, 'x'), 2, 24 * 8},
      {std::string(18, 'x') + "\x93\xFA", 1, 18 * 6 + 12},
      {std::string(25, 'x'), 3, 25 * 6},
      {std::string(30, 'x'), 3, 180},
  };
  for (const Case& c : cases) {
    Result r = Render(c.text);
    EXPECT_EQ(r.layout, c.layout) << c.text;
    EXPECT_EQ(r.width, c.width) << c.text;
  }
}

TEST_F(OledRender, DrawsShortTextWithSixteenRowFontsAndPadsTo100Columns) {
  Result r = Render("ABC", 0xEE);
  EXPECT_EQ(r.console, "MakeOLEDdataOfString:[ABC][3]\n イメージ幅=100\n");
  auto [a, b] = TwoPages({{kTestHalf16, 'A'}, {kTestHalf16, 'B'}, {kTestHalf16, 'C'}}, 0, 0xFF);
  EXPECT_EQ(PlaneA(0, 24), a);
  EXPECT_EQ(PlaneB(0, 24), b);
  EXPECT_EQ(PlaneA(24, 100), Bytes(76, 0));
  EXPECT_EQ(PlaneB(24, 100), Bytes(76, 0));
  EXPECT_EQ(state->imagePlaneA[100], 0xEE);  // past the width: the caller's

  Render(kSixKanji);
  std::vector<Glyph> glyphs;
  for (uint16_t code : kSixKanjiCodes) glyphs.push_back({kTestFull16, code});
  std::tie(a, b) = TwoPages(glyphs, 0, 0xFF);
  EXPECT_EQ(PlaneA(0, 96), a);
  EXPECT_EQ(PlaneB(0, 96), b);
}

TEST_F(OledRender, CentresTwelveRowGlyphsInTheSixteenRowBand) {
  Render("ABCDEFGHIJKL\x93\xFA" "M");  // 15 bytes
  std::vector<Glyph> glyphs;
  for (char c : std::string("ABCDEFGHIJKL")) glyphs.push_back({kTestHalf12, static_cast<uint16_t>(c)});
  glyphs.push_back({kTestFull12, 0x93FA});
  glyphs.push_back({kTestHalf12, 'M'});
  auto [a, b] = TwoPages(glyphs, 2, 0x0F);
  EXPECT_EQ(PlaneA(0, 90), a);
  EXPECT_EQ(PlaneB(0, 90), b);
  for (int c = 0; c < 90; ++c) {  // rows 0, 1, 14 and 15 stay dark
    EXPECT_EQ(state->imagePlaneA[c] & 0x03, 0) << c;
    EXPECT_EQ(state->imagePlaneB[c] & 0xC0, 0) << c;
  }
}

TEST_F(OledRender, DrawsOnePageWithTheEightRowFontAndClearsTheRest) {
  Render("ABCDEFGHIJKLMNOPQRST", 0xEE);  // 20 bytes
  EXPECT_EQ(PlaneA(0, 160), OnePage("ABCDEFGHIJKLMNOPQRST", kTestHalf8));
  EXPECT_EQ(PlaneA(160, 1024), Bytes(864, 0));
  EXPECT_EQ(PlaneB(0, 1024), Bytes(1024, 0));
}

TEST_F(OledRender, LeavesOutAWholeGlyphThatWouldPass1024Columns) {
  std::string text(200, 'W');
  Result r = Render(text, 0xEE);
  EXPECT_EQ(r.layout, 3);
  EXPECT_EQ(r.width, 1020);  // 170 glyphs of 6 columns
  EXPECT_EQ(PlaneA(0, 1020), OnePage(std::string(170, 'W'), kHalf6x8));
  EXPECT_EQ(PlaneA(1020, 1024), Bytes(4, 0));
}

TEST_F(OledRender, CutsATwoPageImageInsideAGlyphAt1024Columns) {
  // A kanji (12 columns) and 170 letters (6 columns): 168 letters end at
  // column 1020, the 169th is cut after four columns; a missing character
  // after the cut is never looked at.
  std::string text = "\x93\xFA" + std::string(170, 'K') + "\x85\x40";
  Result r = Render(text);
  EXPECT_EQ(r.layout, 1);
  EXPECT_EQ(r.width, 1024);
  EXPECT_EQ(r.console, "MakeOLEDdataOfString:[" + FromCp932(text) + "][174]\n イメージ幅=1024\n");
  std::vector<Glyph> glyphs = {{kTestFull12, 0x93FA}};
  for (int i = 0; i < 169; ++i) glyphs.push_back({kTestHalf12, 'K'});
  auto [a, b] = TwoPages(glyphs, 2, 0x0F);
  a.resize(1024);
  b.resize(1024);
  EXPECT_EQ(PlaneA(0, 1024), a);
  EXPECT_EQ(PlaneB(0, 1024), b);
}

TEST_F(OledRender, ReportsMissingGlyphsAndLeavesThemOut) {
  // 0x8540 is in no block of the test fonts.
  Result r = Render("AB\x85\x40" "C");
  EXPECT_EQ(r.layout, 0);
  EXPECT_EQ(r.console,
            "MakeOLEDdataOfString:[AB?C][5]\n"
            " 全角フォントデータ見つからない (2,8540)\n"
            " イメージ幅=100\n");
  auto [a, b] = TwoPages({{kTestHalf16, 'A'}, {kTestHalf16, 'B'}, {kTestHalf16, 'C'}}, 0, 0xFF);
  EXPECT_EQ(PlaneA(0, 24), a);
  EXPECT_EQ(PlaneB(0, 24), b);
  EXPECT_EQ(PlaneA(24, 100), Bytes(76, 0));

  // A lead byte at the very end is looked up with a zero trail byte.
  r = Render("AB\x93");
  EXPECT_NE(r.console.find(" 全角フォントデータ見つからない (2,9300)\n"), std::string::npos)
      << r.console;
  EXPECT_EQ(r.width, 100);
}

TEST(OledRenderWithoutFonts, ReportsEveryCharacterAndDrawsNothing) {
  auto state = std::make_unique<RunState>();
  std::memset(state->imagePlaneA, 0xEE, kImagePlaneBytes);
  int32_t layout = -1;
  int32_t width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(*state, "A\x93\xFA", 3, layout, width);
  std::string console = GetCapturedConsole();
  EXPECT_EQ(console,
            "MakeOLEDdataOfString:[A日][3]\n"
            " 半角フォントデータ見つからない (0:A)\n"
            " 全角フォントデータ見つからない (1,93fa)\n"
            " イメージ幅=100\n");
  EXPECT_EQ(width, 100);
  EXPECT_EQ(Bytes(state->imagePlaneA, state->imagePlaneA + 100), Bytes(100, 0));
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(*state, "", 0, layout, width);
  GetCapturedConsole();
  EXPECT_EQ(layout, 0);
  EXPECT_EQ(width, 100);
}

}  // namespace
