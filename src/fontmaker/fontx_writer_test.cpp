#include "fontx_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/font_file.h"
#include "font_output.h"
#include "platform/host.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(EncodeFontx, RefusesFontsTheCardsReaderCannotTakeAndJoinsBlocksPast255Runs) {
  const BitmapFont fonts[] = {{"", 9, 16, false, {}},
                              {"", 17, 16, true, {{0x8140, {}}}},
                              {"", 16, 17, true, {{0x8140, {}}}},
                              {"", 8, 0, false, {}},
                              {"", 8, 8, false, {{0x100, {}}}},
                              {"", 8, 8, true, {}}};
  for (const BitmapFont& font : fonts) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(EncodeFontx(font, out, error)) << font.width << "x" << font.height;
    EXPECT_NE(error, "");
  }
  // Past 255 runs, gaps are joined into blocks that the card's reader takes, blank.
  TempCard card;
  BitmapFont font{"", 8, 8, true, {}};
  for (int code = 0x8140; code < 0x8140 + 600; code += 2)
    font.glyphs[static_cast<uint16_t>(code)].rows[0] = 0xFF00;
  Bytes bytes;
  std::string error;
  ASSERT_TRUE(EncodeFontx(font, bytes, error)) << error;
  card.WriteFile("TEST.FNT", bytes);
  FontRecord read{};
  ASSERT_EQ(GetFontMetrics(HostOpen("TEST.FNT", "rb"), read, "TEST.FNT"), 1);
  KeepFontMemory(read);
  EXPECT_EQ(read.blockCount, 255);
  ASSERT_NE(FindGlyph(read, 0x8141), nullptr);
  EXPECT_EQ(FindGlyph(read, 0x8141)[0], 0);
  EXPECT_EQ(FindGlyph(read, 0x8142)[0], 0x01);
  EXPECT_EQ(FindGlyph(read, 0x8140 + 598)[7], 0x01);
}

TEST(WriteFontFile, ReplacesADifferentFileOnlyWhenAsked) {
  TempCard card;
  card.MakeDir("_FONT");
  std::string error;
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1, 2}, false, error), FontWrite::kWritten);
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1, 2}, false, error), FontWrite::kUnchanged);
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{'n'}, false, error), FontWrite::kKept);
  EXPECT_EQ(card.ReadFile("_FONT/K6X8X.FNT"), "\x01\x02");
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{'n'}, true, error), FontWrite::kReplaced);
  EXPECT_EQ(card.ReadFile("_FONT/K6X8X.FNT"), "n");
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"_FONT/", "_FONT/K6X8X.FNT"}));
}

TEST(WriteFontFile, FailsWithAReasonAndLeavesEveryFileAsItWas) {
  TempCard card;
  std::string error;
  EXPECT_EQ(WriteFontFile("NOFOLDER", "K6X8X.FNT", Bytes{1}, false, error), FontWrite::kFailed);
  EXPECT_NE(error.find("NOFOLDER/K6X8X.FNT"), std::string::npos);
  // A folder where the font should go, and a leftover temporary file.
  card.MakeDir("_FONT/K6X8X.FNT");
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1}, true, error), FontWrite::kFailed);
  card.WriteFile("_FONT/MISAKI.FNT", std::string("old"));
  card.WriteFile("_FONT/MISAKI.FNT.part", std::string("someone's"));
  EXPECT_EQ(WriteFontFile("_FONT", "MISAKI.FNT", Bytes{1}, true, error), FontWrite::kFailed);
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"_FONT/", "_FONT/K6X8X.FNT/", "_FONT/MISAKI.FNT",
                                                   "_FONT/MISAKI.FNT.part"}));
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT"), "old");
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT.part"), "someone's");
}

}  // namespace
