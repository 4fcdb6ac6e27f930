// Glyphs of installed fonts, read through FreeType and copied pixel for
// pixel, never scaled. All of the program's FreeType code is in
// glyph_source.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "fontx_writer.h"

struct GlyphSource;
struct GlyphSourceDeleter {
  void operator()(GlyphSource* source) const;
};
using GlyphSourcePtr = std::unique_ptr<GlyphSource, GlyphSourceDeleter>;

// Opens a font file at a pixel height. A bitmap font (PCF, BDF) needs a
// strike of exactly that height; a scalable font is rendered at that size
// in monochrome, and only glyphs drawn on the pixel grid are taken (see
// CopyGlyph). Codes are looked up in the font's Unicode map when it has
// one, else in its own map (a JIS X 0208 PCF font takes JIS codes, row +
// 0x20 in the high byte; a JIS X 0201 one takes the byte). Null, with a
// reason in error, when the file cannot be used.
GlyphSourcePtr OpenGlyphSource(const std::string& path, int pixelSize, std::string& error);

enum class GlyphCopy {
  kCopied,
  kMissing,      // the font has no glyph for the code
  kOutsideCell,  // a lit pixel falls outside the target cell
  kNotExact,     // a scalable glyph is not drawn on the pixel grid, or its
                 // outline differs from the font's own bitmap of that size
  kFailed,       // FreeType could not load or render the glyph
};

// Copies the glyph of code into glyph (cleared first), a cellWidth x
// cellHeight cell: the source's drawing origin lies xOffset columns right
// of the cell's left edge, its baseline the font's ascent rows below the top.
GlyphCopy CopyGlyph(GlyphSource& source, uint32_t code, int cellWidth, int cellHeight, int xOffset,
                    BitmapGlyph& glyph);
