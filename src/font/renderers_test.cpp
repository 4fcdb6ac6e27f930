#include "font/renderers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "font/oled_render.h"
#include "state/run_state.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

// Whole title images are pinned by the expected cards; here the cuts at the images' edges.
namespace {

// count distinct full-width characters (kanji and kana), two bytes each.
std::string FullWidth(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += {char(0x88 + i % 20), char(0x9F + i)};
  return text;
}

std::string Bytes(const uint8_t* data, int from, int count) {
  return std::string(data + from, data + from + count);
}

class Renderers : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTestFontSet(*state), 1); }
  void FillPlanes() {
    for (uint8_t* plane : planes) std::memset(plane, 0xEE, kImagePlaneBytes);
  }
  // The three pages of text drawn two-line; the bytes past the capacity stay as they were.
  std::string TwoLine(const std::string& text, int capacity, int expectedResult) {
    FillPlanes();
    testing::internal::CaptureStdout();
    EXPECT_EQ(
        MakeTwoLineDataOfString(*state, planes[0], planes[1], planes[2], capacity, text.c_str()),
        expectedResult)
        << text.size() << " bytes in " << capacity;
    EXPECT_EQ(GetCapturedConsole(), "");  // missing glyphs are skipped silently
    std::string pages;
    for (uint8_t* plane : planes) {
      pages += Bytes(plane, 0, capacity);
      EXPECT_EQ(Bytes(plane, capacity, 4), "\xEE\xEE\xEE\xEE");
    }
    return pages;
  }
  std::string Strip(const std::string& text, int length) {
    FillPlanes();
    MakeStripDataOfString(*state, planes[0], text.c_str(), length);
    EXPECT_EQ(Bytes(planes[0], kStripBytes, 4), "\xEE\xEE\xEE\xEE");
    return Bytes(planes[0], 0, kStripBytes);
  }
  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
  uint8_t* planes[3] = {state->imagePlaneA, state->imagePlaneB, state->imagePlaneC};
};

TEST_F(Renderers, TwoLineImageBreaksWhereAFullWidthCharacterNoLongerFitsAndDropsTheRest) {
  TwoLine(FullWidth(16), 128, 72);  // ten full-width characters a line
  // Line 2 ends after character 20: the rest changes nothing.
  EXPECT_EQ(TwoLine(FullWidth(25), 128, 120), TwoLine(FullWidth(20), 128, 120));
  // A missing glyph takes no columns; a lead byte at the end pairs with the terminator.
  EXPECT_EQ(TwoLine("A\x85\x40\x93\xFA\x42\x93", 512, 24), TwoLine("A\x93\xFA\x42", 512, 24));
  TwoLine("\x93\xFA\x93\xFA", 10, 10);  // narrower than a glyph: cut on line 2
  TwoLine("ABC", 0, 0);
}

// (The 128-column cap is pinned by the expected cards' long titles.)
TEST_F(Renderers, StripPadsWithZeroReadsOnlyLengthBytesAndHalfWidthIsSixColumnsAByte) {
  EXPECT_EQ(Strip("", 0), std::string(kStripBytes, '\0'));
  const std::string a = Strip("A", 1);
  EXPECT_EQ(a.substr(6), std::string(kStripBytes - 6, '\0'));
  EXPECT_EQ(Strip("\x85\x40\x41\x42", 3), a);  // no glyph, no columns; only length bytes read
  EXPECT_EQ(Strip("A\x93\xFA", 2), a);         // a lead byte ending the length has no trail byte
  // The half-width image: six columns a byte, up to 512.
  const std::pair<std::string, int> cases[] = {
      {" RANDOM    ", 66}, {std::string(100, 'Z'), 512}, {"\x93\xFA", 12}};  // byte by byte
  for (const auto& [text, columns] : cases) {
    FillPlanes();
    int32_t width = -1;
    testing::internal::CaptureStdout();
    MakeHalfWidthDataOfString(*state, planes[0], text.c_str(), width);
    EXPECT_EQ(GetCapturedConsole(), "");
    EXPECT_EQ(width, columns);
    EXPECT_EQ(Bytes(planes[0], columns, 4), "\xEE\xEE\xEE\xEE") << text;
  }
}

// The layout and width at every length. (Images, double-byte layouts: the expected cards.)
TEST_F(Renderers, OledImageLayoutIsChosenByLengthAndReportsItsWidth) {
  const struct {
    std::string text;
    int layout, width;
    std::string console = "";  // a part of the console output
  } cases[] = {
      {"ABC", 0, 100, "MakeOLEDdataOfString:[ABC][3]\n イメージ幅=100\n"},
      {"ABCDEFGHIJKL\x93\xFA\x4D", 0, 100},  // 13..16 bytes: 12-row fonts
      {std::string(16, 'x'), 0, 100},
      {std::string(17, 'x'), 2, 17 * 8},
      {std::string(24, 'x'), 2, 24 * 8},
      {std::string(25, 'x'), 3, 25 * 6},
      {std::string(200, 'W'), 3, 1020},  // a glyph that would pass column 1024 is left out
      // Cut inside the 169th K; the missing character after the cut is never looked at.
      {"\x93\xFA" + std::string(170, 'K') + "\x85\x40", 1, 1024, "][174]\n イメージ幅=1024\n"},
      {"AB\x85\x40\x43", 0, 100,
       "[AB?C][5]\n 全角フォントデータ見つからない (2,8540)\n イメージ幅=100\n"},
      {"AB\x93", 0, 100, " 全角フォントデータ見つからない (2,9300)\n"},
  };
  for (const auto& c : cases) {
    FillPlanes();
    int32_t layout = -1, width = -1;
    testing::internal::CaptureStdout();
    MakeOLEDdataOfString(*state, *state, c.text.c_str(), static_cast<int>(c.text.size()), layout,
                         width);
    const std::string console = GetCapturedConsole();
    EXPECT_EQ(layout, c.layout) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    EXPECT_NE(console.find(c.console), std::string::npos) << console;
    // Layouts 2 and 3 are one page high: the second stays clear.
    if (c.layout >= 2) {
      EXPECT_EQ(std::memcmp(state->imagePlaneB, std::string(kImagePlaneBytes, '\0').data(),
                            kImagePlaneBytes),
                0)
          << c.text;
    }
  }
}

// Without fonts only the OLED and half-width images report the missing half-width glyphs.
TEST(RenderersWithoutFonts, DrawNothingAndReportMissingHalfWidthGlyphs) {
  auto state = std::make_unique<RunState>();
  std::memset(state->imagePlaneA, 0xEE, kImagePlaneBytes);
  int32_t layout = -1, width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(*state, *state, "A\x93\xFA", 3, layout, width);
  EXPECT_EQ(width, 100);
  EXPECT_EQ(Bytes(state->imagePlaneA, 0, 100), std::string(100, '\0'));
  MakeHalfWidthDataOfString(*state, state->imagePlaneA, "OK", width);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(GetCapturedConsole(),
            "MakeOLEDdataOfString:[A日][3]\n 半角フォントデータ見つからない (0:A)\n"
            " 全角フォントデータ見つからない (1,93fa)\n イメージ幅=100\n"
            " 半角フォントデータ見つからない (0:O)\n 半角フォントデータ見つからない (1:K)\n");
}

}  // namespace
