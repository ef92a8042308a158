#pragma once
// What the effect blits share: the surface substitution and the quad path of
// Direct3D; for the software paths, both surfaces locked (target first), the
// walk over the pixels that lie inside both, the transparency test of the
// mode and the channel arithmetic of 16-bit pixels.
#include <algorithm>

#include "library/draw/Draw.h"

// Under Direct3D an effect reads and writes the linked surface, and the
// virtual back buffer in place of the back buffer.
inline void SubstituteSurface(DDSURFACEDATA** sd) {
  DDUseLinkSD(sd);
  DDRedirectBackBuffer(sd);
}

// The device draws the effect when the target is a render target and the
// source a texture it can read; every other case goes through the CPU.
inline bool TakesQuadPath(const DDSURFACEDATA* dst, const DDSURFACEDATA* src) {
  return lpDTCon && dst->lpDT && src->lpDT && dst->lpDT->lpTexture && src->lpDT->lpTexture &&
         dst->lpDT->bRenderTarget && src->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM;
}

// Runs draw() with the scene begun and the target set, then sets the
// context's target back; nothing is drawn when either step fails.
template <typename Draw>
void OnRenderTarget(DDSURFACEDATA* dst, Draw draw) {
  if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return;
  draw();
  DDSetRenderTarget(0, lpDTCon->lpTarget);
}

// The two surfaces of one software effect, linked and redirected as every
// software path reaches them; unlocked when this goes out of scope.
struct EffectLocks {
  EffectLocks(DDSURFACEDATA* dst, DDSURFACEDATA* src) : target(dst), source(src) {}
  bool Ok() const { return target.m_lpBits && source.m_lpBits; }
  platform::display::PixelBuffer& Out() const { return *target.Pixels(); }
  const platform::display::PixelBuffer& In() const { return *source.Pixels(); }
  // Direct3D 16-bit software path onto the full-screen back buffer: pixels
  // there are R5G6B5 while the textures are A1R5G5B5.
  bool FullScreenTarget() const { return lpDTCon && nBpp == 16 && DDIsFullScreenBackBuffer(target.m_lpSD); }

  cSurfaceLock target;
  cSurfaceLock source;
};

// A run [first, last) of offsets k with 0 <= a + k < limitA and 0 <= b + k < limitB, inside [0, count).
struct OffsetRun {
  int first = 0, last = 0;
};
inline OffsetRun InsideBoth(int count, int a, int limitA, int b, int limitB) {
  const long long first = std::max({0LL, -static_cast<long long>(a), -static_cast<long long>(b)});
  const long long last =
      std::min({static_cast<long long>(count), static_cast<long long>(limitA) - a, static_cast<long long>(limitB) - b});
  return {static_cast<int>(first), static_cast<int>(std::max(first, last))};
}

// Calls visit(j, i, targetPixel, sourcePixel) for every (j, i) of the w x h
// rectangle whose target pixel (x + j, y + i) and source pixel (sx + j, sy + i)
// both lie inside their surfaces; targetPixel points at the target's bytes.
template <typename Visit>
void ForEachPixel(const EffectLocks& locks, int x, int y, int w, int h, int sx, int sy, Visit visit) {
  platform::display::PixelBuffer& out = locks.Out();
  const platform::display::PixelBuffer& in = locks.In();
  const OffsetRun rows = InsideBoth(h, y, out.Height(), sy, in.Height());
  const OffsetRun columns = InsideBoth(w, x, out.Width(), sx, in.Width());
  const int outBytes = out.BytesPerPixel();
  for (int i = rows.first; i < rows.last; ++i) {
    BYTE* target = out.Row(y + i) + static_cast<std::ptrdiff_t>(x + columns.first) * outBytes;
    for (int j = columns.first; j < columns.last; ++j, target += outBytes) visit(j, i, target, in.Get(sx + j, sy + i));
  }
}

// The transparency test of a source pixel on the software paths of this mode:
// Direct3D 16-bit bits 15 and 13 clear, Direct3D 32-bit alpha byte 0,
// DirectDraw (and 8-bit) the transmit colour.
inline bool IsTransparentPixel(DWORD pixel) {
  if (lpDTCon) return nBpp == 16 ? (pixel & 0xA000) == 0 : (pixel >> 24) == 0;
  return pixel == dwTransmit;
}

// Red, green and blue of a pixel: raw channel values of a 16-bit format, or
// bytes 2, 1 and 0 of a 32-bit pixel.
struct Channels {
  int r = 0, g = 0, b = 0;
};
inline Channels Decode(DWORD pixel) {
  if (nBpp != 16)
    return {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)};
  const PIXELFORMATDATA& f = SurfaceFormat;
  return {static_cast<int>(pixel >> f.nRedShift) & f.nRedMask, static_cast<int>(pixel >> f.nGreenShift) & f.nGreenMask,
          static_cast<int>(pixel >> f.nBlueShift) & f.nBlueMask};
}
// Masked 16-bit channels without the alpha bit, or bytes 2, 1, 0 (byte 3 zero).
inline DWORD Encode(Channels c) {
  if (nBpp != 16) return static_cast<DWORD>((c.r & 0xFF) << 16 | (c.g & 0xFF) << 8 | (c.b & 0xFF));
  const PIXELFORMATDATA& f = SurfaceFormat;
  return static_cast<DWORD>((c.r & f.nRedMask) << f.nRedShift | (c.g & f.nGreenMask) << f.nGreenShift |
                            (c.b & f.nBlueMask) << f.nBlueShift);
}
// The alpha bit a written 16-bit texture pixel carries.
inline DWORD AlphaBit() { return static_cast<DWORD>((SurfaceFormat.nAlphaMask & 1) << SurfaceFormat.nAlphaShift); }
// 16-bit channels widened to bytes and narrowed back, with integer division.
inline Channels Expand(Channels c) {
  const PIXELFORMATDATA& f = SurfaceFormat;
  return {c.r * 255 / std::max(f.nRedMask, 1), c.g * 255 / std::max(f.nGreenMask, 1),
          c.b * 255 / std::max(f.nBlueMask, 1)};
}
inline Channels Narrow(Channels c) {
  const PIXELFORMATDATA& f = SurfaceFormat;
  return {c.r * f.nRedMask / 255, c.g * f.nGreenMask / 255, c.b * f.nBlueMask / 255};
}
// A pixel of the full-screen R5G6B5 back buffer from 5-bit red and blue and a 6-bit green.
inline DWORD FullScreenPixel(int r, int g6, int b) {
  return static_cast<DWORD>((r & 31) << 11 | (g6 & 63) << 5 | (b & 31));
}
// A Direct3D 16-bit texture pixel's channels as the full-screen back buffer takes them (green doubled).
inline DWORD FullScreenPixel(Channels c) { return FullScreenPixel(c.r, 2 * c.g, c.b); }

// A 32-bit pixel with bytes 2, 1, 0 replaced and byte 3 given.
inline DWORD WithColour(Channels c, DWORD byte3) { return (byte3 << 24) | Encode(c); }

inline void Store(BYTE* target, int bytes, DWORD pixel) {
  platform::display::PixelBuffer::WritePixel(target, bytes, pixel);
}
inline DWORD Load(const BYTE* target, int bytes) { return platform::display::PixelBuffer::ReadPixel(target, bytes); }
