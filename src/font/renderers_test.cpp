#include "font/renderers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "font/oled_render.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

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
  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
  uint8_t* planes[3] = {state->imagePlaneA, state->imagePlaneB, state->imagePlaneC};
};

TEST_F(Renderers, TwoLinePacksWhatFitsAndWritesNothingPastTheCapacity) {
  const std::string fw16 = FullWidth(16), fw25 = FullWidth(25), abc = "ABCDEFGHIJKLMNOPQRSTU";
  const struct {
    int capacity;
    std::string text;
    int result;
    std::string line1, line2;
  } cases[] = {
      {128, fw16, 72, fw16.substr(0, 20), fw16.substr(20)},       // ten full-width a line
      {128, fw25, 120, fw25.substr(0, 20), fw25.substr(20, 20)},  // the rest dropped
      {128, abc, 6, abc.substr(0, 20), "U"},  // room kept for a full-width character
      // Missing glyphs skipped silently; a lead byte at the end pairs with the terminator.
      {512, "A\x85\x40\x93\xFA" "B\x93", 24, "A\x93\xFA" "B", ""},
      {10, "\x93\xFA\x93\xFA", 10, "", "\x93\xFA"},  // narrower than a glyph: cut on line 2
      {0, "ABC", 0, "", ""},
  };
  for (const auto& c : cases) {
    FillPlanes();
    testing::internal::CaptureStdout();
    EXPECT_EQ(MakeTwoLineDataOfString(*state, planes[0], planes[1], planes[2], c.capacity,
                                      c.text.c_str()),
              c.result);
    EXPECT_EQ(GetCapturedConsole(), "");
    const std::string expected = TestTwoLinePages(c.line1, c.line2, c.capacity);
    for (int p = 0; p < 3; ++p) {
      EXPECT_EQ(Bytes(planes[p], 0, c.capacity), expected.substr(p * c.capacity, c.capacity))
          << c.capacity << " page " << p;
      EXPECT_EQ(Bytes(planes[p], c.capacity, 4), "\xEE\xEE\xEE\xEE");
    }
  }
}

TEST_F(Renderers, StripFillsAtMost128ColumnsAndPadsWithZero) {
  const struct {
    std::string text;
    int length;
    std::string drawn;
  } cases[] = {
      {FullWidth(10) + "ABCDEFGHI", 29, FullWidth(10) + "ABCDEFGH"},  // exactly 128: I dropped
      {FullWidth(15) + "AB", 32, FullWidth(15) + "AB"},  // B cut after two columns
      {"", 0, ""},
      {"\x85\x40" "AB", 3, "A"},  // a missing glyph takes no columns; only length bytes read
      {"A\x93\xFA", 2, "A"},      // a lead byte ending the length has no trail byte
  };
  for (const auto& c : cases) {
    FillPlanes();
    MakeStripDataOfString(*state, planes[0], c.text.c_str(), c.length);
    std::string expected;
    for (uint16_t column : TestTextColumns(c.drawn, kTestFull8, kTestHalf6x8)) {
      expected += char(column);
    }
    expected.resize(kStripBytes, '\0');
    EXPECT_EQ(Bytes(planes[0], 0, kStripBytes + 4), expected + "\xEE\xEE\xEE\xEE") << c.length;
  }
}

TEST_F(Renderers, HalfWidthImageIsSixColumnsPerByteUpTo512) {
  const std::pair<std::string, int> cases[] = {
      {" RANDOM    ", 66}, {std::string(100, 'Z'), 512}, {"\x93\xFA", 12}};  // byte by byte
  for (const auto& [text, columns] : cases) {
    FillPlanes();
    int32_t width = -1;
    testing::internal::CaptureStdout();
    MakeHalfWidthDataOfString(*state, planes[0], text.c_str(), width);
    EXPECT_EQ(GetCapturedConsole(), "");
    EXPECT_EQ(width, columns);
    std::string expected(columns + 4, '\xEE');
    for (int k = 0; k < columns; ++k) expected[k] = char(TestHalf6x8Column(text[k / 6], k % 6));
    EXPECT_EQ(Bytes(planes[0], 0, columns + 4), expected) << text;
  }
}

// Without fonts every half-width character is a missing glyph, which only
// the OLED and half-width images report.
TEST(RenderersWithoutFonts, DrawNothingAndReportMissingHalfWidthGlyphs) {
  auto state = std::make_unique<RunState>();
  std::memset(state->imagePlaneA, 0xEE, kImagePlaneBytes);
  int32_t layout = -1, width = -1;
  testing::internal::CaptureStdout();
  MakeOLEDdataOfString(*state, "A\x93\xFA", 3, layout, width);
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
