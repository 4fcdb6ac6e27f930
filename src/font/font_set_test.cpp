#include "font/font_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "state/run_state.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

// (Slot contents are pinned by the renderer tests, a font's size limits by the font file tests.)
TEST(LoadFonts, StopsAtTheFirstMissingOrBadFileWithItsLines) {
  const struct {
    TestFont font;      // kTestFontCount: none
    std::string bytes;  // empty: the file is missing
    const char* console;
  } cases[] = {
      {kTestFontCount, "", ""},
      {kTestFull6x8, "", "フォントファイルオープンエラー\nGetFontMetrics error _FONT\\K6X8X.FNT\n"},
      {kTestFull8, "not a font", "FONTXでない\nGetFontMetrics error _FONT\\MISAKI.FNT\n"},
  };
  for (const auto& c : cases) {
    TempCard card;
    WriteTestFontSet(c.bytes.empty() ? c.font : kTestFontCount);
    if (!c.bytes.empty())
      card.WriteFile("_FONT/" + std::string(GetTestFontInfo(c.font).fileName), c.bytes);
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
