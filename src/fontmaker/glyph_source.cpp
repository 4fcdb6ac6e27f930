#include "glyph_source.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

struct GlyphSource {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int pixelSize = 0;
  int ascent = 0;
  bool scalable = false;
  bool hasStrike = false;  // a scalable font with its own bitmaps at pixelSize
};

void GlyphSourceDeleter::operator()(GlyphSource* source) const {
  if (source == nullptr) return;
  if (source->face != nullptr) FT_Done_Face(source->face);
  if (source->library != nullptr) FT_Done_FreeType(source->library);
  delete source;
}

namespace {

int StrikeIndex(FT_Face face, int pixelSize) {
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    const FT_Bitmap_Size& size = face->available_sizes[i];
    if (size.height == pixelSize || size.y_ppem == pixelSize * 64) return i;
  }
  return -1;
}

// Sets the glyph's pixels from a rendered bitmap placed with its top left
// at (x0, y0) of the cell. False when a lit pixel falls outside the cell.
bool PlaceBitmap(const FT_Bitmap& bitmap, int x0, int y0, int cellWidth, int cellHeight,
                 BitmapGlyph& glyph) {
  bool inside = true;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned col = 0; col < bitmap.width; ++col) {
      bool lit = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[col / 8] >> (7 - col % 8)) & 1
                                                         : line[col] >= 128;
      if (!lit) continue;
      int x = x0 + static_cast<int>(col);
      int y = y0 + static_cast<int>(row);
      if (x < 0 || x >= cellWidth || y < 0 || y >= cellHeight) {
        inside = false;
      } else {
        glyph.SetPixel(x, y);
      }
    }
  }
  return inside;
}

// True when every point of the outline is an on-curve point on a whole
// pixel and every edge is horizontal or vertical: the outline is a union
// of pixel squares, and monochrome rendering gives exactly those pixels.
bool OutlineOnPixelGrid(const FT_Outline& outline) {
  int start = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    int end = outline.contours[c];
    for (int i = start; i <= end; ++i) {
      const FT_Vector& p = outline.points[i];
      const FT_Vector& q = outline.points[i == end ? start : i + 1];
      if ((outline.tags[i] & FT_CURVE_TAG_ON) == 0) return false;
      if (p.x % 64 != 0 || p.y % 64 != 0) return false;
      if (p.x != q.x && p.y != q.y) return false;
    }
    start = end + 1;
  }
  return true;
}

bool IsUsableBitmap(const FT_Bitmap& bitmap) {
  return bitmap.pixel_mode == FT_PIXEL_MODE_MONO || bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
}

// Loads the glyph as the font's bitmap (a bitmap font, or the strike of a
// scalable one) and places it.
GlyphCopy CopyBitmapGlyph(GlyphSource& source, FT_UInt index, int cellWidth, int cellHeight,
                          int xOffset, BitmapGlyph& glyph) {
  if (FT_Load_Glyph(source.face, index, FT_LOAD_DEFAULT | FT_LOAD_MONOCHROME) != 0) {
    return GlyphCopy::kFailed;
  }
  FT_GlyphSlot slot = source.face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) {
    return GlyphCopy::kFailed;
  }
  if (!IsUsableBitmap(slot->bitmap)) return GlyphCopy::kFailed;
  bool inside = PlaceBitmap(slot->bitmap, xOffset + slot->bitmap_left,
                            source.ascent - slot->bitmap_top, cellWidth, cellHeight, glyph);
  return inside ? GlyphCopy::kCopied : GlyphCopy::kOutsideCell;
}

// Renders the outline in monochrome at the pixel size, after checking that
// it lies on the pixel grid; where the font has its own bitmaps at that
// size, the two must agree.
GlyphCopy CopyOutlineGlyph(GlyphSource& source, FT_UInt index, int cellWidth, int cellHeight,
                           int xOffset, BitmapGlyph& glyph) {
  FT_Int32 flags =
      FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO;
  if (FT_Load_Glyph(source.face, index, flags) != 0) return GlyphCopy::kFailed;
  FT_GlyphSlot slot = source.face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GlyphCopy::kFailed;
  if (!OutlineOnPixelGrid(slot->outline)) return GlyphCopy::kNotExact;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0 || !IsUsableBitmap(slot->bitmap)) {
    return GlyphCopy::kFailed;
  }
  bool inside = PlaceBitmap(slot->bitmap, xOffset + slot->bitmap_left,
                            source.ascent - slot->bitmap_top, cellWidth, cellHeight, glyph);
  if (!inside) return GlyphCopy::kOutsideCell;
  if (!source.hasStrike) return GlyphCopy::kCopied;

  BitmapGlyph own;
  GlyphCopy copied = CopyBitmapGlyph(source, index, cellWidth, cellHeight, xOffset, own);
  if (copied != GlyphCopy::kCopied) return copied;
  return own == glyph ? GlyphCopy::kCopied : GlyphCopy::kNotExact;
}

}  // namespace

GlyphSourcePtr OpenGlyphSource(const std::string& path, int pixelSize, std::string& error) {
  GlyphSourcePtr source(new GlyphSource);
  source->pixelSize = pixelSize;
  if (FT_Init_FreeType(&source->library) != 0) {
    error = "FreeType could not start";
    return nullptr;
  }
  if (FT_New_Face(source->library, path.c_str(), 0, &source->face) != 0) {
    error = "cannot read " + path;
    return nullptr;
  }
  FT_Face face = source->face;
  source->scalable = FT_IS_SCALABLE(face);
  int strike = StrikeIndex(face, pixelSize);
  if (source->scalable) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
      error = path + ": cannot be set to " + std::to_string(pixelSize) + " pixels";
      return nullptr;
    }
    source->hasStrike = strike >= 0;
  } else if (strike < 0 || FT_Select_Size(face, strike) != 0) {
    error = path + ": has no " + std::to_string(pixelSize) + "-pixel strike";
    return nullptr;
  }
  // A font without a Unicode map (a JIS-encoded PCF font) is read through
  // its own map.
  if (face->charmap == nullptr && face->num_charmaps > 0) {
    FT_Set_Charmap(face, face->charmaps[0]);
  }
  if (face->charmap == nullptr) {
    error = path + ": has no character map";
    return nullptr;
  }
  source->ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  return source;
}

GlyphCopy CopyGlyph(GlyphSource& source, uint32_t code, int cellWidth, int cellHeight, int xOffset,
                    BitmapGlyph& glyph) {
  glyph = BitmapGlyph{};
  FT_UInt index = FT_Get_Char_Index(source.face, code);
  if (index == 0) return GlyphCopy::kMissing;
  return source.scalable ? CopyOutlineGlyph(source, index, cellWidth, cellHeight, xOffset, glyph)
                         : CopyBitmapGlyph(source, index, cellWidth, cellHeight, xOffset, glyph);
}
