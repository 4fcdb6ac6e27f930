#include "font/renderers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 16 distinct full-width characters (kanji and kana), two bytes each.
std::string FullWidth(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += static_cast<char>(0x88 + i % 20);
    text += static_cast<char>(0x9F + i);
  }
  return text;
}
uint16_t FullWidthCode(int i) { return static_cast<uint16_t>((0x88 + i % 20) << 8 | (0x9F + i)); }

class Renderers : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTestFontSet(*state), 1); }
  TempCard card;
  std::unique_ptr<RunState> state = std::make_unique<RunState>();
};

// Three pages of a two-line image, built glyph by glyph from the packing
// table, for comparing with the renderer's.
struct TwoLineImage {
  explicit TwoLineImage(int capacity) : pages{Bytes(capacity), Bytes(capacity), Bytes(capacity)} {}
  void Put(int line, int column, TestFont font, uint16_t code) {
    for (int x = 0; x < GetTestFontInfo(font).width; ++x) {
      unsigned u = TestGlyphColumn(font, code, x, 0);
      unsigned l = TestGlyphColumn(font, code, x, 8);
      size_t c = static_cast<size_t>(column + x);
      if (line == 1) {
        pages[0][c] = static_cast<uint8_t>(u);
        pages[1][c] = static_cast<uint8_t>(l & 0x0F);
      } else {
        pages[1][c] = static_cast<uint8_t>(pages[1][c] | u << 4);
        pages[2][c] = static_cast<uint8_t>(u >> 4 | l << 4);
      }
    }
  }
  Bytes pages[3];
};

struct TwoLineRun {
  int result;
  Bytes pages[3];
};

// Runs the renderer on buffers of 1024 bytes filled with 0xEE, to see
// what it clears and that it writes nothing past the capacity.
TwoLineRun RunTwoLine(const RunState& state, int capacity, const std::string& text) {
  Bytes buffers[3] = {Bytes(1024, 0xEE), Bytes(1024, 0xEE), Bytes(1024, 0xEE)};
  TwoLineRun run;
  testing::internal::CaptureStdout();
  run.result = MakeTwoLineDataOfString(state, buffers[0].data(), buffers[1].data(), buffers[2].data(),
                                       capacity, text.c_str());
  EXPECT_EQ(GetCapturedConsole(), "");
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(Bytes(buffers[p].begin() + capacity, buffers[p].end()), Bytes(1024 - capacity, 0xEE));
    run.pages[p] = Bytes(buffers[p].begin(), buffers[p].begin() + capacity);
  }
  return run;
}

TEST_F(Renderers, TwoLinePutsTenFullWidthCharactersOnALineAndTheRestOnTheNext) {
  TwoLineRun run = RunTwoLine(*state, 128, FullWidth(16));
  TwoLineImage expected(128);
  for (int i = 0; i < 10; ++i) expected.Put(1, 12 * i, kTestFull12, FullWidthCode(i));
  for (int i = 10; i < 16; ++i) expected.Put(2, 12 * (i - 10), kTestFull12, FullWidthCode(i));
  EXPECT_EQ(run.result, 72);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(run.pages[p], expected.pages[p]) << "page " << p;
}

TEST_F(Renderers, TwoLineDropsWhatDoesNotFitOnTheSecondLine) {
  TwoLineRun run = RunTwoLine(*state, 128, FullWidth(25));
  TwoLineImage expected(128);
  for (int i = 0; i < 10; ++i) expected.Put(1, 12 * i, kTestFull12, FullWidthCode(i));
  for (int i = 10; i < 20; ++i) expected.Put(2, 12 * (i - 10), kTestFull12, FullWidthCode(i));
  EXPECT_EQ(run.result, 120);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(run.pages[p], expected.pages[p]) << "page " << p;
}

TEST_F(Renderers, TwoLineKeepsRoomForAFullWidthCharacterAfterHalfWidthOnes) {
  std::string text = "ABCDEFGHIJKLMNOPQRSTU";  // 21 letters
  TwoLineRun run = RunTwoLine(*state, 128, text);
  TwoLineImage expected(128);
  for (int i = 0; i < 20; ++i) expected.Put(1, 6 * i, kTestHalf12, static_cast<uint16_t>(text[i]));
  expected.Put(2, 0, kTestHalf12, 'U');
  EXPECT_EQ(run.result, 6);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(run.pages[p], expected.pages[p]) << "page " << p;
}

TEST_F(Renderers, TwoLineSkipsMissingCharactersSilentlyAndMixesWidths) {
  // 0x8540 has no glyph; a lead byte at the end pairs with the terminator.
  TwoLineRun run = RunTwoLine(*state, 512, "A\x85\x40\x93\xFA" "B\x93");
  TwoLineImage expected(512);
  expected.Put(1, 0, kTestHalf12, 'A');
  expected.Put(1, 6, kTestFull12, 0x93FA);
  expected.Put(1, 18, kTestHalf12, 'B');
  EXPECT_EQ(run.result, 24);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(run.pages[p], expected.pages[p]) << "page " << p;
}

TEST_F(Renderers, TwoLineNeverWritesPastASmallCapacity) {
  // Narrower than one full-width glyph: the glyph goes to line 2, cut.
  TwoLineRun run = RunTwoLine(*state, 10, "\x93\xFA\x93\xFA");
  TwoLineImage expected(12);
  expected.Put(2, 0, kTestFull12, 0x93FA);
  EXPECT_EQ(run.result, 10);
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(run.pages[p], Bytes(expected.pages[p].begin(), expected.pages[p].begin() + 10));
  }
  EXPECT_EQ(RunTwoLine(*state, 0, "ABC").result, 0);
}

TEST_F(Renderers, StripFillsExactly128ColumnsAndDropsTheRest) {
  std::string text = FullWidth(10) + "ABCDEFGH" + "I";
  uint8_t strip[kStripBytes];
  std::memset(strip, 0xEE, sizeof strip);
  MakeStripDataOfString(*state, strip, text.c_str(), static_cast<int>(text.size()));
  Bytes expected;
  for (int i = 0; i < 10; ++i) {
    for (int x = 0; x < 8; ++x) expected.push_back(TestGlyphColumn(kTestFull8, FullWidthCode(i), x, 0));
  }
  for (char c : std::string("ABCDEFGH")) {
    for (int x = 0; x < 6; ++x) expected.push_back(TestHalf6x8Column(static_cast<uint8_t>(c), x));
  }
  EXPECT_EQ(Bytes(strip, strip + kStripBytes), expected);
}

TEST_F(Renderers, StripCutsAGlyphAtColumn128AndPadsShortText) {
  std::string text = FullWidth(15) + "AB";  // 120 + 6 + 2 of B's 6 columns
  uint8_t strip[kStripBytes + 4];
  std::memset(strip, 0xEE, sizeof strip);
  MakeStripDataOfString(*state, strip, text.c_str(), static_cast<int>(text.size()));
  EXPECT_EQ(strip[126], TestHalf6x8Column('B', 0));
  EXPECT_EQ(strip[127], TestHalf6x8Column('B', 1));
  EXPECT_EQ(strip[128], 0xEE);

  std::memset(strip, 0xEE, sizeof strip);
  MakeStripDataOfString(*state, strip, "", 0);
  EXPECT_EQ(Bytes(strip, strip + kStripBytes), Bytes(kStripBytes, 0));

  // Only length bytes are read; a missing glyph takes no columns.
  std::memset(strip, 0xEE, sizeof strip);
  MakeStripDataOfString(*state, strip, "\x85\x40" "AB", 3);
  Bytes expected(kStripBytes, 0);
  for (int x = 0; x < 6; ++x) expected[static_cast<size_t>(x)] = TestHalf6x8Column('A', x);
  EXPECT_EQ(Bytes(strip, strip + kStripBytes), expected);
}

TEST_F(Renderers, HalfWidthImageIsSixColumnsPerByte) {
  uint8_t image[512] = {};
  int32_t width = -1;
  testing::internal::CaptureStdout();
  MakeHalfWidthDataOfString(*state, image, " RANDOM    ", width);
  EXPECT_EQ(GetCapturedConsole(), "");
  EXPECT_EQ(width, 66);
  std::string text = " RANDOM    ";
  for (int i = 0; i < 11; ++i) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(image[6 * i + x], TestHalf6x8Column(static_cast<uint8_t>(text[i]), x)) << i;
    }
  }
  EXPECT_EQ(Bytes(image + 66, image + 512), Bytes(512 - 66, 0));

  // Double-byte text is taken byte by byte.
  MakeHalfWidthDataOfString(*state, image, "\x93\xFA", width);
  EXPECT_EQ(width, 12);
}

TEST_F(Renderers, HalfWidthImageStopsAt512Columns) {
  uint8_t image[600];
  std::memset(image, 0xEE, sizeof image);
  int32_t width = -1;
  std::string text(100, 'Z');
  MakeHalfWidthDataOfString(*state, image, text.c_str(), width);
  EXPECT_EQ(width, 512);
  EXPECT_EQ(image[510], TestHalf6x8Column('Z', 0));  // the 86th glyph, cut
  EXPECT_EQ(image[511], TestHalf6x8Column('Z', 1));
  EXPECT_EQ(Bytes(image + 512, image + 600), Bytes(88, 0xEE));
}

TEST(RenderersWithoutFonts, DrawNothingAndOnlyTheHalfWidthImageSaysSo) {
  auto state = std::make_unique<RunState>();
  uint8_t image[512] = {};
  int32_t width = -1;
  testing::internal::CaptureStdout();
  MakeHalfWidthDataOfString(*state, image, "OK", width);
  uint8_t pages[3][128];
  EXPECT_EQ(MakeTwoLineDataOfString(*state, pages[0], pages[1], pages[2], 128, "AB\x93\xFA"), 0);
  uint8_t strip[kStripBytes];
  MakeStripDataOfString(*state, strip, "AB", 2);
  EXPECT_EQ(GetCapturedConsole(),
            " 半角フォントデータ見つからない (0:O)\n 半角フォントデータ見つからない (1:K)\n");
  EXPECT_EQ(width, 0);
  EXPECT_EQ(Bytes(strip, strip + kStripBytes), Bytes(kStripBytes, 0));
}

}  // namespace
