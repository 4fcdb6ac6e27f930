#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/character_images.h"
#include "display/menu_data.h"
#include "display/message_images.h"
#include "driver/run_state.h"
#include "font/font_file.h"
#include "platform/host.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"
#include "text/sjis.h"

namespace {

// One 12-row line of an item as the player sees it: upper and lower page
// byte of each column, predicted from the test fonts.
struct Line {
  std::vector<uint8_t> upper;
  std::vector<uint8_t> lower;
};

Line PredictLine(const std::string& cp932) {
  Line line;
  for (size_t pos = 0; pos < cp932.size();) {
    const uint8_t byte = static_cast<uint8_t>(cp932[pos]);
    TestFont font = kTestHalf12;
    uint16_t code = byte;
    if (IsSjisLeadByte(byte)) {
      font = kTestFull12;
      code = static_cast<uint16_t>(byte << 8 | static_cast<uint8_t>(cp932[pos + 1]));
    }
    pos += font == kTestFull12 ? 2 : 1;
    if (!TestFontHasGlyph(font, code)) continue;
    for (int k = 0; k < GetTestFontInfo(font).width; ++k) {
      line.upper.push_back(TestGlyphColumn(font, code, k, 0));
      line.lower.push_back(TestGlyphColumn(font, code, k, 8));
    }
  }
  line.upper.resize(128);
  line.lower.resize(128);
  return line;
}

// A menu block of items a and b (UTF-8): three pages, or two for a short block.
std::string PredictBlock(const std::string& a, const std::string& b, bool isShort = false) {
  const Line top = PredictLine(ToCp932(a));
  const Line bottom = PredictLine(ToCp932(b));
  std::string pages(isShort ? 256 : 384, '\0');
  for (int k = 0; k < 128; ++k) {
    pages[k] = static_cast<char>(top.upper[k]);
    pages[128 + k] = static_cast<char>((top.lower[k] & 0x0F) | (bottom.upper[k] << 4));
    if (!isShort) {
      pages[256 + k] = static_cast<char>((bottom.upper[k] >> 4) | (bottom.lower[k] << 4));
    }
  }
  return pages;
}

// An 8x12 single-byte font whose glyphs differ by code and row.
uint32_t WideGlyphRow(uint16_t code, int row) { return (code * 37u + row * 11u + 1) & 0xFF; }

// Column x of that font's glyph, rows firstRow.. (bit 0 = firstRow).
uint8_t WideGlyphColumn(uint16_t code, int x, int firstRow) {
  uint8_t column = 0;
  for (int r = 0; r < 8 && firstRow + r < 12; ++r) {
    if (WideGlyphRow(code, firstRow + r) & (0x80u >> x)) column |= static_cast<uint8_t>(1u << r);
  }
  return column;
}

class DisplayFiles : public testing::Test {
 protected:
  // The test fonts are loaded once; every test gets its own state with them.
  static void SetUpTestSuite() {
    fonts_ = std::make_unique<RunState>().release();
    TempCard card;
    ASSERT_EQ(LoadTestFontSet(*fonts_), 1);
  }

  void SetUp() override {
    state_ = std::make_unique<RunState>();
    state_->full12Font = fonts_->full12Font;
    state_->half12Font = fonts_->half12Font;
    state_->half6x8Font = fonts_->half6x8Font;
  }

  // Loads an 8x12 single-byte font into half12Font, wider than the
  // 6 columns that fit 94 characters into the strip.
  void UseWideHalfFont() {
    FontxDesign design;
    design.width = 8;
    design.height = 12;
    design.rows = WideGlyphRow;
    card_.WriteFile("WIDE.FNT", BuildFontx(design));
    ASSERT_EQ(GetFontMetrics(HostOpen("WIDE.FNT", "rb"), state_->half12Font, "WIDE.FNT"), 1);
    KeepFontMemory(state_->half12Font);
  }

  static RunState* fonts_;
  TempCard card_;
  std::unique_ptr<RunState> state_;
};

RunState* DisplayFiles::fonts_ = nullptr;

TEST_F(DisplayFiles, MessageImagesShowTheFirst50ColumnsOfEachText) {
  WriteMessageImages(*state_);
  const std::string file = card_.ReadFile("MSGIMG08.DAT");
  ASSERT_EQ(file.size(), 200u);
  const char* texts[] = {" RANDOM    ", " SELECT    ", "           ", "           "};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 50; ++c) {
      ASSERT_EQ(static_cast<uint8_t>(file[r * 50 + c]),
                TestHalf6x8Column(static_cast<uint8_t>(texts[r][c / 6]), c % 6))
          << "record " << r << " column " << c;
    }
  }
}

TEST_F(DisplayFiles, CharacterImagesRunFromSpaceToRightBrace) {
  WriteCharacterImages(*state_);
  const std::string file = card_.ReadFile("CHRIMG10.DAT");
  ASSERT_EQ(file.size(), 1128u);
  for (int c = 0; c < 564; ++c) {
    const uint16_t code = static_cast<uint16_t>(0x20 + c / 6);
    ASSERT_EQ(static_cast<uint8_t>(file[c]), TestGlyphColumn(kTestHalf12, code, c % 6, 0)) << c;
    // The 12-row glyph stands at the top of the band: rows 12..15 dark.
    ASSERT_EQ(static_cast<uint8_t>(file[564 + c]),
              TestGlyphColumn(kTestHalf12, code, c % 6, 8) & 0x0F) << c;
  }
}

TEST_F(DisplayFiles, FullStripContinuesInTheLowerPageFromColumnZero) {
  UseWideHalfFont();  // 8 columns: the fit test trips before 0x66
  WriteCharacterImages(*state_);
  const std::string file = card_.ReadFile("CHRIMG10.DAT");
  ASSERT_EQ(file.size(), 2u * 24 * 8);
  for (int c = 0; c < 192; ++c) {
    const uint16_t first = static_cast<uint16_t>(0x20 + c / 8);
    const uint16_t second = static_cast<uint16_t>(0x66 + c / 8);
    ASSERT_EQ(static_cast<uint8_t>(file[c]), WideGlyphColumn(first, c % 8, 0)) << c;
    ASSERT_EQ(static_cast<uint8_t>(file[192 + c]),
              ((WideGlyphColumn(first, c % 8, 8) & 0x0F) |
               (WideGlyphColumn(second, c % 8, 0) << 4)) & 0xFF) << c;
  }
}

TEST_F(DisplayFiles, StripFullTwiceStopsDrawing) {
  UseWideHalfFont();
  state_->full12Font.width = 255;  // room kept for 255 columns: 40 glyphs a pass
  WriteCharacterImages(*state_);
  const std::string file = card_.ReadFile("CHRIMG10.DAT");
  ASSERT_EQ(file.size(), 640u);
  EXPECT_EQ(static_cast<uint8_t>(file[319]), WideGlyphColumn(0x47, 7, 0));
  EXPECT_EQ(static_cast<uint8_t>(file[320 + 319]),
            ((WideGlyphColumn(0x47, 7, 8) & 0x0F) | (WideGlyphColumn(0x6F, 7, 0) << 4)) & 0xFF);
}

TEST_F(DisplayFiles, Model10MenuPacksTwoItemsPerBlock) {
  state_->playerModel = 10;
  WriteMenuData(*state_);
  const std::string file = card_.ReadFile("MNUDAT10.DAT");
  ASSERT_EQ(file.size(), 1536u);
  EXPECT_EQ(file.substr(0, 384), PredictBlock("フォルダ    ", "インデックス"));
  EXPECT_EQ(file.substr(384, 384), PredictBlock("ランダム再生", "OPT→電源オフ"));
  EXPECT_EQ(file.substr(768, 384), PredictBlock("項目数変更", "電源オフ"));
  EXPECT_EQ(file.substr(1152, 384), PredictBlock(" ", " "));
  // Byte 128: rows 8..11 of フ's first column, rows 0..3 of イ's first column.
  EXPECT_EQ(static_cast<uint8_t>(file[128]),
            ((TestGlyphColumn(kTestFull12, 0x8374, 0, 8) & 0x0F) |
             (TestGlyphColumn(kTestFull12, 0x8343, 0, 0) << 4)) & 0xFF);
  EXPECT_FALSE(card_.Exists("MNUDAT12.DAT"));
}

TEST_F(DisplayFiles, Model12MenuHasShortBlocksAfterEachGroup) {
  state_->playerModel = 12;
  WriteMenuData(*state_);
  const std::string file = card_.ReadFile("MNUDAT12.DAT");
  ASSERT_EQ(file.size(), 2048u);
  EXPECT_EQ(file.substr(0, 384), PredictBlock("フォルダ    ", "インデックス"));
  EXPECT_EQ(file.substr(384, 384), PredictBlock("ランダム再生", std::string(13, ' ')));
  EXPECT_EQ(file.substr(768, 256), PredictBlock(" ", " ", true));
  EXPECT_EQ(file.substr(1024, 384), PredictBlock("GLCDリセット", "スピーカ ON/OFF"));
  EXPECT_EQ(file.substr(1408, 384), PredictBlock("ステレオ／モノラル", " "));
  EXPECT_EQ(file.substr(1792, 256), PredictBlock(" ", " ", true));
  EXPECT_FALSE(card_.Exists("MNUDAT10.DAT"));
}

TEST_F(DisplayFiles, FilesThatCannotBeCreatedAreReportedAndSkipped) {
  for (const char* name : {"MSGIMG08.DAT", "CHRIMG10.DAT", "MNUDAT10.DAT"}) card_.MakeDir(name);
  state_->playerModel = 10;
  testing::internal::CaptureStdout();
  WriteMessageImages(*state_);
  WriteCharacterImages(*state_);
  WriteMenuData(*state_);
  const std::string console = GetCapturedConsole();
  EXPECT_NE(console.find("ファイル作成エラー MSGIMG08.DAT\n"), std::string::npos);
  EXPECT_NE(console.find("ファイル作成エラー CHRIMG10.DAT\n"), std::string::npos);
  EXPECT_NE(console.find("ファイル作成エラー MNUDAT10.DAT\n"), std::string::npos);
}

}  // namespace
