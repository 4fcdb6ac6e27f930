#include "font/oled_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

// The images themselves are pinned by the expected cards, whose titles take
// every layout; here the choice of layout and width at every length.
TEST(OledRender, ChoosesTheLayoutByLengthAndReportsItsWidth) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  ASSERT_EQ(LoadTestFontSet(*state), 1);
  const std::string sixKanji = "\x93\xFA\x96\x7B\x82\xCC\x89\xCC\x82\xA0\x82\xA2";  // 日本の歌あい
  const struct {
    std::string text;
    int layout, width;
    std::string console = "";  // a part of the console output
  } cases[] = {
      {"ABC", 0, 100, "MakeOLEDdataOfString:[ABC][3]\n イメージ幅=100\n"},
      {sixKanji, 0, 100},
      {"ABCDEFGHIJKL\x93\xFA" "M", 0, 100},  // 13..16 bytes: 12-row fonts
      {std::string(16, 'x'), 0, 100},
      {std::string(17, 'x'), 2, 17 * 8},
      {std::string(24, 'x'), 2, 24 * 8},
      {std::string(18, 'x') + "\x93\xFA", 1, 18 * 6 + 12},
      {std::string(25, 'x'), 3, 25 * 6},
      {std::string(200, 'W'), 3, 1020},  // a glyph that would pass column 1024 is left out
      // Cut inside the 169th K; the missing character after the cut is never looked at.
      {"\x93\xFA" + std::string(170, 'K') + "\x85\x40", 1, 1024, "][174]\n イメージ幅=1024\n"},
      {"AB\x85\x40" "C", 0, 100,
       "[AB?C][5]\n 全角フォントデータ見つからない (2,8540)\n イメージ幅=100\n"},
      {"AB\x93", 0, 100, " 全角フォントデータ見つからない (2,9300)\n"},
  };
  for (const auto& c : cases) {
    std::memset(state->imagePlaneA, 0xEE, kImagePlaneBytes);
    std::memset(state->imagePlaneB, 0xEE, kImagePlaneBytes);
    int32_t layout = -1, width = -1;
    testing::internal::CaptureStdout();
    MakeOLEDdataOfString(*state, c.text.c_str(), static_cast<int>(c.text.size()), layout, width);
    const std::string console = GetCapturedConsole();
    EXPECT_EQ(layout, c.layout) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    EXPECT_NE(console.find(c.console), std::string::npos) << console;
    // Layouts 2 and 3 are one page high: the second stays clear.
    if (c.layout >= 2) {
      EXPECT_EQ(std::memcmp(state->imagePlaneB, std::string(kImagePlaneBytes, '\0').data(),
                            kImagePlaneBytes), 0) << c.text;
    }
  }
}

}  // namespace
