#include "testing/fontx_builder.h"

#include <filesystem>
#include <fstream>

namespace {

using Blocks = std::vector<std::pair<uint16_t, uint16_t>>;

constexpr TestFontInfo kTestFonts[kTestFontCount] = {
    {"MNLZN16X.TLF", 16, 16, 1}, {"MNLHN16X.TLF", 8, 16, 0}, {"K6X8X.FNT", 6, 8, 1},
    {"DRUG12Z1.FEF", 12, 12, 1}, {"DRUG12HN.FEF", 6, 12, 0}, {"TKFNT8H.FNT", 8, 8, 0},
    {"MISAKI.FNT", 8, 8, 1},
};

int BytesPerRow(int width) { return width > 8 ? (width + 7) / 8 : 1; }

// lead40..lead7E and lead80..leadFC for every lead byte of the ranges.
Blocks MakeBlocks(std::initializer_list<std::pair<int, int>> leadRanges) {
  Blocks blocks;
  for (auto [first, last] : leadRanges) {
    for (int lead = first; lead <= last; ++lead) {
      blocks.push_back({lead << 8 | 0x40, lead << 8 | 0x7E});
      blocks.push_back({lead << 8 | 0x80, lead << 8 | 0xFC});
    }
  }
  return blocks;
}

const Blocks& BlocksOf(TestFont font) {
  static const Blocks full = MakeBlocks({{0x81, 0x84}, {0x88, 0x9F}, {0xE0, 0xEA}});
  static const Blocks small = MakeBlocks({{0x81, 0x83}});
  return font == kTestFull6x8 ? small : full;
}

// A well-mixed value of font, code and row (MurmurHash3's finaliser); bit x is column x.
uint32_t RowBits(TestFont font, uint16_t code, int row) {
  uint32_t h = code * 0x9E3779B1u ^ (font + 1u) * 0x85EBCA77u ^ (row + 1u) * 0xC2B2AE3Du;
  h = (h ^ (h >> 16)) * 0x85EBCA6Bu;
  h = (h ^ (h >> 13)) * 0xC2B2AE35u;
  return h ^ (h >> 16);
}

}  // namespace

std::vector<uint8_t> BuildFontx(const FontxDesign& design) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < 6; ++i) out.push_back(i < design.magic.size() ? design.magic[i] : 0);
  for (size_t i = 0; i < 8; ++i) out.push_back(i < design.name.size() ? design.name[i] : ' ');
  out.insert(out.end(), {static_cast<uint8_t>(design.width), static_cast<uint8_t>(design.height),
                         static_cast<uint8_t>(design.codeType)});
  Blocks blocks = design.codeType == 0 ? Blocks{{0, 255}} : design.blocks;
  if (design.codeType != 0) {
    out.push_back(static_cast<uint8_t>(blocks.size()));
    for (auto [first, last] : blocks) {
      out.insert(out.end(), {static_cast<uint8_t>(first), static_cast<uint8_t>(first >> 8),
                             static_cast<uint8_t>(last), static_cast<uint8_t>(last >> 8)});
    }
  }
  for (auto [first, last] : blocks) {
    for (int code = first; code <= last; ++code) {
      for (int row = 0; row < design.height; ++row) {
        uint32_t value = design.rows ? design.rows(code, row) : 0;
        for (int i = BytesPerRow(design.width) - 1; i >= 0; --i) out.push_back(value >> (8 * i));
      }
    }
  }
  return out;
}

const TestFontInfo& GetTestFontInfo(TestFont font) { return kTestFonts[font]; }

bool TestGlyphPixel(TestFont font, uint16_t code, int x, int y) {
  const TestFontInfo& info = kTestFonts[font];
  if (x < 0 || y < 0 || x >= info.width || y >= info.height) return false;
  bool hasGlyph = info.codeType == 0 && code < 256;
  for (auto [first, last] : info.codeType ? BlocksOf(font) : Blocks{})
    hasGlyph = hasGlyph || (code >= first && code <= last);
  return hasGlyph && (RowBits(font, code, y) >> x & 1);
}

std::vector<uint8_t> BuildTestFont(TestFont font) {
  const TestFontInfo& info = kTestFonts[font];
  FontxDesign design{std::string(info.fileName).substr(0, 8), info.width, info.height,
                     info.codeType, info.codeType ? BlocksOf(font) : Blocks{}};
  const int rowBits = 8 * BytesPerRow(info.width);
  design.rows = [font, rowBits, width = info.width](uint16_t code, int row) {
    uint32_t value = 0;
    for (int x = 0; x < width; ++x)
      value |= (RowBits(font, code, row) >> x & 1) << (rowBits - 1 - x);
    return value;
  };
  return BuildFontx(design);
}

void WriteTestFontSet(TestFont skip) {
  static std::vector<uint8_t> built[kTestFontCount];  // once per test program
  std::filesystem::create_directories("_FONT");
  for (int i = 0; i < kTestFontCount; ++i) {
    if (i == skip) continue;
    if (built[i].empty()) built[i] = BuildTestFont(static_cast<TestFont>(i));
    std::ofstream(std::filesystem::path("_FONT") / kTestFonts[i].fileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(built[i].data()), built[i].size());
  }
}

void KeepFontMemory(const FontRecord& font) {
  static auto* kept = new std::vector<const void*>;  // never freed, so always reachable
  if (font.blocks == nullptr) return;
  kept->push_back(font.blocks);
  for (int i = 0; i < font.blockCount; ++i) kept->push_back(font.blocks[i].glyphs);
}

void KeepFontMemory(const RunState& state) {
  for (const FontRecord* font :
       {&state.full16Font, &state.half16Font, &state.full6x8Font, &state.half6x8Font,
        &state.full12Font, &state.half12Font, &state.half8Font, &state.full8Font}) {
    KeepFontMemory(*font);
  }
}
