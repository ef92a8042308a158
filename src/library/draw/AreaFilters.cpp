// Area filters over a rectangle of a source: the mosaic of n x n blocks and
// the box blur. Both read only source pixels inside the source and visit only
// the part of the rectangle that reaches the target.
#include <cstdint>
#include <vector>

#include "library/draw/DrawInternal.h"
#include "library/draw/EffectWalk.h"
#include "library/util/Log.h"
#include "library/util/Text.h"

namespace {

// A half-open range of offsets.
struct Span {
  long long from = 0, to = 0;
};
Span Intersect(Span a, Span b) { return {std::max(a.from, b.from), std::min(a.to, b.to)}; }
// Offsets k of [0, count) with origin + k inside [0, limit).
Span Inside(long long count, long long origin, long long limit) {
  return {std::max(0LL, -origin), std::min(count, limit - origin)};
}

// Columns and rows.
struct Area {
  Span columns, rows;
};

// Channel sums of counted pixels.
struct Sums {
  std::uint64_t r = 0, g = 0, b = 0, n = 0;
  void Add(Channels c) {
    r += static_cast<std::uint64_t>(c.r), g += static_cast<std::uint64_t>(c.g), b += static_cast<std::uint64_t>(c.b),
        ++n;
  }
  Channels Average() const { return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)}; }
};

// The colour a mosaic block takes from its pixels inside the source; false
// when the block is left as it was.
bool BlockColour(const platform::display::PixelBuffer& in, long long sx, long long sy, Area block, Area inside,
                 int bTransmit, bool fullScreen, DWORD& colour) {
  const Span columns = Intersect(block.columns, inside.columns), rows = Intersect(block.rows, inside.rows);
  if (columns.from >= columns.to || rows.from >= rows.to) return false;
  if (nBpp == 8 || (lpDTCon && nBpp == 16)) {
    // The block's top-left pixel, when it lies in the source.
    if (columns.from != block.columns.from || rows.from != block.rows.from) return false;
    const DWORD pixel = in.Get(static_cast<int>(sx + columns.from), static_cast<int>(sy + rows.from));
    if (bTransmit == 1 && IsTransparentPixel(pixel)) return false;
    colour = fullScreen ? FullScreenPixel(Decode(pixel)) : pixel;
    return true;
  }
  Sums sums;
  for (long long i = rows.from; i < rows.to; ++i)
    for (long long j = columns.from; j < columns.to; ++j) {
      const DWORD pixel = in.Get(static_cast<int>(sx + j), static_cast<int>(sy + i));
      if (bTransmit == 1 && IsTransparentPixel(pixel)) continue;
      sums.Add(!lpDTCon && nBpp == 16 ? Expand(Decode(pixel)) : Decode(pixel));
    }
  if (sums.n == 0) return false;
  if (lpDTCon) {
    colour = WithColour(sums.Average(), 0xFF);
    return true;
  }
  colour = nBpp == 16 ? Encode(Narrow(sums.Average())) : Encode(sums.Average());
  return !(bTransmit == 1 && colour == dwTransmit);
}

// The summed-area table of the counted source pixels over [columns] x [rows]
// (offsets from the source origin), so that any box sums in four reads.
class BoxSums {
 public:
  BoxSums(const platform::display::PixelBuffer& in, long long sx, long long sy, Span columns, Span rows, int bTransmit)
      : m_columns(columns), m_rows(rows), m_width(static_cast<size_t>(columns.to - columns.from + 1)) {
    m_table.assign(m_width * static_cast<size_t>(rows.to - rows.from + 1), Sums{});
    for (long long i = rows.from; i < rows.to; ++i) {
      Sums line;
      for (long long j = columns.from; j < columns.to; ++j) {
        const DWORD pixel = in.Get(static_cast<int>(sx + j), static_cast<int>(sy + i));
        if (!(bTransmit == 1 && IsTransparentPixel(pixel))) line.Add(Decode(pixel));
        const Sums& above = At(i, j + 1);
        At(i + 1, j + 1) = {above.r + line.r, above.g + line.g, above.b + line.b, above.n + line.n};
      }
    }
  }
  // The sums over [box columns] x [box rows], cut to the table.
  Sums Box(Span columns, Span rows) const {
    columns = Intersect(columns, m_columns);
    rows = Intersect(rows, m_rows);
    if (columns.from >= columns.to || rows.from >= rows.to) return {};
    const Sums &a = At(rows.to, columns.to), &b = At(rows.from, columns.to), &c = At(rows.to, columns.from),
               &d = At(rows.from, columns.from);
    return {a.r - b.r - c.r + d.r, a.g - b.g - c.g + d.g, a.b - b.b - c.b + d.b, a.n - b.n - c.n + d.n};
  }

 private:
  Sums& At(long long row, long long column) {
    return m_table[static_cast<size_t>(row - m_rows.from) * m_width + static_cast<size_t>(column - m_columns.from)];
  }
  const Sums& At(long long row, long long column) const {
    return m_table[static_cast<size_t>(row - m_rows.from) * m_width + static_cast<size_t>(column - m_columns.from)];
  }

  Span m_columns, m_rows;
  size_t m_width;
  std::vector<Sums> m_table;
};

// The blurred colour as the mode writes it over the target pixel `under`.
DWORD BlurredPixel(Channels average, DWORD under, bool fullScreen) {
  if (lpDTCon && nBpp == 16) return fullScreen ? FullScreenPixel(average) : Encode(average) | AlphaBit();
  if (lpDTCon) return WithColour(average, 0xFF);
  return nBpp == 16 ? Encode(average) : WithColour(average, under >> 24);
}

}  // namespace

bool DDMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int n, DDSURFACEDATA* src, int sx, int sy,
              int bTransmit) {
  // 0 draws nothing; a negative block size would never finish its walk.
  if (n <= 0 || !dst || !src) return true;
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  platform::display::PixelBuffer& out = locks.Out();
  const platform::display::PixelBuffer& in = locks.In();
  const bool fullScreen = locks.FullScreenTarget();
  const long long size = n;
  // Only blocks that reach the target are visited.
  const Span rows = Inside(h, y, out.Height()), columns = Inside(w, x, out.Width());
  const Area inside{Inside(w, sx, in.Width()), Inside(h, sy, in.Height())};
  for (long long by = rows.from / size * size; by < rows.to; by += size) {
    const Span blockRows{by, std::min(by + size, static_cast<long long>(h))};
    for (long long bx = columns.from / size * size; bx < columns.to; bx += size) {
      const Span blockColumns{bx, std::min(bx + size, static_cast<long long>(w))};
      DWORD colour = 0;
      if (!BlockColour(in, sx, sy, {blockColumns, blockRows}, inside, bTransmit, fullScreen, colour)) continue;
      const Span drawRows = Intersect(blockRows, rows), drawColumns = Intersect(blockColumns, columns);
      for (long long i = drawRows.from; i < drawRows.to; ++i)
        for (long long j = drawColumns.from; j < drawColumns.to; ++j) {
          const int tx = static_cast<int>(x + j), ty = static_cast<int>(y + i);
          // DirectDraw 32-bit keeps the target's fourth byte.
          out.Put(tx, ty, !lpDTCon && nBpp == 32 ? (colour & 0xFFFFFF) | (out.Get(tx, ty) & 0xFF000000u) : colour);
        }
    }
  }
  return true;
}

bool DDBlur(DDSURFACEDATA* dst, int x, int y, int w, int h, int rx, int ry, DDSURFACEDATA* src, int sx, int sy,
            int bTransmit) {
  // A zero or negative radius gives empty boxes: nothing is drawn.
  if (rx <= 0 || ry <= 0 || !dst || !src) return true;
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  if (nBpp == 8) {
    static const std::string kNoBlur = Sjis("8ビットぼかしは不可能！");
    EcLog(kNoBlur);
    return true;
  }
  platform::display::PixelBuffer& out = locks.Out();
  const platform::display::PixelBuffer& in = locks.In();
  const bool fullScreen = locks.FullScreenTarget();
  const Span sourceRows = Inside(h, sy, in.Height()), sourceColumns = Inside(w, sx, in.Width());
  // Pixels drawn: inside the target, reading their own source pixel.
  const Span rows = Intersect(Inside(h, y, out.Height()), sourceRows);
  const Span columns = Intersect(Inside(w, x, out.Width()), sourceColumns);
  if (rows.from >= rows.to || columns.from >= columns.to) return true;
  // Neighbours: inside the rectangle and the source, within reach of a drawn pixel.
  const BoxSums sums(in, sx, sy, Intersect(sourceColumns, {columns.from - rx, columns.to + rx}),
                     Intersect(sourceRows, {rows.from - ry, rows.to + ry}), bTransmit);
  for (long long i = rows.from; i < rows.to; ++i)
    for (long long j = columns.from; j < columns.to; ++j) {
      if (bTransmit == 1 && IsTransparentPixel(in.Get(static_cast<int>(sx + j), static_cast<int>(sy + i)))) continue;
      // 2 rx columns and 2 ry rows, one more on the negative side.
      const Sums box = sums.Box({j - rx, j + rx}, {i - ry, i + ry});
      if (box.n == 0) continue;
      const int tx = static_cast<int>(x + j), ty = static_cast<int>(y + i);
      out.Put(tx, ty, BlurredPixel(box.Average(), out.Get(tx, ty), fullScreen));
    }
  return true;
}
