#include "font/font_set.h"

#include "base/console.h"
#include "state/run_state.h"
#include "font/font_file.h"
#include "font/messages.h"
#include "platform/host.h"

namespace {

struct FontFile {
  const char* path;
  FontRecord RunState::*slot;
};

// The files in load order; half6x8Font is built after K6X8X.FNT.
constexpr FontFile kFontFiles[] = {
    {"_FONT\\MNLZN16X.TLF", &RunState::full16Font},
    {"_FONT\\MNLHN16X.TLF", &RunState::half16Font},
    {"_FONT\\K6X8X.FNT", &RunState::full6x8Font},
    {"_FONT\\DRUG12Z1.FEF", &RunState::full12Font},
    {"_FONT\\DRUG12HN.FEF", &RunState::half12Font},
    {"_FONT\\TKFNT8H.FNT", &RunState::half8Font},
    {"_FONT\\MISAKI.FNT", &RunState::full8Font},
};

}  // namespace

int LoadFonts(RunState& state) {
  for (const FontFile& file : kFontFiles) {
    std::FILE* f = HostOpen(file.path, "rb");
    if (f == nullptr) {
      ConsolePrintf(kMsgFontOpenError);
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return 0;
    }
    if (!GetFontMetrics(f, state.*file.slot, file.path)) {
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return 0;
    }
    if (file.slot == &RunState::full6x8Font &&
        !MakeHalfWidthFont(state.full6x8Font, state.half6x8Font)) {
      ConsolePrintf(kMsgNoFontMemory, file.path);
      ConsolePrintf(kMsgGetFontMetricsError, file.path);
      return 0;
    }
  }
  return 1;
}
