#include "font/oled_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Case {
  std::string text;
  int layout, width;
  TestFont half;             // the full-width font of the same height goes with it
  std::string console = "";  // a part of the console output
};

// Planes A and B after drawing c.text over planes filled with 0xEE. A
// 12-row glyph moves down two rows; layouts 2 and 3 fill plane A only.
std::pair<Bytes, Bytes> Expected(const Case& c) {
  const int shift = c.half == kTestHalf12 ? 2 : 0;
  Bytes a, b;
  for (uint16_t column :
       TestTextColumns(c.text, c.half == kTestHalf16 ? kTestFull16 : kTestFull12, c.half)) {
    const unsigned upper = column & 0xFF;
    a.push_back(static_cast<uint8_t>(upper << shift));
    b.push_back(static_cast<uint8_t>(upper >> (8 - shift) | (column >> 8) << shift));
  }
  if (c.layout >= 2) {  // a glyph that would pass column 1024 is left out whole
    const size_t glyph = c.half == kTestHalf8 ? 8 : 6;
    if (a.size() > 1024) a.resize(1024 / glyph * glyph);
    a.resize(1024, 0);
    return {a, Bytes(1024, 0)};
  }
  if (a.size() < 100) {
    a.resize(100, 0);
    b.resize(100, 0);
  }
  a.resize(1024, 0xEE);
  b.resize(1024, 0xEE);
  return {a, b};
}

TEST(OledRender, ChoosesTheLayoutByLengthAndDrawsItsImage) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  ASSERT_EQ(LoadTestFontSet(*state), 1);
  const std::string sixKanji = "\x93\xFA\x96\x7B\x82\xCC\x89\xCC\x82\xA0\x82\xA2";  // 日本の歌あい
  const Case cases[] = {
      {"ABC", 0, 100, kTestHalf16, "MakeOLEDdataOfString:[ABC][3]\n イメージ幅=100\n"},
      {sixKanji, 0, 100, kTestHalf16},
      {"ABCDEFGHIJKL\x93\xFA" "M", 0, 100, kTestHalf12},  // 13..16 bytes: 12-row fonts
      {std::string(16, 'x'), 0, 100, kTestHalf12},
      {std::string(17, 'x'), 2, 17 * 8, kTestHalf8},
      {std::string(24, 'x'), 2, 24 * 8, kTestHalf8},
      {std::string(18, 'x') + "\x93\xFA", 1, 18 * 6 + 12, kTestHalf12},
      {std::string(25, 'x'), 3, 25 * 6, kTestHalf6x8},
      {std::string(200, 'W'), 3, 1020, kTestHalf6x8},
      // Cut inside the 169th K; the missing character after the cut is never looked at.
      {"\x93\xFA" + std::string(170, 'K') + "\x85\x40", 1, 1024, kTestHalf12,
       "][174]\n イメージ幅=1024\n"},
      {"AB\x85\x40" "C", 0, 100, kTestHalf16,
       "[AB?C][5]\n 全角フォントデータ見つからない (2,8540)\n イメージ幅=100\n"},
      {"AB\x93", 0, 100, kTestHalf16, " 全角フォントデータ見つからない (2,9300)\n"},
  };
  for (const Case& c : cases) {
    std::memset(state->imagePlaneA, 0xEE, kImagePlaneBytes);
    std::memset(state->imagePlaneB, 0xEE, kImagePlaneBytes);
    int32_t layout = -1, width = -1;
    testing::internal::CaptureStdout();
    MakeOLEDdataOfString(*state, c.text.c_str(), static_cast<int>(c.text.size()), layout, width);
    const std::string console = GetCapturedConsole();
    EXPECT_EQ(layout, c.layout) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    auto [a, b] = Expected(c);
    EXPECT_EQ(Bytes(state->imagePlaneA, state->imagePlaneA + kImagePlaneBytes), a) << c.text;
    EXPECT_EQ(Bytes(state->imagePlaneB, state->imagePlaneB + kImagePlaneBytes), b) << c.text;
    EXPECT_NE(console.find(c.console), std::string::npos) << console;
  }
}

}  // namespace
