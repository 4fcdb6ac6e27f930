#include "font/font_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/run_state.h"
#include "font/font_test_util.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

std::string LoadPrinting(RunState& state, int expected) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(LoadFonts(state), expected);
  KeepFontMemory(state);
  return GetCapturedConsole();
}

TEST(LoadFonts, FillsEachSlotFromItsOwnFile) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  WriteTestFontSet();
  EXPECT_EQ(LoadPrinting(*state, 1), "");
  EXPECT_EQ(state->full16Font.width, 16);
  EXPECT_EQ(state->half6x8Font.width, 6);
  EXPECT_EQ(Slot(state->full16Font, 0x93FA)[20], TestGlyphColumn(kTestFull16, 0x93FA, 4, 8));
  EXPECT_EQ(Slot(state->half16Font, 'Q')[13], TestGlyphColumn(kTestHalf16, 'Q', 5, 8));
  EXPECT_EQ(Slot(state->half6x8Font, 0xB1)[2], TestHalf6x8Column(0xB1, 2));
  EXPECT_EQ(Slot(state->full12Font, 0x93FA)[3], TestGlyphColumn(kTestFull12, 0x93FA, 3, 0));
  EXPECT_EQ(Slot(state->half12Font, 'Q')[13], TestGlyphColumn(kTestHalf12, 'Q', 5, 8));
  EXPECT_EQ(Slot(state->half8Font, 'Q')[5], TestGlyphColumn(kTestHalf8, 'Q', 5, 0));
  EXPECT_EQ(Slot(state->full8Font, 0x93FA)[3], TestGlyphColumn(kTestFull8, 0x93FA, 3, 0));
}

TEST(LoadFonts, StopsAtTheFirstMissingOrBadFileWithItsLines) {
  TempCard card;
  WriteTestFontSet(kTestFull6x8);
  auto state = std::make_unique<RunState>();
  EXPECT_EQ(LoadPrinting(*state, 0),
            "フォントファイルオープンエラー\nGetFontMetrics error _FONT\\K6X8X.FNT\n");
  EXPECT_NE(state->half16Font.blocks, nullptr);
  EXPECT_EQ(state->half6x8Font.blocks, nullptr);
  EXPECT_EQ(state->full12Font.blocks, nullptr);

  WriteTestFontSet();
  card.WriteFile("_FONT/MISAKI.FNT", std::string("not a font"));
  state = std::make_unique<RunState>();
  EXPECT_EQ(LoadPrinting(*state, 0), "FONTXでない\nGetFontMetrics error _FONT\\MISAKI.FNT\n");
  EXPECT_NE(state->half8Font.blocks, nullptr);
  EXPECT_EQ(state->full8Font.blocks, nullptr);

  FontxDesign wide;  // a single-byte font 12 pixels wide
  wide.width = 12;
  wide.height = 12;
  card.WriteFile("_FONT/DRUG12HN.FEF", BuildFontx(wide));
  state = std::make_unique<RunState>();
  EXPECT_EQ(LoadPrinting(*state, 0),
            "_FONT\\DRUG12HN.FEF: 1バイトフォントの幅が8ドットを超えている (12)\n"
            "GetFontMetrics error _FONT\\DRUG12HN.FEF\n");
}

}  // namespace
