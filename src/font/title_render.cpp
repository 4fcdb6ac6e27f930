#include "font/title_render.h"

#include <cstring>

#include "state/run_state.h"
#include "font/oled_render.h"
#include "font/renderers.h"

namespace {

constexpr int kTwoLineColumns = 128;  // of each plane a two-line title takes

}  // namespace

TitleImage RenderTitle(RunState& state, TitleLayout titles, const char* text, uint8_t* strip) {
  TitleImage image{0, 0};
  const int length = static_cast<int>(std::strlen(text));
  if (titles == TitleLayout::kOneLine) {
    std::memset(state.imagePlaneA, 0, sizeof state.imagePlaneA);
    std::memset(state.imagePlaneB, 0, sizeof state.imagePlaneB);
    MakeOLEDdataOfString(state, text, length, image.layout, image.width);
    if (strip != nullptr) {
      std::memset(strip, 0, kStripBytes);
      MakeStripDataOfString(state, strip, text, length);
    }
  } else if (titles == TitleLayout::kTwoLines) {
    std::memset(state.imagePlaneA, 0, kTwoLineColumns);
    std::memset(state.imagePlaneB, 0, kTwoLineColumns);
    std::memset(state.imagePlaneC, 0, kTwoLineColumns);
    MakeTwoLineDataOfString(state, state.imagePlaneA, state.imagePlaneB, state.imagePlaneC,
                            kTwoLineColumns, text);
  }
  return image;
}
