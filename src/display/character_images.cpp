#include "display/character_images.h"

#include <cstdint>
#include <cstring>

#include "display/card_file.h"
#include "font/font_file.h"
#include "font/glyph_columns.h"
#include "model/model_profile.h"
#include "state/run_state.h"

namespace {

constexpr int kStripColumns = 570;
constexpr int kFirstCode = 0x20;  // space
constexpr int kLastCode = 0x7D;   // right brace; the tilde is left out

struct Strip {
  uint8_t upper[kStripColumns];
  uint8_t lower[kStripColumns];
  int column;
  int pass;  // 1, then 2 once the strip has been full
};

// Draws one glyph at the strip's column. The first pass puts the 12-row
// glyph at the top of the 16-row band; the second pass ORs the glyph's
// rows 0..3 into bits 4..7 of the lower page.
void PlaceGlyph(Strip& strip, const FontRecord& font, const uint8_t* slot, int columns) {
  for (int k = 0; k < columns; ++k) {
    const uint8_t upper = GlyphUpper(slot, k);
    const int c = strip.column + k;
    if (strip.pass == 1) {
      strip.upper[c] = upper;
      strip.lower[c] = GlyphLower(font, slot, k) & 0x0F;
    } else {
      strip.lower[c] |= static_cast<uint8_t>(upper << 4);
    }
  }
  strip.column += columns;
}

int NonNegative(int value) { return value < 0 ? 0 : value; }

}  // namespace

void WriteCharacterImages(RunState& state) {
  const char* fileName = ModelProfileOf(state.playerModel).characterImageFile;
  if (fileName == nullptr) return;
  CardFile out;
  if (!CreateCardFile(out, fileName)) {
    state.writeFailed = true;
    return;
  }

  Strip strip;
  std::memset(&strip, 0, sizeof strip);
  strip.pass = 1;
  const int glyphWidth = GlyphColumnCount(state.half12Font);  // at most one slot page
  // The fit test keeps room for a full-width glyph although only half-width
  // ones are drawn; it also counts the glyph itself, so that a half-width
  // font wider than the full-width one cannot run past the strip.
  const int fullWidth = NonNegative(state.full12Font.width);
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const uint8_t* slot = FindGlyph(state.half12Font, static_cast<uint16_t>(code));
    if (slot == nullptr) continue;
    if (strip.column + fullWidth > kStripColumns || strip.column + glyphWidth > kStripColumns) {
      if (strip.pass == 2) break;
      strip.pass = 2;  // start again at the left, in the lower page's high bits
      strip.column = 0;
    }
    PlaceGlyph(strip, state.half12Font, slot, glyphWidth);
  }

  WriteCardBytes(out, strip.upper, strip.column);
  WriteCardBytes(out, strip.lower, strip.column);
  if (!CloseCardFile(out)) state.writeFailed = true;
}
