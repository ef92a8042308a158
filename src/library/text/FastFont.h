#pragma once
// Glyph atlases of the fast fonts: one addressed by single-byte code, one that
// holds double-byte characters in the order they were added and grows as new
// characters are printed. A full atlas never evicts.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/draw/DrawTypes.h"
#include "platform/WinTypes.h"

// One character of a glyph-list atlas and its cell.
struct GLYPHDATA {
  char szChar[4] = {};  // the two CP932 bytes and a terminating zero
  int nIndex = 0;       // cell number = order of addition
  int x = 0;            // cell position in pixels
  int y = 0;

  std::string_view Character() const { return szChar; }
};

enum class FastFontMode { SingleByte = 0, GlyphList = 1 };

struct AtlasGrid {
  int columns = 0;
  int rows = 0;
  constexpr bool operator==(const AtlasGrid&) const = default;
};

// The cell grid of the double-byte atlas of a font with pitch px x py: the
// Direct3D atlas fits a 1024-pixel texture, the DirectDraw one the back buffer.
AtlasGrid FullAtlasGrid(bool direct3D, int pitchX, int pitchY, int backBufferWidth, int backBufferHeight);
constexpr AtlasGrid kHalfAtlasGrid{16, 16};

class cFastFont {
 public:
  cFastFont(FastFontMode mode, int cellWidth, int cellHeight, AtlasGrid grid);
  cFastFont(const cFastFont&) = delete;
  cFastFont& operator=(const cFastFont&) = delete;
  ~cFastFont();

  // Makes the atlas surface: the grid's size, keyed, in video memory. False on failure.
  bool CreateSurface();
  DDSURFACEDATA& Surface() { return m_surface; }

  // 1 when added, 0 when the atlas is full (the list is then unchanged).
  int AddGlyph(std::string_view character);
  // The first entry holding the character, or null.
  const GLYPHDATA* FindGlyph(std::string_view character) const;
  // Top-left of the cell of single-byte code c.
  POINT CellOf(BYTE code) const;

  FastFontMode Mode() const { return nMode; }
  int CellWidth() const { return nCellWidth; }
  int CellHeight() const { return nCellHeight; }
  int Columns() const { return nColumns; }
  int Rows() const { return nRows; }
  int Capacity() const { return nCapacity; }
  int GlyphCount() const { return nGlyphCount; }
  int PixelWidth() const { return nColumns * nCellWidth; }
  int PixelHeight() const { return nRows * nCellHeight; }
  const std::vector<GLYPHDATA>& Glyphs() const { return m_glyphs; }

 private:
  FastFontMode nMode;
  int nCellWidth;
  int nCellHeight;
  int nColumns;
  int nRows;
  int nCapacity;
  int nGlyphCount = 0;
  std::vector<GLYPHDATA> m_glyphs;
  std::unordered_map<unsigned, int> m_firstCell;  // character -> its first entry, so lookups need no walk
  DDSURFACEDATA m_surface;
};

// The 256 frequent full-width characters the double-byte atlas starts with, CP932.
const std::string& FullAtlasPreset();

// The texts printed into the atlases, one grid row per line, so that with fast
// fonts and symbols off each character lands in its own cell.
std::string HalfAtlasText();
std::string FullAtlasText(const cFastFont& atlas);
// Adds the preset to a new double-byte atlas until the preset ends or the atlas is full.
void AddPresetGlyphs(cFastFont& atlas);
