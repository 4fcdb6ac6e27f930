#include "font/title_render.h"

#include <cstring>

#include "font/oled_render.h"
#include "font/renderers.h"
#include "state/image_buffers.h"
#include "state/loaded_fonts.h"

namespace {

constexpr int kTwoLineColumns = 128;  // of each plane a two-line title takes

}  // namespace

TitleImage RenderTitle(const FontSet& fonts, ImageBuffers& images, TitleLayout titles,
                       const char* text, uint8_t* strip) {
  TitleImage image{0, 0};
  const int length = static_cast<int>(std::strlen(text));
  if (titles == TitleLayout::kOneLine) {
    std::memset(images.imagePlaneA, 0, sizeof images.imagePlaneA);
    std::memset(images.imagePlaneB, 0, sizeof images.imagePlaneB);
    MakeOLEDdataOfString(fonts, images, text, length, image.layout, image.width);
    if (strip != nullptr) {
      std::memset(strip, 0, kStripBytes);
      MakeStripDataOfString(fonts, strip, text, length);
    }
  } else if (titles == TitleLayout::kTwoLines) {
    std::memset(images.imagePlaneA, 0, kTwoLineColumns);
    std::memset(images.imagePlaneB, 0, kTwoLineColumns);
    std::memset(images.imagePlaneC, 0, kTwoLineColumns);
    MakeTwoLineDataOfString(fonts, images.imagePlaneA, images.imagePlaneB, images.imagePlaneC,
                            kTwoLineColumns, text);
  }
  return image;
}
