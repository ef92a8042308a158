#pragma once
// Walking the inked pixels of a glyph placed on a target, cut to the target.
#include <algorithm>

#include "platform/glyphs/GlyphSource.h"

// Calls visit(px, py, coverage) for every pixel of the glyph with coverage,
// the glyph's character cell having its top-left at (x, y) of a target of
// width x height pixels.
template <typename Visit>
void ForEachGlyphPixel(const platform::Glyph& glyph, int x, int y, int width, int height, Visit visit) {
  int left = x + glyph.left;
  int top = y + glyph.top;
  int fromX = std::max(0, -left), toX = std::min(glyph.width, width - left);
  int fromY = std::max(0, -top), toY = std::min(glyph.height, height - top);
  for (int gy = fromY; gy < toY; ++gy) {
    const BYTE* row = glyph.coverage.data() + static_cast<size_t>(gy) * glyph.width;
    for (int gx = fromX; gx < toX; ++gx) {
      if (row[gx] != 0) visit(left + gx, top + gy, row[gx]);
    }
  }
}
