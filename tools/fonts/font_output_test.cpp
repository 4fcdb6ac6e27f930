#include "font_output.h"

#include <gtest/gtest.h>

#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(WriteFontFile, WritesANewFileAndLeavesAnIdenticalOneAlone) {
  TempCard card;
  card.MakeDir("_FONT");
  std::string error;
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1, 2, 3}, false, error), FontWrite::kWritten);
  EXPECT_EQ(card.ReadFile("_FONT/K6X8X.FNT"), std::string("\x01\x02\x03"));
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1, 2, 3}, false, error),
            FontWrite::kUnchanged);
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"_FONT/", "_FONT/K6X8X.FNT"}));
}

TEST(WriteFontFile, ReplacesADifferentFileOnlyWhenAsked) {
  TempCard card;
  card.WriteFile("_FONT/MISAKI.FNT", std::string("user's own font"));
  std::string error;
  EXPECT_EQ(WriteFontFile("_FONT", "MISAKI.FNT", Bytes{'n', 'e', 'w'}, false, error),
            FontWrite::kKept);
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT"), "user's own font");
  EXPECT_EQ(WriteFontFile("_FONT", "MISAKI.FNT", Bytes{'n', 'e', 'w'}, true, error),
            FontWrite::kReplaced);
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT"), "new");
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"_FONT/", "_FONT/MISAKI.FNT"}));
}

TEST(WriteFontFile, FailsWithAReasonAndLeavesNoPartialFile) {
  TempCard card;
  std::string error;
  EXPECT_EQ(WriteFontFile("NOFOLDER", "K6X8X.FNT", Bytes{1}, false, error), FontWrite::kFailed);
  EXPECT_NE(error.find("NOFOLDER/K6X8X.FNT"), std::string::npos);

  // A folder where the font should go is not touched, even when replacing.
  card.MakeDir("_FONT/K6X8X.FNT");
  EXPECT_EQ(WriteFontFile("_FONT", "K6X8X.FNT", Bytes{1}, true, error), FontWrite::kFailed);
  // A leftover temporary file is never overwritten.
  card.WriteFile("_FONT/MISAKI.FNT", std::string("old"));
  card.WriteFile("_FONT/MISAKI.FNT.part", std::string("someone's"));
  EXPECT_EQ(WriteFontFile("_FONT", "MISAKI.FNT", Bytes{1}, true, error), FontWrite::kFailed);
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT"), "old");
  EXPECT_EQ(card.ReadFile("_FONT/MISAKI.FNT.part"), "someone's");
}

}  // namespace
