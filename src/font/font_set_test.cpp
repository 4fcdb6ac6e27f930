#include "font/font_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

// What each slot holds is pinned by the renderer tests, which draw from all of them.
TEST(LoadFonts, StopsAtTheFirstMissingOrBadFileWithItsLines) {
  FontxDesign wide;  // single-byte, 12 pixels wide
  wide.width = 12;
  const std::vector<uint8_t> wideFont = BuildFontx(wide);
  const struct {
    TestFont font;      // kTestFontCount: none
    std::string bytes;  // empty: the file is missing
    const char* console;
  } cases[] = {
      {kTestFontCount, "", ""},
      {kTestFull6x8, "", "フォントファイルオープンエラー\nGetFontMetrics error _FONT\\K6X8X.FNT\n"},
      {kTestFull8, "not a font", "FONTXでない\nGetFontMetrics error _FONT\\MISAKI.FNT\n"},
      {kTestHalf12, std::string(wideFont.begin(), wideFont.end()),
       "_FONT\\DRUG12HN.FEF: 1バイトフォントの幅が8ドットを超えている (12)\n"
       "GetFontMetrics error _FONT\\DRUG12HN.FEF\n"},
  };
  for (const auto& c : cases) {
    TempCard card;
    WriteTestFontSet(c.bytes.empty() ? c.font : kTestFontCount);
    if (!c.bytes.empty()) {
      card.WriteFile("_FONT/" + std::string(GetTestFontInfo(c.font).fileName), c.bytes);
    }
    auto state = std::make_unique<RunState>();
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadFonts(*state), c.font == kTestFontCount ? 1 : 0);
    KeepFontMemory(*state);
    EXPECT_EQ(GetCapturedConsole(), c.console);
    EXPECT_NE(state->full16Font.blocks, nullptr);
    EXPECT_EQ(state->full8Font.blocks != nullptr, c.font == kTestFontCount);  // the last slot
  }
}

}  // namespace
