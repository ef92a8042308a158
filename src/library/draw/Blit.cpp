#include <cstdlib>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Log.h"

using platform::display::PixelBuffer;
using platform::display::PixelFormat;
using platform::display::Quad;
using platform::display::TextureStage;

namespace {

// One axis of a copy: destination run [d, d + dw) reads |sw| source
// positions from s, leftwards (or upwards) when sw is negative.
struct Axis {
  int d, dw, s, sw;
};

int Sign(int v) { return v < 0 ? -1 : 1; }

// Cuts the source run to [0, limit) and the destination in proportion.
bool CutSource(Axis& a, int limit) {
  int n = std::abs(a.sw);
  const long long lo = a.sw > 0 ? a.s : static_cast<long long>(a.s) + a.sw;
  const long long cutLo = std::max(0LL, -lo), cutHi = std::max(0LL, lo + n - limit);
  if (cutLo + cutHi >= n) return false;
  if (cutLo + cutHi == 0) return a.dw > 0;  // most copies lie inside: no divisions
  const long long startCut = a.sw > 0 ? cutLo : cutHi, endCut = a.sw > 0 ? cutHi : cutLo;
  const int dStart = static_cast<int>(startCut * a.dw / n), dEnd = static_cast<int>(endCut * a.dw / n);
  a.d += dStart;
  a.dw -= dStart + dEnd;
  a.s += Sign(a.sw) * static_cast<int>(startCut);
  n -= static_cast<int>(startCut + endCut);
  a.sw = Sign(a.sw) * n;
  return a.dw > 0;
}

// Cuts the destination run to [0, limit) on both sides and the source in proportion.
bool CutDestination(Axis& a, int limit) {
  const long long cutLo = std::max(0LL, -static_cast<long long>(a.d)),
                  cutHi = std::max(0LL, static_cast<long long>(a.d) + a.dw - limit);
  if (cutLo + cutHi >= a.dw) return false;
  if (cutLo + cutHi == 0) return a.sw != 0;
  int n = std::abs(a.sw);
  const int sStart = static_cast<int>(cutLo * n / a.dw), sEnd = static_cast<int>(cutHi * n / a.dw);
  a.d += static_cast<int>(cutLo);
  a.dw -= static_cast<int>(cutLo + cutHi);
  a.s += Sign(a.sw) * sStart;
  n -= sStart + sEnd;
  a.sw = Sign(a.sw) * n;
  return n > 0;
}

int BltDirectDraw(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                  int bTransmit, bool fast) {
  if (!dst->lpDDS || !src->lpDDS || !dst->lpDDS->lpSurface || !src->lpDDS->lpSurface) return 0;
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  // DirectDraw cannot mirror: a negative size is an invalid rectangle.
  const RECT from{sx, sy, sx + sw, sy + sh};
  const HRESULT hr =
      fast ? platform::display::BltFast(*dst->lpDDS->lpSurface, x, y, *src->lpDDS->lpSurface, from, bTransmit == 1)
           : platform::display::Blt(*dst->lpDDS->lpSurface, RECT{x, y, x + w, y + h}, *src->lpDDS->lpSurface, from,
                                    bTransmit == 1);
  return hr == DD_OK;
}

bool Transparent(DWORD pixel) { return nBpp == 16 ? !(pixel & 0x8000) : (pixel >> 24) == 0; }

// The copy through the CPU, for surfaces the device cannot draw with.
int CopyThroughCpu(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                   int bTransmit) {
  cSurfaceLock to(dst), from(src);
  if (!to.m_lpBits || !from.m_lpBits || w <= 0 || h <= 0) return 0;
  PixelBuffer& out = *to.Pixels();
  const PixelBuffer& in = *from.Pixels();
  const bool widenGreen = nBpp == 16 && out.Format() == PixelFormat::R5G6B5 && to.m_lpSD == &BackBuffer;
  auto sourcePosition = [](int s, int k, int size, int count) {
    if (size == count) return s + k;
    const int offset = static_cast<int>(static_cast<long long>(k) * size / count);
    return size < 0 ? s + offset - 1 : s + offset;
  };
  for (int j = 0; j < h; ++j) {
    const int ty = y + j, fy = sourcePosition(sy, j, sh, h);
    if (ty < 0 || ty >= out.Height() || fy < 0 || fy >= in.Height()) continue;
    for (int k = 0; k < w; ++k) {
      const int tx = x + k, fx = sourcePosition(sx, k, sw, w);
      if (tx < 0 || tx >= out.Width() || fx < 0 || fx >= in.Width()) continue;
      DWORD pixel = in.Get(fx, fy);
      if (bTransmit == 1 && Transparent(pixel)) continue;
      if (widenGreen) pixel = (pixel >> 10 & 31) << 11 | (pixel >> 5 & 31) * 2 << 5 | (pixel & 31);
      out.Put(tx, ty, pixel);
    }
  }
  return 1;
}

}  // namespace

DWORD TransmitClearColour(const DDSURFACEDATA* target) {
  // The 16-bit back buffer clears to the transmit colour as ARGB, like the 32-bit one.
  return target == &BackBuffer ? lpDTCon->dwTransmitKey : lpDTCon->dwTransmitTex;
}

int DrawCopies(DDSURFACEDATA* dst, DDSURFACEDATA* src, std::span<const Quad> quads, int bTransmit, DWORD colorOp,
               DWORD alphaOp) {
  // A batch flushed after a loss may name surfaces that have no texture now.
  if (!src->lpDT || !src->lpDT->lpTexture || !dst->lpDT || !dst->lpDT->lpTexture) return 0;
  if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return 0;
  lpDevice->SetTextureStage({colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, alphaOp, D3DTA_TEXTURE, D3DTA_DIFFUSE});
  // An unkeyed copy of a sheet with a transmit colour shows that colour where the sheet is transparent.
  if (bTransmit == 0 && src->lpDT->bTransmit && (nBpp == 16 || nBpp == 32))
    lpDevice->ClearAndDrawQuads(src->lpDT->lpTexture.get(), quads, TransmitClearColour(dst));
  else
    lpDevice->DrawQuads(src->lpDT->lpTexture.get(), quads);
  DDSetRenderTarget(0, lpDTCon->lpTarget);
  return 1;
}

int DrawFills(DDSURFACEDATA* dst, std::span<const Quad> quads, const TextureStage& stage, DWORD factor) {
  if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return 0;
  lpDevice->SetTextureStage(stage);
  lpDevice->SetTextureFactor(factor);
  lpDevice->DrawQuads(nullptr, quads);
  DDSetRenderTarget(0, lpDTCon->lpTarget);
  return 1;
}

bool DDClipBlt(DDSURFACEDATA* dst, int* x, int* y, int* w, int* h, DDSURFACEDATA* src, int* sx, int* sy, int* sw,
               int* sh) {
  if (*w <= 0 || *h <= 0 || *sw == 0 || *sh == 0) return false;
  Axis ax{*x, *w, *sx, *sw}, ay{*y, *h, *sy, *sh};
  const bool unscaled = *sw == *w && *sh == *h;
  if (!CutSource(ax, src->nWidth) || !CutSource(ay, src->nHeight)) return false;
  // Both sides are cut (a copy hanging over the left and the right edge at
  // once stays drawable); a scaled Direct3D copy leaves the rest to the device.
  if ((unscaled || !lpDTCon) && (!CutDestination(ax, dst->nWidth) || !CutDestination(ay, dst->nHeight))) return false;
  *x = ax.d;
  *w = ax.dw;
  *sx = ax.s;
  *sw = ax.sw;
  *y = ay.d;
  *h = ay.dw;
  *sy = ay.s;
  *sh = ay.sw;
  return *w > 0 && *h > 0;
}

void DDResolveMirror(DDSURFACEDATA* src, int* sx, int* sy, int* sw, int* sh) {
  if (!lpDTCon || !src || !src->lpLinkSD) return;
  auto resolve = [](int cell, int* s, int* size) {
    if (cell == 0 || *size > cell) return;
    *s = *size == cell ? *s + cell : *s + cell - 2 * (*s % cell);
    *size = -*size;
  };
  resolve(src->nMirrorWidth, sx, sw);
  resolve(src->nMirrorHeight, sy, sh);
}

void DDUseLinkSD(DDSURFACEDATA** sd) {
  if (lpDTCon && *sd && (*sd)->lpLinkSD) *sd = (*sd)->lpLinkSD;
}

int DDBltStretch(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                 int bTransmit) {
  if (!dst || !src) return 0;
  if (!lpDTCon) return lpDDCon ? BltDirectDraw(dst, x, y, w, h, src, sx, sy, sw, sh, bTransmit, false) : 0;
  DDResolveMirror(src, &sx, &sy, &sw, &sh);
  DDUseLinkSD(&src);
  DDUseLinkSD(&dst);
  if (lpDTCon->bCopyingVirBackBuffer) {
    dst = &BackBuffer;
    src = &VirBackBuffer;
  } else {
    DDRedirectBackBuffer(&dst);
    DDRedirectBackBuffer(&src);
  }
  if (!dst->lpDT || !src->lpDT || !dst->lpDT->lpTexture || !src->lpDT->lpTexture) return 0;
  if (!dst->lpDT->bRenderTarget || src->lpDT->nMemoryType == DTMEMORYTYPE_SYSTEM)
    return CopyThroughCpu(dst, x, y, w, h, src, sx, sy, sw, sh, bTransmit);
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  if (SpriteBatchOn()) {
    QueueSprite(dst, src, x, y, w, h, sx, sy, sw, sh, bTransmit);
    return 1;
  }
  const Quad quad{x, y, w, h, sx, sy, sw, sh, lpDTCon->dwDrawColor};
  return DrawCopies(dst, src, {&quad, 1}, bTransmit, lpDTCon->dwColorOp, lpDTCon->dwAlphaOp);
}

int DDBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit) {
  if (!dst || !src) return 0;
  if (!lpDTCon) return lpDDCon ? BltDirectDraw(dst, x, y, w, h, src, sx, sy, w, h, bTransmit, true) : 0;
  return DDBltStretch(dst, x, y, w, h, src, sx, sy, w, h, bTransmit);
}

int DDBltColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const DRAWSTATE& state) {
  return DDBltStretchColor(dst, x, y, w, h, src, sx, sy, w, h, bTransmit, state);
}

int DDBltStretchColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                      int sh, int bTransmit, const DRAWSTATE& state) {
  if (!lpDTCon) return DDBltStretch(dst, x, y, w, h, src, sx, sy, sw, sh, bTransmit);
  DDSetDrawColor(state.dwColor);
  DDSetColorOp(state.dwColorOp);
  const int result = DDBltStretch(dst, x, y, w, h, src, sx, sy, sw, sh, bTransmit);
  DDResetDrawColor();
  DDResetColorOp();
  return result;
}

int DDFillRectColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD colour) {
  if (!dst) return 0;
  if (!lpDTCon) {
    if (!dst->lpDDS || !dst->lpDDS->lpSurface) return 0;
    if (!platform::display::ClipToArea(x, y, w, h, dst->nWidth, dst->nHeight)) return 0;
    return platform::display::ColorFill(*dst->lpDDS->lpSurface, RECT{x, y, x + w, y + h}, colour) == DD_OK;
  }
  DDUseLinkSD(&dst);
  DDRedirectBackBuffer(&dst);
  if (!dst->lpDT || !dst->lpDT->lpTexture) return 0;
  if (!platform::display::ClipToArea(x, y, w, h, dst->nWidth, dst->nHeight)) return 0;
  const DTDATA& dt = *dst->lpDT;
  if (dt.bRenderTarget) {
    if (dt.bTransmit && (nBpp == 16 || nBpp == 32) && colour == TransmitClearColour(dst)) {
      if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return 0;
      const RECT rect{x, y, x + w, y + h};
      lpDevice->Clear(&rect, colour);
      DDSetRenderTarget(0, lpDTCon->lpTarget);
      return 1;
    }
    if (RectBatchOn()) {
      QueueRect(dst, x, y, w, h, colour);
      return 1;
    }
    const Quad quad{x, y, w, h};
    const TextureStage stage{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR,
                             D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR};
    return DrawFills(dst, {&quad, 1}, stage, colour);
  }
  cSurfaceLock lock(dst);
  if (!lock.m_lpBits) return 0;
  const PIXELFORMATDATA& f = SurfaceFormat;
  auto scale = [&](int shift, int mask) { return ((colour >> shift & 0xFF) * static_cast<DWORD>(mask) / 255); };
  const DWORD pixel = nBpp == 16 ? scale(24, f.nAlphaMask) << f.nAlphaShift | scale(16, f.nRedMask) << f.nRedShift |
                                       scale(8, f.nGreenMask) << f.nGreenShift | scale(0, f.nBlueMask) << f.nBlueShift
                                 : colour;
  lock.Pixels()->Fill(x, y, w, h, pixel);
  return 1;
}

int DDFillRect(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD dwPalNum) {
  return DDFillRectColor(dst, x, y, w, h, PalNumToRGB(dwPalNum));
}

int DDFillSurface(DDSURFACEDATA* dst, DWORD dwPalNum) {
  return dst ? DDFillRect(dst, 0, 0, dst->nWidth, dst->nHeight, dwPalNum) : 0;
}

int DDFillSurfaceColor(DDSURFACEDATA* dst, DWORD colour) {
  return dst ? DDFillRectColor(dst, 0, 0, dst->nWidth, dst->nHeight, colour) : 0;
}

void DDSetDrawColor(DWORD argb) {
  if (lpDTCon) lpDTCon->dwDrawColor = argb;
}
void DDResetDrawColor() { DDSetDrawColor(0xFFFFFFFF); }
void DDSetColorOp(DWORD op) {
  if (lpDTCon) lpDTCon->dwColorOp = op;
}
void DDResetColorOp() { DDSetColorOp(D3DTOP_MODULATE); }
void DDSetAlphaOp(DWORD op) {
  if (lpDTCon) lpDTCon->dwAlphaOp = op;
}
void DDResetAlphaOp() { DDSetAlphaOp(D3DTOP_SELECTARG1); }

bool DDBeginScene() {
  if (!lpDTCon || !lpDevice) return false;
  if (lpDTCon->bInScene) return true;
  if (const HRESULT hr = lpDevice->BeginScene(); hr != D3D_OK) {
    ReportLogEc("BeginScene Err %x", static_cast<unsigned>(hr));
    return false;
  }
  lpDTCon->bInScene = 1;
  return true;
}

void DDEndScene() {
  if (!lpDTCon || !lpDTCon->bInScene) return;
  lpDevice->EndScene();
  lpDTCon->bInScene = 0;
}

bool DDSetRenderTarget(int /*reserved*/, DDSURFACEDATA* sd) {
  if (!lpDevice || !sd || !sd->lpDT || !sd->lpDT->bRenderTarget) return true;
  const HRESULT hr = lpDevice->SetRenderTarget(sd->lpDT->lpTexture.get());
  if (hr != D3D_OK) {
    ReportLogEc("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), sd->szFileName.c_str());
    return false;
  }
  return true;
}
