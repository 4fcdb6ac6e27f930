// Helpers shared by the font tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "font/font_file.h"
#include "platform/host.h"
#include "testing/console_text.h"
#include "testing/fontx_builder.h"
#include "testing/temp_card.h"

// Reads bytes as the font file "TEST.FNT" of the card; returns
// GetFontMetrics' result, with the console lines it printed in console.
inline int ReadFontBytes(const TempCard& card, const std::vector<uint8_t>& bytes, FontRecord& font,
                         std::string* console = nullptr) {
  card.WriteFile("TEST.FNT", bytes);
  std::FILE* file = HostOpen("TEST.FNT", "rb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return -1;
  testing::internal::CaptureStdout();
  int result = GetFontMetrics(file, font, "TEST.FNT");
  std::string printed = GetCapturedConsole();
  if (console != nullptr) *console = printed;
  KeepFontMemory(font);
  return result;
}

// A real FONTX2 file of the shared test data, by name.
inline std::vector<uint8_t> RealFontBytes(const std::string& name) {
  std::ifstream in(std::string(CARDPREP_SOURCE_DIR) + "/testing/data/fontx-il/" + name,
                   std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The 16 or 32 bytes of a glyph slot.
inline std::vector<uint8_t> Slot(const FontRecord& font, uint16_t code) {
  const uint8_t* glyph = FindGlyph(font, code);
  if (glyph == nullptr) return {};
  return std::vector<uint8_t>(glyph, glyph + font.slotBytes);
}
