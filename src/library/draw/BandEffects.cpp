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
    const int n = nBand > 0 ? (bVertical ? w : h) / nBand : 0;
    for (int parity : {1, 0}) {
      const int shift = parity ? -nOffset : nOffset;
      for (int k = parity; k < n; k += 2) {
        const int at = k * nBand;
        if (bVertical)
          DDBlt(dst, x + at, y + shift, nBand, h, src, sx + at, sy, bTransmit);
        else
          DDBlt(dst, x + shift, y + at, w, nBand, src, sx, sy + at, bTransmit);
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
      const int size = std::min(nBand, length - t);
      if (bVertical)
        DDBlt(dst, x + t, y + offset, size, h, src, sx + t, sy, bTransmit);
      else
        DDBlt(dst, x + offset, y + t, w, size, src, sx, sy + t, bTransmit);
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
  const int v = (step / u) % 2 == 0 ? step % u : u - step % u - 1;
  const bool imageB = ((u + static_cast<long long>(step)) / size) % 2 != 0;
  DDSURFACEDATA* image = imageB ? srcB : srcA;
  const int isx = imageB ? sxB : sxA, isy = imageB ? syB : syA;
  if (mode == 0) return DDBltStretch(dst, x + v, y, w - 2 * v, h, image, isx, isy, sw, sh, bTransmit);
  return DDBltStretch(dst, x, y + v, w, h - 2 * v, image, isx, isy, sw, sh, bTransmit);
}

void DDDrawQuadSplit(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int gap,
                     int bTransmit) {
  const int w2 = w >> 1, h2 = h >> 1;
  InSpriteBatch([&] {
    DDBlt(dst, x - gap, y - gap, w2, h2, src, sx, sy, bTransmit);
    DDBlt(dst, x + w2 + gap, y - gap, w2, h2, src, sx + w2, sy, bTransmit);
    DDBlt(dst, x - gap, y + h2 + gap, w2, h2, src, sx, sy + h2, bTransmit);
    DDBlt(dst, x + w2 + gap, y + h2 + gap, w2, h2, src, sx + w2, sy + h2, bTransmit);
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
    if (to <= from) return;
    const int y = static_cast<int>(cy + top);
    const int w = static_cast<int>(to - from), h = static_cast<int>(height);
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
