#include "font/font_set.h"

#include "base/console.h"
#include "font/font_file.h"
#include "font/messages.h"
#include "platform/host.h"
#include "state/loaded_fonts.h"

namespace {

struct FontFile {
  const char* path;
  FontRecord FontSet::*slot;
};

// The files in load order; half6x8Font is built after K6X8X.FNT.
constexpr FontFile kFontFiles[] = {
    {"_FONT\\MNLZN16X.TLF", &FontSet::full16Font}, {"_FONT\\MNLHN16X.TLF", &FontSet::half16Font},
    {"_FONT\\K6X8X.FNT", &FontSet::full6x8Font},   {"_FONT\\DRUG12Z1.FEF", &FontSet::full12Font},
    {"_FONT\\DRUG12HN.FEF", &FontSet::half12Font}, {"_FONT\\TKFNT8H.FNT", &FontSet::half8Font},
    {"_FONT\\MISAKI.FNT", &FontSet::full8Font},
};

}  // namespace

bool LoadFonts(FontSet& fonts) {
  for (const FontFile& file : kFontFiles) {
    std::FILE* f = HostOpen(file.path, "rb");
    if (f == nullptr) {
      ConsolePrintf(kMsgFontOpenError);
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return false;
    }
    if (!GetFontMetrics(f, fonts.*file.slot, file.path)) {
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return false;
    }
    if (file.slot == &FontSet::full6x8Font &&
        !MakeHalfWidthFont(fonts.full6x8Font, fonts.half6x8Font)) {
      ConsolePrintf(kMsgNoFontMemory, file.path);
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return false;
    }
  }
  return true;
}
