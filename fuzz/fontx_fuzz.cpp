// The FONTX2 reader on fuzz bytes; a font it takes is drawn with by every renderer and writer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "display/character_images.h"
#include "display/menu_data.h"
#include "font/font_file.h"
#include "font/oled_render.h"
#include "font/renderers.h"
#include "fuzz/fuzz_support.h"
#include "platform/host.h"
#include "state/run_state.h"

namespace {

constexpr char kFontPath[] = "\\FUZZFONT.FNT";

void Render(RunState& state, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  std::memset(state.imagePlaneA, 0, sizeof state.imagePlaneA);
  std::memset(state.imagePlaneB, 0, sizeof state.imagePlaneB);
  int32_t layout = -1;
  int32_t width = -1;
  MakeOLEDdataOfString(state, state, text, length, layout, width);
  FUZZ_CHECK(layout >= 0 && layout <= 3);
  FUZZ_CHECK(width >= 0 && width <= kImagePlaneBytes);

  // Exactly sized heap buffers, so that one byte too far is a finding.
  auto strip = std::make_unique<uint8_t[]>(kStripBytes);
  MakeStripDataOfString(state, strip.get(), text, length);

  for (int capacity : {128, 512}) {
    auto p0 = std::make_unique<uint8_t[]>(static_cast<size_t>(capacity));
    auto p1 = std::make_unique<uint8_t[]>(static_cast<size_t>(capacity));
    auto p2 = std::make_unique<uint8_t[]>(static_cast<size_t>(capacity));
    int last = MakeTwoLineDataOfString(state, p0.get(), p1.get(), p2.get(), capacity, text);
    FUZZ_CHECK(last >= 0 && last <= capacity);
  }

  auto half = std::make_unique<uint8_t[]>(512);
  int32_t halfWidth = -1;
  MakeHalfWidthDataOfString(state, half.get(), text, halfWidth);
  FUZZ_CHECK(halfWidth >= 0 && halfWidth <= 512);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("fontx");
  static std::unique_ptr<RunState> state = std::make_unique<RunState>();

  WriteCardFile(kFontPath, data, size);
  std::FILE* file = HostOpen(kFontPath, "rb");
  FUZZ_CHECK(file != nullptr);
  FontRecord font{};
  if (!GetFontMetrics(file, font, kFontPath)) {
    FUZZ_CHECK(font.blocks == nullptr);  // a refused file leaves the record alone
    return 0;
  }
  FUZZ_CHECK(font.blockCount >= 0 && font.blockCount <= 255);
  FontRecord half{};
  FUZZ_CHECK(MakeHalfWidthFont(font, half) == 1);

  std::memset(state.get(), 0, sizeof *state);
  for (FontRecord* slot :
       {&state->full16Font, &state->half16Font, &state->full6x8Font, &state->full12Font,
        &state->half12Font, &state->half8Font, &state->full8Font}) {
    *slot = font;
  }
  state->half6x8Font = half;
  // Short and long, single- and double-byte, a lone lead byte at the end, the file's own bytes.
  std::string own(reinterpret_cast<const char*>(data), size < 40 ? size : 40);
  const std::string texts[] = {
      "",
      "ABC",
      "ABCDEFGHIJKLMN",
      "\x93\xfa\x96\x7b\x82\xcc\x89\xcc ABC",  // 日本の歌 ABC
      "twenty-five ascii bytes!!",
      std::string(200, 'W'),
      std::string(30, '\x82') + "\xa0",  // double-byte characters past 1024 columns
      "\xb1\xb2\xb3 half-width kana \x82",
      own.c_str(),
  };
  for (const std::string& text : texts) Render(*state, text.c_str());
  WriteCharacterImages(*state);
  state->playerModel = 10 + 2 * (size & 1);
  WriteMenuData(*state);

  std::free(half.blocks);
  std::free(font.blocks);
  return 0;
}
