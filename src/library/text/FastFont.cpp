#include "library/text/FastFont.h"

#include <algorithm>

#include "library/draw/Draw.h"
#include "library/text/SjisText.h"
#include "library/util/Text.h"

AtlasGrid FullAtlasGrid(bool direct3D, int pitchX, int pitchY, int backBufferWidth, int backBufferHeight) {
  if (pitchX <= 0 || pitchY <= 0) return {};
  if (direct3D) return {std::min(1024 / pitchX, 32), std::min(1024 / pitchY, 32)};
  return {std::min(backBufferWidth / pitchX, 32), std::min(backBufferHeight / pitchY, 30)};
}

namespace {

unsigned CharacterKey(std::string_view character) {
  unsigned key = static_cast<BYTE>(character[0]);
  if (character.size() > 1) key = 0x10000u | key << 8 | static_cast<BYTE>(character[1]);
  return key;
}

}  // namespace

cFastFont::cFastFont(FastFontMode mode, int cellWidth, int cellHeight, AtlasGrid grid)
    : nMode(mode),
      nCellWidth(cellWidth),
      nCellHeight(cellHeight),
      nColumns(std::max(grid.columns, 0)),
      nRows(std::max(grid.rows, 0)),
      nCapacity(nColumns * nRows) {
  m_glyphs.reserve(static_cast<size_t>(nCapacity));
}

cFastFont::~cFastFont() {
  if (m_surface.lpDT || m_surface.lpDDS) DDReleaseSurface(&m_surface);
}

bool cFastFont::CreateSurface() {
  if (nCapacity == 0) return false;
  return DDCreateSurface(&m_surface, PixelWidth(), PixelHeight(), 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
}

int cFastFont::AddGlyph(std::string_view character) {
  if (character.empty() || nGlyphCount >= nCapacity) return 0;
  GLYPHDATA glyph;
  character.copy(glyph.szChar, std::min<size_t>(character.size(), 2));
  glyph.nIndex = nGlyphCount;
  glyph.x = (nGlyphCount % nColumns) * nCellWidth;
  glyph.y = (nGlyphCount / nColumns) * nCellHeight;
  m_glyphs.push_back(glyph);
  m_firstCell.try_emplace(CharacterKey(glyph.Character()), nGlyphCount);
  ++nGlyphCount;
  return 1;
}

const GLYPHDATA* cFastFont::FindGlyph(std::string_view character) const {
  if (character.empty()) return nullptr;
  auto found = m_firstCell.find(CharacterKey(character.substr(0, 2)));
  return found == m_firstCell.end() ? nullptr : &m_glyphs[static_cast<size_t>(found->second)];
}

POINT cFastFont::CellOf(BYTE code) const {
  if (nColumns == 0) return {};
  return {(code % nColumns) * nCellWidth, (code / nColumns) * nCellHeight};
}

const std::string& FullAtlasPreset() {
  static const std::string preset = Sjis(
      "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
      "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"
      "まみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょアイウエオ"
      "カキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデト"
      "バビブベボヴパピプペポァィゥェォッャュョ□■☆★％＆＜＞：");
  return preset;
}

std::string HalfAtlasText() {
  // Row 0 (control codes) stays empty; its line holds only its line feed.
  std::string text = "\n";
  for (int row = 1; row < kHalfAtlasGrid.rows; ++row) {
    for (int column = 0; column < kHalfAtlasGrid.columns; ++column) text += static_cast<char>(row * 16 + column);
    text += '\n';
  }
  return text;
}

std::string FullAtlasText(const cFastFont& atlas) {
  std::string text;
  int inRow = 0;
  for (const GLYPHDATA& glyph : atlas.Glyphs()) {
    text += glyph.Character();
    if (++inRow == atlas.Columns()) {
      text += '\n';
      inRow = 0;
    }
  }
  return text;
}

void AddPresetGlyphs(cFastFont& atlas) {
  bool room = true;
  ForEachSjisChar(FullAtlasPreset(), [&](std::string_view character) { room = room && atlas.AddGlyph(character); });
}
