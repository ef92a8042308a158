// Effects made of plain copies of moved parts of a source: shifted bands,
// the sine wave, the card flip, the four pushed-apart quarters and the copy
// of a circular area. All but the flip draw inside one sprite batch so that
// the many strips reach the device in few calls.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "library/draw/Draw.h"
#include "library/util/Convert.h"

namespace {

// Draws the copies of `draw` inside one unsorted sprite batch; the batch's result.
template <typename Strips>
int InSpriteBatch(Strips draw) {
  DDBeginSpriteBatch(0);
  draw();
  return DDEndSpriteBatch();
}

// A sum of positions from anywhere, wrapped to an int as int arithmetic
// would wrap it; a part that reaches the target always has a position that fits.
int At(long long a, long long b) { return static_cast<int>(a + b); }

// One moved part, copied when it reaches the target: a part moved wholly off
// it (by a displacement from anywhere) draws nothing and is not handed on.
void Part(DDSURFACEDATA* dst, long long x, long long y, int w, int h, DDSURFACEDATA* src, long long sx, long long sy,
          int bTransmit) {
  if (!dst || x + w <= 0 || y + h <= 0 || x >= dst->nWidth || y >= dst->nHeight) return;
  DDBlt(dst, At(x, 0), At(y, 0), w, h, src, At(sx, 0), At(sy, 0), bTransmit);
}

// The wave's offset for one column or row: the angle runs on by `step` before each use.
int WaveOffset(double amplitude, double k, int phase, double acc) {
  return DoubleToInt(amplitude * std::sin(k * (phase + acc)));
}

}  // namespace

int DDDrawSplit(DDSURFACEDATA* dst, int x, int y, int w, int h, int nBand, int nOffset, DDSURFACEDATA* src, int sx,
                int sy, int bTransmit, int bVertical) {
  if (nBand == 0) return DDBlt(dst, x, y, w, h, src, sx, sy, bTransmit);
  return InSpriteBatch([&] {
    // A negative band count gives no bands: the batch opens and closes empty.
    const long long n = nBand > 0 ? (bVertical ? w : h) / nBand : 0;
    // Bands that lie wholly before or after the target draw nothing and are not walked.
    const long long origin = bVertical ? x : y, limit = dst ? (bVertical ? dst->nWidth : dst->nHeight) : 0;
    const long long first = nBand > 0 ? std::max(0LL, -origin / nBand - 1) : 0;
    const long long last = nBand > 0 ? std::min(n, (limit - origin) / nBand + 1) : 0;
    for (int parity : {1, 0}) {
      const long long shift = parity ? -static_cast<long long>(nOffset) : nOffset;
      for (long long k = first + ((first & 1) != parity); k < last; k += 2) {
        const long long at = k * nBand;
        if (bVertical)
          Part(dst, x + at, y + shift, nBand, h, src, sx + at, sy, bTransmit);
        else
          Part(dst, x + shift, y + at, w, nBand, src, sx, sy + at, bTransmit);
      }
    }
  });
}

void DDDrawWave(DDSURFACEDATA* dst, int x, int y, int w, int h, int nWaves, double amplitude, int phase, int nBand,
                DDSURFACEDATA* src, int sx, int sy, int bTransmit, int bVertical) {
  if (nBand <= 0) return;
  const double k = nWaves * 0.017453292519943295;
  const int length = bVertical ? w : h;
  const double step = 360.0 / length;
  InSpriteBatch([&] {
    double acc = 0;
    for (int t = 0; t < length; t += nBand) {
      acc += nBand == 1 ? step : step * nBand;
      const int offset = WaveOffset(amplitude, k, phase, acc);
      const int size = static_cast<int>(std::min<long long>(nBand, static_cast<long long>(length) - t));
      if (bVertical)
        Part(dst, static_cast<long long>(x) + t, static_cast<long long>(y) + offset, size, h, src,
             static_cast<long long>(sx) + t, sy, bTransmit);
      else
        Part(dst, static_cast<long long>(x) + offset, static_cast<long long>(y) + t, w, size, src, sx,
             static_cast<long long>(sy) + t, bTransmit);
    }
  });
}

int DDDrawFlip(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* srcA, int sxA, int syA,
               DDSURFACEDATA* srcB, int sxB, int syB, int sw, int sh, int bTransmit, int step, int mode) {
  if (mode != 0 && mode != 1) return mode - 1;
  const int size = mode == 0 ? w : h;
  // Below two dots there is no half to squash toward: nothing is drawn.
  if (size < 2) return 0;
  const int u = size >> 1;
  const long long v = (step / u) % 2 == 0 ? step % u : u - step % u - 1;
  const bool imageB = ((u + static_cast<long long>(step)) / size) % 2 != 0;
  DDSURFACEDATA* image = imageB ? srcB : srcA;
  const int isx = imageB ? sxB : sxA, isy = imageB ? syB : syA;
  const int narrowed = At(size, -2LL * v);
  if (mode == 0) return DDBltStretch(dst, At(x, v), y, narrowed, h, image, isx, isy, sw, sh, bTransmit);
  return DDBltStretch(dst, x, At(y, v), w, narrowed, image, isx, isy, sw, sh, bTransmit);
}

void DDDrawQuadSplit(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int gap,
                     int bTransmit) {
  const int w2 = w >> 1, h2 = h >> 1;
  InSpriteBatch([&] {
    const long long near = -static_cast<long long>(gap), farX = static_cast<long long>(w2) + gap,
                    farY = static_cast<long long>(h2) + gap;
    const long long sx2 = static_cast<long long>(sx) + w2, sy2 = static_cast<long long>(sy) + h2;
    Part(dst, x + near, y + near, w2, h2, src, sx, sy, bTransmit);
    Part(dst, x + farX, y + near, w2, h2, src, sx2, sy, bTransmit);
    Part(dst, x + near, y + farY, w2, h2, src, sx, sy2, bTransmit);
    Part(dst, x + farX, y + farY, w2, h2, src, sx2, sy2, bTransmit);
  });
}

namespace {

// The strips of a circle copy: one row band at a time, its chord cut to the
// usable source columns.
struct CircleCopy {
  DDSURFACEDATA *dst, *src;
  int cx, cy, scx, scy, bTransmit;
  long long r, left, right;

  // The half chord at row offset m, below r.
  long long HalfChord(long long m) const {
    const long long square = r * r - m * m;
    if (square <= 0) return 0;
    auto hc = static_cast<long long>(std::sqrt(static_cast<double>(square)));
    while (hc * hc > square) --hc;  // the root of a large square may round up
    return std::min(hc, r - 1);
  }

  void Strip(long long top, long long height, long long m) const {
    const long long hc = HalfChord(m);
    long long from = scx - hc, to = std::min(scx + hc, right);
    long long x = cx - hc;
    // Columns left of the usable source, or of the target, move the strip's start right.
    const long long shift = std::max({0LL, left - from, -x});
    from += shift;
    x += shift;
    to = std::min(to, from + dst->nWidth - x);
    // Rows outside the target or the source are cut off the strip.
    const long long first = std::max({top, -static_cast<long long>(cy), -static_cast<long long>(scy)});
    const long long last =
        std::min({top + height, static_cast<long long>(dst->nHeight) - cy, static_cast<long long>(src->nHeight) - scy});
    if (to <= from || last <= first) return;
    top = first;
    const int y = static_cast<int>(cy + top);
    const int w = static_cast<int>(to - from), h = static_cast<int>(last - first);
    if (lpDTCon)
      DDBltStretch(dst, static_cast<int>(x), y, w, h, src, static_cast<int>(from), static_cast<int>(scy + top), w, h,
                   bTransmit);
    else
      DDBlt(dst, static_cast<int>(x), y, w, h, src, static_cast<int>(from), static_cast<int>(scy + top), bTransmit);
  }
};

}  // namespace

int DDBltCircle(DDSURFACEDATA* dst, int cx, int cy, int hw, int hh, int r, int band, DDSURFACEDATA* src, int scx,
                int scy, int bTransmit) {
  if (r <= 0 || band <= 0) return 0;
  DDUseLinkSD(&dst);
  DDUseLinkSD(&src);
  if (!dst || !src) return 0;
  const long long left = std::max(0LL, static_cast<long long>(scx) - hw);
  const long long right = std::min(static_cast<long long>(src->nWidth), static_cast<long long>(scx) + hw);
  const CircleCopy copy{dst, src, cx, cy, scx, scy, bTransmit, r, left, right};
  // Rows outside the target or the source draw nothing: the walk is cut to
  // them, so a radius from hostile data costs no more than the visible rows.
  const long long half = hh;
  const long long lowest = std::max({-copy.r, -half, -static_cast<long long>(cy), -static_cast<long long>(scy)});
  const long long highest =
      std::min({copy.r, half, static_cast<long long>(dst->nHeight) - cy, static_cast<long long>(src->nHeight) - scy});
  return InSpriteBatch([&] {
    if (band == 1) {
      for (long long i = highest - 1; i >= lowest; --i) copy.Strip(i, 1, i);
      return;
    }
    const long long b = band, top = copy.r - b;
    // The first band that starts above hh (earlier ones are skipped); one
    // that would pass hh starts at hh - b, and the next ones follow it.
    long long h = top >= half ? top - ((top - half) / b + 1) * b : top;
    if (h + b > half) h = half - b;
    if (h >= highest) h -= ((h - highest) / b + 1) * b;  // bands below the target or the source
    for (; h >= -copy.r && h + b > -half; h -= b) {
      if (h < -half) h = -half;
      if (h + b <= lowest) break;  // this and every later band lies above the target or the source
      copy.Strip(h, b, h + (b >> 1));
    }
  });
}
