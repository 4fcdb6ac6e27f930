#include "font/font_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "driver/run_state.h"
#include "font/font_test_util.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

struct Load {
  int result;
  std::string console;
};

Load LoadCapturing(RunState& state) {
  testing::internal::CaptureStdout();
  Load load;
  load.result = LoadFonts(state);
  load.console = testing::internal::GetCapturedStdout();
  KeepFontMemory(state);
  return load;
}

TEST(LoadFonts, FillsEverySlotFromTheFontFolder) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  WriteTestFontSet();
  Load load = LoadCapturing(*state);
  EXPECT_EQ(load.result, 1);
  EXPECT_EQ(load.console, "");
  struct Expected {
    const FontRecord& font;
    int width, height, codeType;
  };
  for (const Expected& e : {Expected{state->full16Font, 16, 16, 1}, Expected{state->half16Font, 8, 16, 0},
                            Expected{state->full6x8Font, 6, 8, 1}, Expected{state->half6x8Font, 6, 8, 0},
                            Expected{state->full12Font, 12, 12, 1}, Expected{state->half12Font, 6, 12, 0},
                            Expected{state->half8Font, 8, 8, 0}, Expected{state->full8Font, 8, 8, 1}}) {
    EXPECT_EQ(e.font.width, e.width);
    EXPECT_EQ(e.font.height, e.height);
    EXPECT_EQ(e.font.codeType, e.codeType);
    EXPECT_NE(e.font.blocks, nullptr);
  }
  // Each slot holds its own file: the same code differs between fonts.
  EXPECT_EQ(Slot(state->full12Font, 0x93FA)[3], TestGlyphColumn(kTestFull12, 0x93FA, 3, 0));
  EXPECT_EQ(Slot(state->full8Font, 0x93FA)[3], TestGlyphColumn(kTestFull8, 0x93FA, 3, 0));
  EXPECT_EQ(Slot(state->half8Font, 'Q')[5], TestGlyphColumn(kTestHalf8, 'Q', 5, 0));
  EXPECT_EQ(Slot(state->half16Font, 'Q')[8 + 5], TestGlyphColumn(kTestHalf16, 'Q', 5, 8));
  EXPECT_EQ(Slot(state->half6x8Font, 0xB1)[2], TestHalf6x8Column(0xB1, 2));
}

TEST(LoadFonts, StopsAtAMissingFileWithTwoLines) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  WriteTestFontSet(kTestFull6x8);
  Load load = LoadCapturing(*state);
  EXPECT_EQ(load.result, 0);
  EXPECT_EQ(load.console, "フォントファイルオープンエラー\nGetFontMetrics error _FONT\\K6X8X.FNT\n");
  EXPECT_NE(state->half16Font.blocks, nullptr);
  EXPECT_EQ(state->half6x8Font.blocks, nullptr);
  EXPECT_EQ(state->full12Font.blocks, nullptr);
  EXPECT_EQ(state->full8Font.blocks, nullptr);
}

TEST(LoadFonts, StopsAtABadFileAfterItsOwnLine) {
  TempCard card;
  auto state = std::make_unique<RunState>();
  WriteTestFontSet();
  card.WriteFile("_FONT/MISAKI.FNT", std::string("not a font at all"));
  Load load = LoadCapturing(*state);
  EXPECT_EQ(load.result, 0);
  EXPECT_EQ(load.console, "FONTXでない\nGetFontMetrics error _FONT\\MISAKI.FNT\n");
  EXPECT_NE(state->half6x8Font.blocks, nullptr);
  EXPECT_NE(state->half8Font.blocks, nullptr);
  EXPECT_EQ(state->full8Font.blocks, nullptr);

  // A font beyond the slot limits fails the same way.
  FontxSpec wide;
  wide.width = 12;
  wide.height = 12;
  card.WriteFile("_FONT/DRUG12HN.FEF", BuildFontx(wide));
  auto again = std::make_unique<RunState>();
  load = LoadCapturing(*again);
  EXPECT_EQ(load.result, 0);
  EXPECT_EQ(load.console,
            "_FONT\\DRUG12HN.FEF: 1バイトフォントの幅が8ドットを超えている (12)\n"
            "GetFontMetrics error _FONT\\DRUG12HN.FEF\n");
}

TEST(LoadFonts, FindsTheFolderAndFilesInAnyCase) {
  TempCard card;
  WriteTestFontSet();
  std::filesystem::rename("_FONT", "_font");
  std::filesystem::rename("_font/MISAKI.FNT", "_font/misaki.fnt");
  auto state = std::make_unique<RunState>();
  EXPECT_EQ(LoadCapturing(*state).result, 1);
}

TEST(LoadFonts, TakesRealSixteenRowFonts) {
  TempCard card;
  WriteTestFontSet();
  card.WriteFile("_FONT/MNLZN16X.TLF", RealFontBytes("ILGZ16XB.FNT"));
  card.WriteFile("_FONT/MNLHN16X.TLF", RealFontBytes("ILGH16XB.FNT"));
  auto state = std::make_unique<RunState>();
  ASSERT_EQ(LoadCapturing(*state).result, 1);
  EXPECT_EQ(state->full16Font.blockCount, 94);
  EXPECT_NE(FindGlyph(state->full16Font, 0x93FA), nullptr);
  EXPECT_NE(Slot(state->half16Font, 'A'), Slot(state->half16Font, ' '));
}

}  // namespace
