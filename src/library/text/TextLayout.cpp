#include "library/text/TextLayout.h"

#include <algorithm>

#include "library/text/SjisText.h"

namespace {

constexpr std::string_view kFullWidthSpace = "\x81\x40";

bool IsSymbolLetter(std::string_view character) {
  return character.size() == 1 && character[0] >= 'a' && character[0] <= 'z';
}

// Calls visit(line) for each line of the text; an empty text is one empty line.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  while (true) {
    size_t length = static_cast<size_t>(GetLineLength(text));
    visit(text.substr(0, length));
    if (length == text.size()) return;
    text.remove_prefix(length + 1);
  }
}

void PrintProportional(const FontLayout& layout, platform::GlyphFace& face, GlyphOutput& output, int x, int y,
                       std::string_view text) {
  ForEachLine(text, [&](std::string_view line) {
    int pen = x;
    ForEachSjisChar(line, [&](std::string_view character) {
      output.DrawGlyph(nullptr, pen, y, character);
      pen += face.GetGlyph(character, platform::GlyphMode::Monochrome).advance;
    });
    y += layout.LineHeight(face);
  });
}

// A double-byte character from the full atlas, growing it when the character is
// new; false when the atlas is full and the character must be drawn directly.
bool CopyFromFullAtlas(const FontLayout& layout, platform::GlyphFace& face, GlyphOutput& output, int sx, int sy,
                       std::string_view character) {
  cFastFont& atlas = *layout.fullAtlas;
  const GLYPHDATA* glyph = atlas.FindGlyph(character);
  if (!glyph) {
    if (!atlas.AddGlyph(character)) return false;
    glyph = &atlas.Glyphs().back();
    POINT at = GlyphPosition(layout, face, glyph->x, glyph->y, character);
    output.DrawGlyph(&atlas, at.x, at.y, character);
  }
  output.CopyAtlasCell(atlas, glyph->x, glyph->y, sx, sy);
  return true;
}

// Calls visit(character, dx, dy) for every character but line feeds, with its
// pen offset on the font's grid.
template <typename Visit>
void ForEachGridChar(const FontLayout& layout, std::string_view text, Visit visit) {
  int pen = 0;
  int line = 0;
  ForEachSjisChar(text, [&](std::string_view character) {
    if (character == "\n") {
      pen = 0;
      line += layout.nPitchY;
      return;
    }
    visit(character, pen, line);
    pen += layout.nPitchX;
  });
}

}  // namespace

int GetLineLength(std::string_view text) { return static_cast<int>(std::min(text.find('\n'), text.size())); }

platform::TextExtent MeasureGlyphText(platform::GlyphFace& face, std::string_view text) {
  platform::TextExtent extent{0, face.CellHeight()};
  ForEachSjisChar(text, [&](std::string_view character) {
    extent.width += face.GetGlyph(character, platform::GlyphMode::Monochrome).advance;
  });
  return extent;
}

platform::TextExtent MeasureFontText(const FontLayout& layout, platform::GlyphFace& face, std::string_view text) {
  platform::TextExtent extent;
  int lines = 0;
  ForEachLine(text, [&](std::string_view line) {
    int width = layout.Pitched() ? CountSjisChars(line) * layout.nPitchX : MeasureGlyphText(face, line).width;
    extent.width = std::max(extent.width, width);
    ++lines;
  });
  extent.height = lines * (layout.Pitched() ? layout.nPitchY : layout.LineHeight(face));
  return extent;
}

POINT GlyphPosition(const FontLayout& layout, platform::GlyphFace& face, int x, int y, std::string_view character) {
  if (layout.bCentre) {
    platform::TextExtent extent = MeasureGlyphText(face, character);
    return {x + layout.nPitchX / 2 - extent.width / 2, y + layout.nPitchY / 2 - extent.height / 2};
  }
  if (character.size() == 1) return {x + layout.nPitchX / 8, y + layout.nPitchY / 16 - 1};
  return {x, y};
}

void PrintChars(const FontLayout& layout, platform::GlyphFace& face, GlyphOutput& output, int x, int y, int sx, int sy,
                std::string_view text, bool symbols) {
  if (!layout.Pitched()) {
    PrintProportional(layout, face, output, x, y, text);
    return;
  }
  ForEachGridChar(layout, text, [&](std::string_view character, int dx, int dy) {
    auto drawDirect = [&] {
      POINT at = GlyphPosition(layout, face, x + dx, y + dy, character);
      output.DrawGlyph(nullptr, at.x, at.y, character);
    };
    if (character.size() == 2) {
      bool copied = character != kFullWidthSpace && layout.Fast() &&
                    CopyFromFullAtlas(layout, face, output, sx + dx, sy + dy, character);
      if (!copied) drawDirect();
    } else if (character != " " && !(symbols && IsSymbolLetter(character))) {
      if (layout.Fast()) {
        POINT cell = layout.halfAtlas->CellOf(static_cast<BYTE>(character[0]));
        output.CopyAtlasCell(*layout.halfAtlas, cell.x, cell.y, sx + dx, sy + dy);
      } else {
        drawDirect();
      }
    }
  });
}

void DrawSymbols(const FontLayout& layout, GlyphOutput& output, int x, int y, std::string_view text) {
  if (!layout.Pitched()) return;
  ForEachGridChar(layout, text, [&](std::string_view character, int dx, int dy) {
    if (IsSymbolLetter(character)) output.CopySymbolCell((character[0] - 'a') * layout.nPitchX, 0, x + dx, y + dy);
  });
}
