#include "font_output.h"

#include <gtest/gtest.h>

#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

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
