// Effect blits that move pixels: the rotation by whole degrees about a pivot
// and the magnifying lens over a circular area.
#include <climits>
#include <cmath>

#include "library/draw/DrawInternal.h"
#include "library/draw/EffectWalk.h"

using platform::display::QuadVertex;

namespace {

// Slightly below the degree the fades use; the rotation has always used it.
constexpr double kRotationDegree = 0.017453292519943278;

// A sine or cosine in 10 fraction bits, cut toward zero.
long long Fixed(double value) { return static_cast<long long>(value * 1024); }

// The quad path: the rectangle's corners turned about the pivot, which lands
// on (x, y) as on the software path.
void RotateQuad(DDSURFACEDATA* dst, int x, int y, int w, int h, int px, int py, double theta, DDSURFACEDATA* src,
                int sx, int sy, int sw, int sh) {
  const float c = std::cos(static_cast<float>(theta)), s = std::sin(static_cast<float>(theta));
  const float texW = static_cast<float>(src->nTexWidth), texH = static_cast<float>(src->nTexHeight);
  auto corner = [&](int cx, int cy) {
    const float dx = static_cast<float>(cx - px), dy = static_cast<float>(cy - py);
    return QuadVertex{static_cast<float>(x) - 0.5f + dx * c - dy * s, static_cast<float>(y) - 0.5f + dx * s + dy * c,
                      static_cast<float>(cx == 0 ? sx : sx + sw) / texW,
                      static_cast<float>(cy == 0 ? sy : sy + sh) / texH};
  };
  const std::array<QuadVertex, 4> strip{corner(0, 0), corner(0, h), corner(w, 0), corner(w, h)};
  OnRenderTarget(dst, [&] {
    lpDevice->SetTextureStage(
        {lpDTCon->dwColorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, lpDTCon->dwAlphaOp, D3DTA_TEXTURE, D3DTA_DIFFUSE});
    lpDevice->DrawQuadStrip(src->lpDT->lpTexture.get(), strip, lpDTCon->dwDrawColor);
  });
}

// The software path, in fixed point: every pixel of the turned rectangle's
// box (two pixels wider on each side) reads the source pixel it came from.
void RotatePixels(const EffectLocks& locks, int x, int y, int w, int h, int px, int py, double theta, int sx, int sy,
                  int bTransmit) {
  const long long s = Fixed(std::sin(theta)), c = Fixed(std::cos(theta));
  long long left = LLONG_MAX, right = LLONG_MIN, top = LLONG_MAX, bottom = LLONG_MIN;
  for (const long long cx : {0LL, w - 1LL})
    for (const long long cy : {0LL, h - 1LL}) {
      const long long dx = cx - px, dy = cy - py;
      const long long tx = px + ((dx * c - dy * s) >> 10), ty = py + ((dx * s + dy * c) >> 10);
      left = std::min(left, tx), right = std::max(right, tx), top = std::min(top, ty), bottom = std::max(bottom, ty);
    }
  const long long s2 = Fixed(std::sin(-theta)), c2 = Fixed(std::cos(-theta));
  platform::display::PixelBuffer& out = locks.Out();
  const platform::display::PixelBuffer& in = locks.In();
  // Only box pixels that land inside the target are visited.
  const long long rowFrom = std::max(top - 2, static_cast<long long>(py) - y),
                  rowTo = std::min(bottom + 2, static_cast<long long>(py) - y + out.Height());
  const long long columnFrom = std::max(left - 2, static_cast<long long>(px) - x),
                  columnTo = std::min(right + 2, static_cast<long long>(px) - x + out.Width());
  for (long long row = rowFrom; row < rowTo; ++row) {
    const long long dy = row - py;
    for (long long column = columnFrom; column < columnTo; ++column) {
      const long long dx = column - px;
      const long long u = px + ((dx * c2 - dy * s2) >> 10), v = py + ((dx * s2 + dy * c2) >> 10);
      if (u < 0 || u >= w || v < 0 || v >= h || sx + u < 0 || sx + u >= in.Width() || sy + v < 0 ||
          sy + v >= in.Height())
        continue;
      const DWORD pixel = in.Get(static_cast<int>(sx + u), static_cast<int>(sy + v));
      if (bTransmit == 1 && IsTransparentPixel(pixel)) continue;
      out.Put(static_cast<int>(x + dx), static_cast<int>(y + dy), pixel);
    }
  }
}

// Writes a lens pixel by the transfer rule of the mode.
void LensTransfer(const EffectLocks& locks, int tx, int ty, DWORD pixel, int bTransmit, bool clear) {
  platform::display::PixelBuffer& out = locks.Out();
  if (!lpDTCon) {
    if (pixel != dwTransmit) out.Put(tx, ty, pixel);
  } else if (nBpp == 16) {
    if (bTransmit == 1 && IsTransparentPixel(pixel)) return;
    out.Put(tx, ty, locks.FullScreenTarget() ? FullScreenPixel(Decode(pixel)) : pixel);
  } else if (pixel >> 24 != 0 || clear) {
    out.Put(tx, ty, pixel >> 24 != 0 ? pixel : 0);
  }
}

}  // namespace

bool DDBltRotate(DDSURFACEDATA* dst, int x, int y, int w, int h, int px, int py, int angle, DDSURFACEDATA* src, int sx,
                 int sy, int bTransmit) {
  if (!dst || !src) return true;
  const double theta = angle * kRotationDegree;
  if (lpDTCon) {
    int sw = w, sh = h;
    DDResolveMirror(src, &sx, &sy, &sw, &sh);
    SubstituteSurface(&src);
    SubstituteSurface(&dst);
    if (TakesQuadPath(dst, src)) {
      RotateQuad(dst, x, y, w, h, px, py, theta, src, sx, sy, sw, sh);
      return true;
    }
  }
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  RotatePixels(locks, x, y, w, h, px, py, theta, sx, sy, bTransmit);
  return true;
}

bool DDBltLens(DDSURFACEDATA* dst, int cx, int cy, int r, int d, DDSURFACEDATA* src, int scx, int scy, int bTransmit,
               int bClear) {
  if (r < 0 || d < 0) return false;
  const double rr = static_cast<double>(r) * r;
  const long long R = static_cast<long long>(std::sqrt(rr + static_cast<double>(d) * d));
  if (R <= d) return false;
  if (!dst || !src) return false;
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  const bool clear = bClear && lpDTCon && nBpp == 32;
  const platform::display::PixelBuffer& in = locks.In();
  // Rows and columns whose target lies outside are never visited.
  const long long iFrom = std::max(-static_cast<long long>(r), -static_cast<long long>(cy));
  const long long iTo = std::min(static_cast<long long>(r), static_cast<long long>(locks.Out().Height()) - 1 - cy);
  const long long jFrom = std::max(-static_cast<long long>(r), -static_cast<long long>(cx));
  const long long jTo = std::min(static_cast<long long>(r), static_cast<long long>(locks.Out().Width()) - 1 - cx);
  for (long long i = iFrom; i <= iTo; ++i) {
    for (long long j = jFrom; j <= jTo; ++j) {
      const int tx = static_cast<int>(cx + j), ty = static_cast<int>(cy + i);
      const double inner = static_cast<double>(i) * i + static_cast<double>(j) * j;
      if (inner > rr) {
        if (clear) locks.Out().Put(tx, ty, 0);
        continue;
      }
      const double z = std::sqrt(static_cast<double>(R) * R - inner);
      const long long u = z != 0 ? static_cast<long long>(static_cast<double>(j) * d / z + 0.5) : j;
      const long long v = z != 0 ? static_cast<long long>(static_cast<double>(i) * d / z + 0.5) : i;
      if (scx + u < 0 || scx + u >= in.Width() || scy + v < 0 || scy + v >= in.Height()) {
        if (clear) locks.Out().Put(tx, ty, 0);
        continue;
      }
      LensTransfer(locks, tx, ty, in.Get(static_cast<int>(scx + u), static_cast<int>(scy + v)), bTransmit, clear);
    }
  }
  return true;
}
