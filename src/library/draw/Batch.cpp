#include <algorithm>
#include <vector>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/FrameTiming.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "platform/Clock.h"
#include "platform/display/FrameHandOver.h"

using platform::display::Quad;

// One queued copy and the draw state it was made with.
struct SPRITEBATCHDATA {
  int nKey = 0;
  DDSURFACEDATA* lpTarget = nullptr;
  DDSURFACEDATA* lpSource = nullptr;
  int x = 0, y = 0, w = 0, h = 0;
  int sx = 0, sy = 0, sw = 0, sh = 0;
  int bTransmit = 0;
  DWORD dwDrawColor = 0;
  DWORD dwColorOp = 0;
  DWORD dwAlphaOp = 0;
  int nReserved = 0;
};

// One queued fill.
struct RECTBATCHDATA {
  DDSURFACEDATA* lpTarget = nullptr;
  int x = 0, y = 0, w = 0, h = 0;
  DWORD dwColor = 0;
};

namespace {

struct SpriteBatch {
  bool on = false;
  bool sort = false;
  std::vector<SPRITEBATCHDATA> requests;
  std::vector<std::pair<DDSURFACEDATA*, int>> textureKeys;
  int submitted = 0;
} sprites;

struct RectBatch {
  bool on = false;
  std::vector<RECTBATCHDATA> fills;
} rects;

bool SameRun(const SPRITEBATCHDATA& a, const SPRITEBATCHDATA& b) {
  return a.lpTarget == b.lpTarget && a.lpSource == b.lpSource && a.bTransmit == b.bTransmit &&
         a.dwDrawColor == b.dwDrawColor && a.dwColorOp == b.dwColorOp && a.dwAlphaOp == b.dwAlphaOp &&
         a.nReserved == b.nReserved;
}

// Walks the entries in runs of consecutive equal ones.
template <typename Entry, typename Same, typename Draw>
bool ForEachRun(const std::vector<Entry>& entries, Same same, Draw draw) {
  bool all = true;
  for (std::size_t first = 0; first < entries.size();) {
    std::size_t end = first + 1;
    while (end < entries.size() && same(entries[first], entries[end])) ++end;
    all = draw(entries[first], std::span(entries).subspan(first, end - first)) && all;
    first = end;
  }
  return all;
}

void HandOverFrame(const platform::display::PixelBuffer& pixels, std::span<const PALETTEENTRY> palette) {
  if (platform::display::FrameHandOver::Instance().HandOver(pixels, palette) ==
      platform::display::HandOverResult::TakenLast)
    PostCloseToMainWindow();
}

}  // namespace

bool SpriteBatchOn() { return sprites.on; }
bool RectBatchOn() { return rects.on; }

void QueueSprite(DDSURFACEDATA* dst, DDSURFACEDATA* src, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                 int bTransmit) {
  int keyBase = 0;
  for (const auto& [source, base] : sprites.textureKeys)
    if (source == src) keyBase = base;
  sprites.requests.push_back({keyBase + sprites.submitted++, dst, src, x, y, w, h, sx, sy, sw, sh, bTransmit,
                              lpDTCon->dwDrawColor, lpDTCon->dwColorOp, lpDTCon->dwAlphaOp, 0});
}

void QueueRect(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD colour) {
  rects.fills.push_back({dst, x, y, w, h, colour});
}

void ResetBatches() {
  sprites = {};
  rects = {};
}

void DDBeginSpriteBatch(int bSort) {
  if (!lpDTCon) return;
  sprites = {};
  sprites.on = true;
  sprites.sort = bSort != 0;
}

int DDAddSpriteBatchTexture(DDSURFACEDATA* src) {
  if (!lpDTCon || !sprites.on || !sprites.sort || !src) return 0;
  // Requests name the surface they really draw from, so a linked sheet is
  // registered as the surface it is linked to.
  DDUseLinkSD(&src);
  for (const auto& [source, base] : sprites.textureKeys)
    if (source == src) return base;
  const int base = static_cast<int>(sprites.textureKeys.size() + 1) * 100000;
  sprites.textureKeys.emplace_back(src, base);
  return base;
}

int DDEndSpriteBatch() {
  if (!lpDTCon || !sprites.on) return 0;
  auto requests = std::move(sprites.requests);
  const bool sort = sprites.sort;
  sprites = {};  // the batch is off while its runs are drawn
  if (sort) std::sort(requests.begin(), requests.end(), [](const auto& a, const auto& b) { return a.nKey < b.nKey; });
  return ForEachRun(requests, SameRun, [](const SPRITEBATCHDATA& head, std::span<const SPRITEBATCHDATA> run) {
    std::vector<Quad> quads;
    quads.reserve(run.size());
    for (const auto& r : run) quads.push_back({r.x, r.y, r.w, r.h, r.sx, r.sy, r.sw, r.sh, r.dwDrawColor});
    return DrawCopies(head.lpTarget, head.lpSource, quads, head.bTransmit, head.dwColorOp, head.dwAlphaOp) != 0;
  });
}

void DDBeginRectBatch() {
  if (!lpDTCon) return;
  rects = {};
  rects.on = true;
}

void DDEndRectBatch() {
  if (!lpDTCon || !rects.on) return;
  auto fills = std::move(rects.fills);
  rects = {};
  ForEachRun(
      fills, [](const auto& a, const auto& b) { return a.lpTarget == b.lpTarget; },
      [](const RECTBATCHDATA& head, std::span<const RECTBATCHDATA> run) {
        std::vector<Quad> quads;
        quads.reserve(run.size());
        for (const auto& f : run) quads.push_back({f.x, f.y, f.w, f.h, 0, 0, 0, 0, f.dwColor});
        const platform::display::TextureStage stage{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                                    D3DTOP_DISABLE,    D3DTA_TEXTURE, D3DTA_DIFFUSE};
        return DrawFills(head.lpTarget, quads, stage, 0) != 0;
      });
}

void DDSetVirBackBuffer(int bOn) {
  if (!lpDTCon) return;
  if (!bOn && lpDTCon->bVirBackBuffer && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpTexture)
    DDCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
  lpDTCon->bVirBackBuffer = bOn;
  // The device returns to the surface that stands for the screen: the
  // virtual back buffer while it is on.
  lpDTCon->lpTarget = bOn ? &VirBackBuffer : &BackBuffer;
  if (lpDTCon->lpTarget->lpDT && lpDTCon->lpTarget->lpDT->lpTexture) DDSetRenderTarget(0, lpDTCon->lpTarget);
}

bool DDRedirectBackBuffer(DDSURFACEDATA** sd) {
  if (!lpDTCon || !lpDTCon->bVirBackBuffer || *sd != &BackBuffer) return false;
  *sd = &VirBackBuffer;
  return true;
}

void DDCopyVirBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
  lpDTCon->bCopyingVirBackBuffer = 1;
  DDSetAlphaOp(D3DTOP_DISABLE);
  DDBlt(dst, 0, 0, src->nWidth, src->nHeight, src, 0, 0, 0);
  DDResetAlphaOp();
  lpDTCon->bCopyingVirBackBuffer = 0;
}

bool DDPresent(int nFps, int bDisplay, DDSURFACEDATA* fontSheet) {
  if (!lpDTCon) return true;
  if (lpDTCon->bVirBackBuffer) DDCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
  // The frame-rate display of the limiter draws with the bitmap-sheet text,
  // which every caller leaves off (display flag 0, no sheet).
  (void)bDisplay;
  (void)fontSheet;
  // The vertical blank is waited for by the main thread's present, never by
  // this thread, so the limiter paces the frames whether vsync is on or not.
  while (!LimitFrameRate(static_cast<DWORD>(nFps))) Sleep(1);
  DDEndScene();
  if (lpDevice->Present() == D3DERR_DEVICELOST) return false;
  HandOverFrame(lpDevice->BackBuffer().Pixels(), {});
  return true;
}

bool DDPresentBackBuffer() {
  if (lpDTCon || !BackBuffer.lpDDS || !BackBuffer.lpDDS->lpSurface) return false;
  if (BackBuffer.lpDDS->lpSurface->IsLost() != DD_OK) return false;
  std::span<const PALETTEENTRY> palette;
  if (nBpp == 8 && lpDDPalette) palette = lpDDPalette->Entries();
  HandOverFrame(BackBuffer.lpDDS->lpSurface->Pixels(), palette);
  return true;
}
