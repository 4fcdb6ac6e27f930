#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/character_images.h"
#include "display/menu_data.h"
#include "display/message_images.h"
#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

// The single-byte characters first..last.
std::string Codes(char first, char last) {
  std::string text;
  for (char c = first; c <= last; ++c) text += c;
  return text;
}

// CHRIMG10.DAT: line1 in its upper page and rows 8..11, line2 from row 12, cut at columns.
std::string CharacterImages(const std::string& line1, const std::string& line2, int columns,
                            TestFont half = kTestHalf12) {
  return TestTwoLinePages(line1, line2, columns, half).substr(0, 2 * columns);
}

// A menu block: items a above b (UTF-8) in three pages, or two for a short block.
std::string Block(const char* a, const char* b, bool isShort = false) {
  return TestTwoLinePages(ToCp932(a), ToCp932(b), 128).substr(0, isShort ? 256 : 384);
}

class DisplayFiles : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTestFontSet(*state_), 1); }
  TempCard card_;
  std::unique_ptr<RunState> state_ = std::make_unique<RunState>();
};

TEST_F(DisplayFiles, MessageImagesShowTheFirst50ColumnsOfEachText) {
  WriteMessageImages(*state_);
  std::string expected;
  for (std::string text : {" RANDOM    ", " SELECT    ", "           ", "           "}) {
    for (int c = 0; c < 50; ++c) expected += char(TestHalf6x8Column(text[c / 6], c % 6));
  }
  EXPECT_EQ(card_.ReadFile("MSGIMG08.DAT"), expected);
}

TEST_F(DisplayFiles, CharacterImagesRunFromSpaceToRightBrace) {
  WriteCharacterImages(*state_);
  EXPECT_EQ(card_.ReadFile("CHRIMG10.DAT"), CharacterImages(Codes(' ', '}'), "", 564));
}

TEST_F(DisplayFiles, FullStripContinuesInTheLowerPageAndStopsWhenFullAgain) {
  // 8 columns wide: 70 glyphs fill the strip; the rest go to the lower page's high bits.
  state_->half12Font = state_->half16Font;
  WriteCharacterImages(*state_);
  EXPECT_EQ(card_.ReadFile("CHRIMG10.DAT"),
            CharacterImages(Codes(0x20, 0x65), Codes(0x66, 0x7D), 192, kTestHalf16));

  state_->full12Font.width = 255;  // room kept for 255 columns: 40 glyphs a pass
  WriteCharacterImages(*state_);
  EXPECT_EQ(card_.ReadFile("CHRIMG10.DAT"),
            CharacterImages(Codes(0x20, 0x47), Codes(0x48, 0x6F), 320, kTestHalf16));
}

TEST_F(DisplayFiles, Model10MenuPacksTwoItemsPerBlock) {
  state_->playerModel = 10;
  WriteMenuData(*state_);
  const std::string file = card_.ReadFile("MNUDAT10.DAT");
  EXPECT_EQ(file, Block("フォルダ    ", "インデックス") + Block("ランダム再生", "OPT→電源オフ") +
                      Block("項目数変更", "電源オフ") + Block(" ", " "));
  // Byte 128: rows 8..11 of フ's first column, rows 0..3 of イ's first column.
  EXPECT_EQ(static_cast<uint8_t>(file.at(128)),
            ((TestGlyphColumn(kTestFull12, 0x8374, 0, 8) & 0x0F) |
             (TestGlyphColumn(kTestFull12, 0x8343, 0, 0) << 4)) & 0xFF);
  EXPECT_FALSE(card_.Exists("MNUDAT12.DAT"));
}

TEST_F(DisplayFiles, Model12MenuHasShortBlocksAfterEachGroup) {
  state_->playerModel = 12;
  WriteMenuData(*state_);
  EXPECT_EQ(card_.ReadFile("MNUDAT12.DAT"),
            Block("フォルダ    ", "インデックス") + Block("ランダム再生", "             ") +
                Block(" ", " ", true) + Block("GLCDリセット", "スピーカ ON/OFF") +
                Block("ステレオ／モノラル", " ") + Block(" ", " ", true));
  EXPECT_FALSE(card_.Exists("MNUDAT10.DAT"));
}

TEST_F(DisplayFiles, FilesThatCannotBeCreatedAreReportedAndSkipped) {
  for (const char* name : {"MSGIMG08.DAT", "CHRIMG10.DAT", "MNUDAT10.DAT"}) card_.MakeDir(name);
  state_->playerModel = 10;
  testing::internal::CaptureStdout();
  WriteMessageImages(*state_);
  WriteCharacterImages(*state_);
  WriteMenuData(*state_);
  EXPECT_EQ(GetCapturedConsole(), "ファイル作成エラー MSGIMG08.DAT\nファイル作成エラー CHRIMG10.DAT\n"
                                  "ファイル作成エラー MNUDAT10.DAT\n");
}

}  // namespace
