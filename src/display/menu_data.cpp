#include "display/menu_data.h"

#include <cstdint>
#include <cstring>

#include "display/card_file.h"
#include "display/messages.h"
#include "font/renderers.h"
#include "model/model_profile.h"
#include "state/run_state.h"

namespace {

constexpr int kRenderColumns = 512;  // the renderer's capacity per line
constexpr int kPageBytes = 128;      // columns of a menu page

// Two menu items, A above B. A short block keeps only the first two pages.
struct MenuBlock {
  const char* itemA;
  const char* itemB;
  bool isShort;
};

constexpr MenuBlock kModel10Menu[] = {
    {kMenuFolder, kMenuIndex, false},
    {kMenuRandomPlay, kMenuOptPowerOff, false},
    {kMenuItemCount, kMenuPowerOff, false},
    {" ", " ", false},
};

constexpr MenuBlock kModel12Menu[] = {
    {kMenuFolder, kMenuIndex, false},
    {kMenuRandomPlay, "             ", false},
    {" ", " ", true},
    {kMenuDisplayReset, kMenuSpeaker, false},
    {kMenuStereoMono, " ", false},
    {" ", " ", true},
};

struct ItemImage {
  uint8_t page0[kRenderColumns];
  uint8_t page1[kRenderColumns];
  uint8_t page2[kRenderColumns];
};

void RenderItem(const RunState& state, ItemImage& image, const char* text) {
  std::memset(&image, 0, sizeof image);
  MakeTwoLineDataOfString(state, image.page0, image.page1, image.page2, kRenderColumns, text);
}

// Renders both items of a block and writes them as two 12-row lines in
// three pages (two for a short block).
void WriteMenuBlock(const RunState& state, CardFile& out, const MenuBlock& block) {
  ItemImage a;
  ItemImage b;
  RenderItem(state, a, block.itemA);
  RenderItem(state, b, block.itemB);
  for (int k = 0; k < kPageBytes; ++k) {
    const uint8_t b0 = b.page0[k];
    a.page1[k] = static_cast<uint8_t>((a.page1[k] & 0x0F) | (b0 << 4));
    b.page0[k] = static_cast<uint8_t>((b.page1[k] << 4) | (b0 >> 4));
  }
  WriteCardBytes(out, a.page0, kPageBytes);
  WriteCardBytes(out, a.page1, kPageBytes);
  if (!block.isShort) WriteCardBytes(out, b.page0, kPageBytes);
}

template <size_t N>
void WriteMenu(RunState& state, const char* fileName, const MenuBlock (&blocks)[N]) {
  CardFile out;
  if (!CreateCardFile(out, fileName)) {
    state.writeFailed = true;
    return;
  }
  for (const MenuBlock& block : blocks) WriteMenuBlock(state, out, block);
  if (!CloseCardFile(out)) state.writeFailed = true;
}

}  // namespace

void WriteMenuData(RunState& state) {
  const ModelProfile& profile = ModelProfileOf(state.playerModel);
  if (profile.menuKind == MenuKind::kFourBlocks) WriteMenu(state, profile.menuFile, kModel10Menu);
  if (profile.menuKind == MenuKind::kSixBlocks) WriteMenu(state, profile.menuFile, kModel12Menu);
}
