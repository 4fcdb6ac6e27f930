#include "fontx_writer.h"

#include <algorithm>

bool BitmapGlyph::Pixel(int x, int y) const {
  if (x < 0 || x >= 16 || y < 0 || y >= 16) return false;
  return (rows[y] >> (15 - x)) & 1;
}

void BitmapGlyph::SetPixel(int x, int y) {
  if (x < 0 || x >= 16 || y < 0 || y >= 16) return;
  rows[y] = static_cast<uint16_t>(rows[y] | (0x8000u >> x));
}

std::vector<CodeRange> MakeCodeBlocks(const std::map<uint16_t, BitmapGlyph>& glyphs,
                                      int maxBlocks) {
  std::vector<CodeRange> runs;
  for (const auto& [code, glyph] : glyphs) {
    if (!runs.empty() && runs.back().last + 1 == code) {
      runs.back().last = code;
    } else {
      runs.push_back({code, code});
    }
  }
  if (maxBlocks < 1) maxBlocks = 1;
  while (static_cast<int>(runs.size()) > maxBlocks) {
    size_t best = 0;
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
      if (runs[i + 1].first - runs[i].last < runs[best + 1].first - runs[best].last) best = i;
    }
    runs[best].last = runs[best + 1].last;
    runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(best) + 1);
  }
  return runs;
}

namespace {

void PushU16LE(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

// The glyph's rows as file bytes; the mask clears pixels right of the width.
void PushGlyph(std::vector<uint8_t>& out, const BitmapFont& font, const BitmapGlyph* glyph) {
  int bytesPerRow = (font.width + 7) / 8;
  uint16_t mask = static_cast<uint16_t>(0xFFFF0000u >> font.width);
  for (int y = 0; y < font.height; ++y) {
    uint16_t row = glyph != nullptr ? static_cast<uint16_t>(glyph->rows[y] & mask) : 0;
    out.push_back(static_cast<uint8_t>(row >> 8));
    if (bytesPerRow == 2) out.push_back(static_cast<uint8_t>(row & 0xFF));
  }
}

const BitmapGlyph* GlyphOf(const BitmapFont& font, uint16_t code) {
  auto it = font.glyphs.find(code);
  return it == font.glyphs.end() ? nullptr : &it->second;
}

}  // namespace

bool EncodeFontx(const BitmapFont& font, std::vector<uint8_t>& out, std::string& error) {
  int maxWidth = font.doubleByte ? 16 : 8;
  if (font.width < 1 || font.width > maxWidth) {
    error =
        "glyph width " + std::to_string(font.width) + " is outside 1.." + std::to_string(maxWidth);
    return false;
  }
  if (font.height < 1 || font.height > 16) {
    error = "glyph height " + std::to_string(font.height) + " is outside 1..16";
    return false;
  }
  if (!font.doubleByte && !font.glyphs.empty() && font.glyphs.rbegin()->first > 255) {
    error = "a single-byte font holds codes 0..255 only";
    return false;
  }
  if (font.doubleByte && font.glyphs.empty()) {
    error = "the double-byte font has no glyphs";
    return false;
  }

  const char magic[] = "FONTX2";
  out.assign(magic, magic + 6);
  for (size_t i = 0; i < 8; ++i) {
    out.push_back(static_cast<uint8_t>(i < font.name.size() ? font.name[i] : ' '));
  }
  out.push_back(static_cast<uint8_t>(font.width));
  out.push_back(static_cast<uint8_t>(font.height));
  out.push_back(font.doubleByte ? 1 : 0);

  if (!font.doubleByte) {
    for (int code = 0; code < 256; ++code) {
      PushGlyph(out, font, GlyphOf(font, static_cast<uint16_t>(code)));
    }
    return true;
  }
  std::vector<CodeRange> blocks = MakeCodeBlocks(font.glyphs);
  out.push_back(static_cast<uint8_t>(blocks.size()));
  for (const CodeRange& block : blocks) {
    PushU16LE(out, block.first);
    PushU16LE(out, block.last);
  }
  for (const CodeRange& block : blocks) {
    for (int code = block.first; code <= block.last; ++code) {
      PushGlyph(out, font, GlyphOf(font, static_cast<uint16_t>(code)));
    }
  }
  return true;
}
