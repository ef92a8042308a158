#pragma once
// The print engine of the fonts: where every character of a text goes, and
// from where (rasterised, or copied from an atlas or the symbol sheet). It only
// walks and places; a GlyphOutput does the drawing, so layout is testable alone.
#include <string_view>

#include "library/text/FastFont.h"
#include "platform/glyphs/GlyphSource.h"

// What the engine asks of the font it runs for.
class GlyphOutput {
 public:
  virtual ~GlyphOutput() = default;
  // Rasterise one character with its cell's top-left at (x, y): into the text's
  // raster target, or into the atlas surface when atlas is given.
  virtual void DrawGlyph(cFastFont* atlas, int x, int y, std::string_view character) = 0;
  // Copy the atlas cell at (sx, sy) to (x, y) of the sprite target.
  virtual void CopyAtlasCell(cFastFont& atlas, int sx, int sy, int x, int y) = 0;
  // Copy the symbol sheet's cell at (sx, sy), keyed, to (x, y) of the destination.
  virtual void CopySymbolCell(int sx, int sy, int x, int y) = 0;
};

// The layout settings of one font.
struct FontLayout {
  int nPitchX = 0;  // 0: proportional output, line by line
  int nPitchY = 0;
  int bCentre = 0;                 // glyphs centred in their grid cells
  cFastFont* halfAtlas = nullptr;  // both set when fast fonts are on
  cFastFont* fullAtlas = nullptr;

  bool Pitched() const { return nPitchX != 0; }
  bool Fast() const { return halfAtlas && fullAtlas; }
  // Line advance of proportional text; a font without a line pitch uses its cell height.
  int LineHeight(const platform::GlyphFace& face) const { return nPitchY != 0 ? nPitchY : face.CellHeight(); }
};

// Bytes before the first line feed or the end.
int GetLineLength(std::string_view text);

// A face's extent of a text drawn as one run: the sum of the advances by one
// cell height (a line feed is an ordinary character here).
platform::TextExtent MeasureGlyphText(platform::GlyphFace& face, std::string_view text);

// Width and height of the text: with a pitch, the widest line's character
// count times the pitch by lines times the line pitch; without, the widest
// line's glyph extent by lines times the line height. An empty text is one line.
platform::TextExtent MeasureFontText(const FontLayout& layout, platform::GlyphFace& face, std::string_view text);

// Where Font::DrawChar puts the cell of one character printed at pen (x, y).
POINT GlyphPosition(const FontLayout& layout, platform::GlyphFace& face, int x, int y, std::string_view character);

// Font::PrintChars: rasterised characters go to the raster target at pen (x, y),
// atlas copies to the sprite target at (sx, sy). With symbols, 'a' to 'z' only
// advance (DrawSymbols draws them). New double-byte characters grow the full atlas.
void PrintChars(const FontLayout& layout, platform::GlyphFace& face, GlyphOutput& output, int x, int y, int sx, int sy,
                std::string_view text, bool symbols);

// Font::DrawSymbols: each 'a' to 'z' as its cell of the symbol sheet's first row.
void DrawSymbols(const FontLayout& layout, GlyphOutput& output, int x, int y, std::string_view text);

// DDDrawBmpText's walk: visit(x, y, sx, sy) for every byte's cell of a
// 16-column sheet. Once the pen's offset from x reaches the screen width, the
// text continues one cell lower at its own x (the offset alone counts, not x).
template <typename Visit>
void LayoutBmpText(int x, int y, int cellWidth, int cellHeight, int screenWidth, std::string_view text, Visit visit) {
  int offset = 0;
  for (char c : text) {
    if (c == '\n') {
      offset = 0;
      y += cellHeight;
      continue;
    }
    auto b = static_cast<BYTE>(c);
    int row = b / 16;
    if (b >= 0xA6 && b <= 0xBF) row -= 10;  // ｦ to ｿ sit in rows 0 and 1
    if (b >= 0xC0 && b <= 0xDD) row -= 4;   // ﾀ to ﾝ in rows 8 and 9
    visit(x + offset, y, (b % 16) * cellWidth, row * cellHeight);
    offset += cellWidth;
    if (offset >= screenWidth) {
      offset = 0;
      y += cellHeight;
    }
  }
}
