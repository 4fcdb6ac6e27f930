#include "testing/fontx_builder.h"

#include <filesystem>
#include <fstream>

#include "text/sjis.h"

int FontxBytesPerRow(int width) {
  int bytes = (width + 7) / 8;
  return bytes < 1 ? 1 : bytes;
}

namespace {

void PushGlyph(std::vector<uint8_t>& out, const FontxDesign& design, uint16_t code) {
  int bytesPerRow = FontxBytesPerRow(design.width);
  for (int row = 0; row < design.height; ++row) {
    uint32_t value = design.rows ? design.rows(code, row) : 0;
    for (int i = bytesPerRow - 1; i >= 0; --i) {
      out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
  }
}

}  // namespace

std::vector<uint8_t> BuildFontx(const FontxDesign& design) {
  std::vector<uint8_t> out;
  for (int i = 0; i < 6; ++i) out.push_back(i < static_cast<int>(design.magic.size()) ? design.magic[i] : 0);
  for (int i = 0; i < 8; ++i) out.push_back(i < static_cast<int>(design.name.size()) ? design.name[i] : ' ');
  out.push_back(static_cast<uint8_t>(design.width));
  out.push_back(static_cast<uint8_t>(design.height));
  out.push_back(static_cast<uint8_t>(design.codeType));
  if (design.codeType == 0) {
    for (int code = 0; code < 256; ++code) PushGlyph(out, design, static_cast<uint16_t>(code));
    return out;
  }
  out.push_back(static_cast<uint8_t>(design.blocks.size()));
  for (auto [first, last] : design.blocks) {
    out.push_back(static_cast<uint8_t>(first & 0xFF));
    out.push_back(static_cast<uint8_t>(first >> 8));
    out.push_back(static_cast<uint8_t>(last & 0xFF));
    out.push_back(static_cast<uint8_t>(last >> 8));
  }
  for (auto [first, last] : design.blocks) {
    for (int code = first; code <= last; ++code) PushGlyph(out, design, static_cast<uint16_t>(code));
  }
  return out;
}

// --- The test font set -------------------------------------------------------

namespace {

constexpr TestFontInfo kTestFonts[kTestFontCount] = {
    {"MNLZN16X.TLF", 16, 16, 1}, {"MNLHN16X.TLF", 8, 16, 0}, {"K6X8X.FNT", 6, 8, 1},
    {"DRUG12Z1.FEF", 12, 12, 1}, {"DRUG12HN.FEF", 6, 12, 0}, {"TKFNT8H.FNT", 8, 8, 0},
    {"MISAKI.FNT", 8, 8, 1},
};

void AddLeadBlocks(std::vector<std::pair<uint16_t, uint16_t>>& blocks, int firstLead,
                   int lastLead) {
  for (int lead = firstLead; lead <= lastLead; ++lead) {
    blocks.push_back({static_cast<uint16_t>(lead << 8 | 0x40), static_cast<uint16_t>(lead << 8 | 0x7E)});
    blocks.push_back({static_cast<uint16_t>(lead << 8 | 0x80), static_cast<uint16_t>(lead << 8 | 0xFC)});
  }
}

const std::vector<std::pair<uint16_t, uint16_t>>& BlocksOf(TestFont font) {
  return font == kTestFull6x8 ? Test6x8CodeBlocks() : TestFullCodeBlocks();
}

// A well-mixed 32-bit value of font, code and row (the finaliser of
// MurmurHash3), whose low bits give the row's pixels.
uint32_t RowBits(TestFont font, uint16_t code, int row) {
  uint32_t h = code * 0x9E3779B1u ^ (static_cast<uint32_t>(font) + 1) * 0x85EBCA77u ^
               (static_cast<uint32_t>(row) + 1) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

}  // namespace

const TestFontInfo& GetTestFontInfo(TestFont font) { return kTestFonts[font]; }

const std::vector<std::pair<uint16_t, uint16_t>>& TestFullCodeBlocks() {
  static const std::vector<std::pair<uint16_t, uint16_t>> blocks = [] {
    std::vector<std::pair<uint16_t, uint16_t>> b;
    AddLeadBlocks(b, 0x81, 0x84);
    AddLeadBlocks(b, 0x88, 0x9F);
    AddLeadBlocks(b, 0xE0, 0xEA);
    return b;
  }();
  return blocks;
}

const std::vector<std::pair<uint16_t, uint16_t>>& Test6x8CodeBlocks() {
  static const std::vector<std::pair<uint16_t, uint16_t>> blocks = [] {
    std::vector<std::pair<uint16_t, uint16_t>> b;
    AddLeadBlocks(b, 0x81, 0x83);
    return b;
  }();
  return blocks;
}

bool TestFontHasGlyph(TestFont font, uint16_t code) {
  if (kTestFonts[font].codeType == 0) return code < 256;
  for (auto [first, last] : BlocksOf(font)) {
    if (code >= first && code <= last) return true;
  }
  return false;
}

bool TestGlyphPixel(TestFont font, uint16_t code, int x, int y) {
  const TestFontInfo& info = kTestFonts[font];
  if (x < 0 || y < 0 || x >= info.width || y >= info.height) return false;
  if (!TestFontHasGlyph(font, code)) return false;
  return (RowBits(font, code, y) >> x) & 1;
}

uint8_t TestGlyphColumn(TestFont font, uint16_t code, int x, int firstRow) {
  uint8_t column = 0;
  for (int r = 0; r < 8; ++r) {
    if (TestGlyphPixel(font, code, x, firstRow + r)) column |= static_cast<uint8_t>(1 << r);
  }
  return column;
}

uint8_t TestHalf6x8Column(uint8_t b, int x) {
  bool convertible = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
  return TestGlyphColumn(kTestFull6x8, convertible ? MbbToMbc(b) : 0x0020, x, 0);
}

std::vector<uint8_t> BuildTestFont(TestFont font) {
  const TestFontInfo& info = kTestFonts[font];
  FontxDesign design;
  design.name = std::string(info.fileName).substr(0, 8);
  design.width = info.width;
  design.height = info.height;
  design.codeType = info.codeType;
  if (info.codeType != 0) design.blocks = BlocksOf(font);
  int rowBits = 8 * FontxBytesPerRow(info.width);
  // Every code the builder asks for lies in the font's blocks.
  design.rows = [font, rowBits, width = info.width](uint16_t code, int row) {
    uint32_t bits = RowBits(font, code, row);
    uint32_t value = 0;
    for (int x = 0; x < width; ++x) {
      if ((bits >> x) & 1) value |= 1u << (rowBits - 1 - x);
    }
    return value;
  };
  return BuildFontx(design);
}

void WriteTestFontSet(TestFont skip) {
  std::filesystem::create_directories("_FONT");
  for (int i = 0; i < kTestFontCount; ++i) {
    TestFont font = static_cast<TestFont>(i);
    if (font == skip) continue;
    // Built once per test program; every card gets the same files.
    static std::vector<uint8_t> built[kTestFontCount];
    if (built[i].empty()) built[i] = BuildTestFont(font);
    const std::vector<uint8_t>& bytes = built[i];
    std::ofstream out(std::filesystem::path("_FONT") / kTestFonts[i].fileName,
                      std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}

void KeepFontMemory(const FontRecord& font) {
  // Held for the life of the test program, like the program's own slots.
  static std::vector<const void*>* kept = new std::vector<const void*>;
  if (font.blocks == nullptr) return;
  kept->push_back(font.blocks);
  for (int i = 0; i < font.blockCount; ++i) kept->push_back(font.blocks[i].glyphs);
}

void KeepFontMemory(const RunState& state) {
  for (const FontRecord* font : {&state.full16Font, &state.half16Font, &state.full6x8Font,
                                 &state.half6x8Font, &state.full12Font, &state.half12Font,
                                 &state.half8Font, &state.full8Font}) {
    KeepFontMemory(*font);
  }
}
