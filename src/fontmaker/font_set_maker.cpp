#include "font_set_maker.h"

#include <cstdio>
#include <initializer_list>

#include "glyph_source.h"
#include "platform/host.h"
#include "text/sjis.h"

#ifndef CARDPREP_SHINONOME_DIR
#define CARDPREP_SHINONOME_DIR "/usr/share/fonts/X11/misc"
#endif
#ifndef CARDPREP_MISAKI_GOTHIC
#define CARDPREP_MISAKI_GOTHIC "/usr/share/fonts/truetype/misaki/misaki_gothic.ttf"
#endif

FontSources DefaultFontSources() { return {CARDPREP_SHINONOME_DIR, CARDPREP_MISAKI_GOTHIC}; }

uint16_t JisToSjis(uint16_t jis) {
  int j1 = jis >> 8;
  int j2 = jis & 0xFF;
  int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  int s2 = (j1 & 1) != 0 ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
  return static_cast<uint16_t>(s1 << 8 | s2);
}

uint32_t SjisToUnicode(uint16_t sjis) {
  const char bytes[3] = {static_cast<char>(sjis >> 8), static_cast<char>(sjis & 0xFF), 0};
  char16_t wide[4] = {};
  if (HostCp932ToWide(bytes, wide, 4) != 1 || wide[0] == u'?') return 0;
  return wide[0];
}

namespace {

// Code page 932 gives a few JIS X 0208 characters other Unicode
// characters than the JIS standard mapping does; a font may carry either.
uint32_t JisStandardUnicode(uint32_t cp932) {
  switch (cp932) {
    case 0xFF3C:
      return 0x005C;  // reverse solidus
    case 0xFF5E:
      return 0x301C;  // wave dash
    case 0x2225:
      return 0x2016;  // double vertical line
    case 0xFF0D:
      return 0x2212;  // minus sign
    case 0xFFE0:
      return 0x00A2;  // cent sign
    case 0xFFE1:
      return 0x00A3;  // pound sign
    case 0xFFE2:
      return 0x00AC;  // not sign
    case 0x2015:
      return 0x2014;  // horizontal bar / em dash
    default:
      return 0;
  }
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// One source font opened for one target cell.
struct Source {
  std::string path;
  GlyphSourcePtr glyphs;
};

bool Open(Source& source, const std::string& path, int pixelSize, std::string& error) {
  source.path = path;
  source.glyphs = OpenGlyphSource(path, pixelSize, error);
  return source.glyphs != nullptr;
}

const char* CopyProblem(GlyphCopy result) {
  switch (result) {
    case GlyphCopy::kOutsideCell:
      return "has pixels outside the cell";
    case GlyphCopy::kNotExact:
      return "is not drawn on the pixel grid";
    default:
      return "cannot be loaded";
  }
}

// Copies the glyph of the first of codes the source has. Returns false
// (with error set) on a glyph that cannot be copied exactly; found tells
// whether the source had one.
bool CopyFirst(Source& source, std::initializer_list<uint32_t> codes, const BitmapFont& font,
               int xOffset, BitmapGlyph& glyph, bool& found, std::string& error) {
  found = false;
  for (uint32_t code : codes) {
    if (code == 0) continue;
    GlyphCopy result = CopyGlyph(*source.glyphs, code, font.width, font.height, xOffset, glyph);
    if (result == GlyphCopy::kMissing) continue;
    if (result != GlyphCopy::kCopied) {
      error = FileNameOf(source.path) + ": the glyph of code " + Hex(code, 4) + " " +
              CopyProblem(result);
      return false;
    }
    found = true;
    return true;
  }
  return true;
}

BitmapFont NewFont(const char* name, int width, int height, bool doubleByte) {
  BitmapFont font;
  font.name = name;
  font.width = width;
  font.height = height;
  font.doubleByte = doubleByte;
  return font;
}

void NoteMissing(std::vector<std::string>& notes, const char* fileName, uint8_t byte,
                 const Source& source) {
  notes.push_back(std::string(fileName) + ": " + FileNameOf(source.path) + " has no glyph for 0x" +
                  Hex(byte, 2) + "; left blank");
}

// Every JIS X 0208 character of a JIS-encoded bitmap font, at its
// Shift-JIS code.
bool MakeJisFont(MadeFont& made, const std::string& path, int size, std::string& error) {
  Source source;
  if (!Open(source, path, size, error)) return false;
  made.madeFrom = FileNameOf(path);
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      uint16_t jis = static_cast<uint16_t>(row << 8 | cell);
      BitmapGlyph glyph;
      bool found = false;
      if (!CopyFirst(source, {jis}, made.font, 0, glyph, found, error)) return false;
      if (found) made.font.glyphs[JisToSjis(jis)] = glyph;
    }
  }
  return true;
}

// A single-byte font: ASCII from an ISO 8859-1 font, so 0x5C and 0x7E are
// the backslash and the tilde; half-width katakana from a JIS X 0201 font.
bool MakeSingleByteFont(MadeFont& made, const std::string& asciiPath, const std::string& kanaPath,
                        int size, std::vector<std::string>& notes, std::string& error) {
  Source ascii;
  Source kana;
  if (!Open(ascii, asciiPath, size, error) || !Open(kana, kanaPath, size, error)) return false;
  made.madeFrom = FileNameOf(asciiPath) + " (ASCII), " + FileNameOf(kanaPath) + " (katakana)";
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b > 0x7E && b < 0xA1) continue;
    Source& source = b <= 0x7E ? ascii : kana;
    BitmapGlyph glyph;
    bool found = false;
    if (!CopyFirst(source, {static_cast<uint32_t>(b)}, made.font, 0, glyph, found, error)) {
      return false;
    }
    if (found) {
      made.font.glyphs[static_cast<uint16_t>(b)] = glyph;
    } else {
      NoteMissing(notes, made.fileName.c_str(), static_cast<uint8_t>(b), source);
    }
  }
  return true;
}

// The Unicode character of a half-width byte: ASCII as it stands, the
// katakana 0xA1..0xDF at U+FF61..U+FF9F.
uint32_t HalfWidthUnicode(int b) {
  return b <= 0x7E ? static_cast<uint32_t>(b) : 0xFF61u + (b - 0xA1);
}

// K6X8X.FNT: at the full-width code of each half-width byte (MbbToMbc),
// the Misaki 4x8 half-width glyph of that byte, one blank column left of
// it and one more right (4 columns padded to 6).
bool MakeFull6x8Font(MadeFont& made, const std::string& misaki, std::vector<std::string>& notes,
                     std::string& error) {
  Source source;
  if (!Open(source, misaki, 8, error)) return false;
  made.madeFrom = FileNameOf(misaki) + " (4x8 half-width glyphs)";
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b > 0x7E && b < 0xA1) continue;
    BitmapGlyph glyph;
    bool found = false;
    if (!CopyFirst(source, {HalfWidthUnicode(b)}, made.font, 1, glyph, found, error)) return false;
    if (!found) NoteMissing(notes, made.fileName.c_str(), static_cast<uint8_t>(b), source);
    made.font.glyphs[MbbToMbc(static_cast<uint8_t>(b))] = glyph;  // blank when missing
  }
  return true;
}

// TKFNT8H.FNT: the Misaki full-width glyphs as an 8x8 single-byte font.
// ASCII takes the fullwidth forms U+FF01..U+FF5E (so 0x5C is the
// backslash and 0x7E the tilde, as in the other single-byte fonts),
// katakana the full-width counterparts that MbbToMbc gives.
bool MakeHalf8Font(MadeFont& made, const std::string& misaki, std::vector<std::string>& notes,
                   std::string& error) {
  Source source;
  if (!Open(source, misaki, 8, error)) return false;
  made.madeFrom = FileNameOf(misaki) + " (8x8 full-width glyphs)";
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b > 0x7E && b < 0xA1) continue;
    uint32_t counterpart = SjisToUnicode(MbbToMbc(static_cast<uint8_t>(b)));
    uint32_t fullwidth = b == 0x20 ? 0x3000 : b <= 0x7E ? 0xFF01u + (b - 0x21) : counterpart;
    BitmapGlyph glyph;
    bool found = false;
    if (!CopyFirst(source, {fullwidth, counterpart}, made.font, 0, glyph, found, error)) {
      return false;
    }
    if (found) {
      made.font.glyphs[static_cast<uint16_t>(b)] = glyph;
    } else {
      NoteMissing(notes, made.fileName.c_str(), static_cast<uint8_t>(b), source);
    }
  }
  return true;
}

// MISAKI.FNT: every JIS X 0208 character (rows 1..8 and 16..84) that the
// Unicode-mapped Misaki font has.
bool MakeFull8Font(MadeFont& made, const std::string& misaki, std::string& error) {
  Source source;
  if (!Open(source, misaki, 8, error)) return false;
  made.madeFrom = FileNameOf(misaki);
  for (int row = 1; row <= 84; ++row) {
    if (row >= 9 && row <= 15) continue;
    for (int cell = 1; cell <= 94; ++cell) {
      uint16_t sjis = JisToSjis(static_cast<uint16_t>((row + 0x20) << 8 | (cell + 0x20)));
      uint32_t unicode = SjisToUnicode(sjis);
      if (unicode == 0) continue;
      BitmapGlyph glyph;
      bool found = false;
      if (!CopyFirst(source, {unicode, JisStandardUnicode(unicode)}, made.font, 0, glyph, found,
                     error)) {
        return false;
      }
      if (found) made.font.glyphs[sjis] = glyph;
    }
  }
  return true;
}

}  // namespace

bool MakeFontSet(const FontSources& sources, std::vector<MadeFont>& fonts,
                 std::vector<std::string>& notes, std::string& error) {
  const std::string dir = sources.shinonomeDir + "/";
  const std::string& misaki = sources.misakiGothic;
  fonts.clear();
  fonts.push_back({"MNLZN16X.TLF", "", NewFont("SHNMK16", 16, 16, true)});
  fonts.push_back({"MNLHN16X.TLF", "", NewFont("SHNM8X16", 8, 16, false)});
  fonts.push_back({"K6X8X.FNT", "", NewFont("MISAKI4", 6, 8, true)});
  fonts.push_back({"DRUG12Z1.FEF", "", NewFont("SHNMK12", 12, 12, true)});
  fonts.push_back({"DRUG12HN.FEF", "", NewFont("SHNM6X12", 6, 12, false)});
  fonts.push_back({"TKFNT8H.FNT", "", NewFont("MISAKI8", 8, 8, false)});
  fonts.push_back({"MISAKI.FNT", "", NewFont("MISAKI", 8, 8, true)});
  bool ok = MakeJisFont(fonts[0], dir + "shnmk16.pcf.gz", 16, error) &&
            MakeSingleByteFont(fonts[1], dir + "shnm8x16a.pcf.gz", dir + "shnm8x16r.pcf.gz", 16,
                               notes, error) &&
            MakeFull6x8Font(fonts[2], misaki, notes, error) &&
            MakeJisFont(fonts[3], dir + "shnmk12.pcf.gz", 12, error) &&
            MakeSingleByteFont(fonts[4], dir + "shnm6x12a.pcf.gz", dir + "shnm6x12r.pcf.gz", 12,
                               notes, error) &&
            MakeHalf8Font(fonts[5], misaki, notes, error) && MakeFull8Font(fonts[6], misaki, error);
  if (!ok) fonts.clear();
  return ok;
}
