#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/character_images.h"
#include "font/font_file.h"
#include "state/run_state.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

// (The images themselves are pinned by the expected cards.)
namespace {

class DisplayFiles : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTestFontSet(*state_), 1); }
  TempCard card_;
  std::unique_ptr<RunState> state_ = std::make_unique<RunState>();
};

// A full strip goes on at column 0 in the lower page's high bits; a third pass never starts.
TEST_F(DisplayFiles, AFullCharacterStripGoesOnInTheLowerPageAndStopsWhenFullAgain) {
  state_->playerModel = 10;
  state_->half12Font = state_->half16Font;
  const uint8_t* space = FindGlyph(state_->half16Font, ' ');
  for (auto [fullWidth, columns, secondPassFirst] :
       {std::tuple{12, 192, 0x66}, std::tuple{255, 320, 0x48}}) {
    state_->full12Font.width = fullWidth;
    WriteCharacterImages(*state_);
    const std::string file = card_.ReadFile("CHRIMG10.DAT");
    ASSERT_EQ(file.size(), 2u * columns) << fullWidth;
    const uint8_t* second = FindGlyph(state_->half16Font, static_cast<uint16_t>(secondPassFirst));
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(static_cast<uint8_t>(file[x]), space[x]) << x;
      EXPECT_EQ(static_cast<uint8_t>(file[columns + x]),
                static_cast<uint8_t>((space[8 + x] & 0x0F) | second[x] << 4))
          << x;
    }
  }
}

}  // namespace
