// Effect blits that change colours: the tint toward a palette colour in four
// strengths, the half-and-half blend with the target, and the colour filter
// over the whole target; with the blend table of 8-bit mode.
#include <cstdio>
#include <memory>

#include "library/draw/DrawInternal.h"
#include "library/draw/EffectWalk.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/HostPath.h"

using platform::display::Quad;
using platform::display::TextureStage;

HBTTABLE HbtTable{};

namespace {

// The stages' texture-factor weight of the tint levels on the quad path and
// on the software path.
DWORD QuadTintWeight(int level) {
  constexpr DWORD kWeights[] = {128, 80, 48, 16};
  return level >= 1 && level <= 4 ? kWeights[level - 1] : 0;
}
int SoftwareTintWeight(int level) {
  constexpr int kWeights[] = {128, 64, 32, 16};
  return level >= 1 && level <= 4 ? kWeights[level - 1] : 0;
}

// A map of 256 values applied `times` times, by repeated squaring, so that
// any count costs a few hundred steps.
template <typename Step>
std::array<int, 256> Iterated(Step step, int times) {
  std::array<int, 256> result{}, power{};
  for (int v = 0; v < 256; ++v) result[v] = v, power[v] = step(v);
  for (unsigned n = static_cast<unsigned>(times); n; n >>= 1) {
    if (n & 1)
      for (int& v : result) v = power[static_cast<size_t>(v)];
    std::array<int, 256> squared{};
    for (int v = 0; v < 256; ++v) squared[static_cast<size_t>(v)] = power[static_cast<size_t>(power[v])];
    power = squared;
  }
  return result;
}

// Moves a byte channel halfway toward `colour`, `times` times.
std::array<int, 256> HalvingsToward(int colour, int times) {
  return Iterated([colour](int c) { return (c + colour) >> 1; }, times);
}

void TintDirect3D(const EffectLocks& locks, int x, int y, int w, int h, int sx, int sy, int bTransmit,
                  const PALETTEENTRY& entry, int level) {
  const float f = static_cast<float>(SoftwareTintWeight(level)) / 255.0f;
  const bool sixteen = nBpp == 16, fullScreen = locks.FullScreenTarget();
  const PIXELFORMATDATA& fmt = SurfaceFormat;
  const Channels colour = sixteen ? Channels{entry.peRed * fmt.nRedMask / 255, entry.peGreen * fmt.nGreenMask / 255,
                                             entry.peBlue * fmt.nBlueMask / 255}
                                  : Channels{entry.peRed, entry.peGreen, entry.peBlue};
  auto mix = [&](int s, int c) {
    return level == 1 ? (s + c) >> 1 : static_cast<int>(static_cast<float>(s) * f + static_cast<float>(c) * (1 - f));
  };
  const int bytes = locks.Out().BytesPerPixel();
  ForEachPixel(locks, x, y, w, h, sx, sy, [&](int, int, BYTE* out, DWORD pixel) {
    if (bTransmit == 1 && IsTransparentPixel(pixel)) return;
    const Channels s = Decode(pixel);
    const Channels t{mix(s.r, colour.r), mix(s.g, colour.g), mix(s.b, colour.b)};
    if (!sixteen)
      Store(out, bytes, WithColour(t, 0xFF));
    else if (fullScreen)
      Store(out, bytes, FullScreenPixel(t.r, level == 1 ? s.g + colour.g : 2 * t.g, t.b));
    else
      Store(out, bytes, Encode(t) | AlphaBit());
  });
}

void TintDirectDraw(const EffectLocks& locks, int x, int y, int w, int h, int sx, int sy, int bTransmit,
                    const PALETTEENTRY& entry, const HBTTABLE& table, int colourNumber, int level) {
  const int bytes = locks.Out().BytesPerPixel();
  const int times = std::max(level, 0);
  if (nBpp == 8) {
    const auto index = Iterated([&](int i) { return table[static_cast<size_t>(i * 256 + colourNumber)]; }, times);
    ForEachPixel(locks, x, y, w, h, sx, sy, [&](int, int, BYTE* out, DWORD pixel) {
      if (bTransmit == 1 && pixel == dwTransmit) return;
      *out = static_cast<BYTE>(index[pixel & 0xFF]);
    });
    return;
  }
  const bool sixteen = nBpp == 16;
  const Channels colour =
      sixteen ? Expand({entry.peRed, entry.peGreen, entry.peBlue}) : Channels{entry.peRed, entry.peGreen, entry.peBlue};
  const auto red = HalvingsToward(colour.r, times), green = HalvingsToward(colour.g, times),
             blue = HalvingsToward(colour.b, times);
  ForEachPixel(locks, x, y, w, h, sx, sy, [&](int, int, BYTE* out, DWORD pixel) {
    if (bTransmit == 1 && pixel == dwTransmit) return;
    const Channels s = sixteen ? Expand(Decode(pixel)) : Decode(pixel);
    const Channels t{red[static_cast<size_t>(s.r)], green[static_cast<size_t>(s.g)], blue[static_cast<size_t>(s.b)]};
    Store(out, bytes, sixteen ? Encode(Narrow(t)) : WithColour(t, Load(out, bytes) >> 24));
  });
}

void HalfBlend(const EffectLocks& locks, int x, int y, int w, int h, int sx, int sy, int bTransmit,
               const HBTTABLE& table) {
  const int bytes = locks.Out().BytesPerPixel();
  const bool fullScreen = locks.FullScreenTarget();
  auto average = [](Channels a, Channels b) { return Channels{(a.r + b.r) >> 1, (a.g + b.g) >> 1, (a.b + b.b) >> 1}; };
  ForEachPixel(locks, x, y, w, h, sx, sy, [&](int, int, BYTE* out, DWORD pixel) {
    const DWORD target = Load(out, bytes);
    if (!lpDTCon && nBpp == 8) {
      // Index 0 is the 8-bit key here: a keyed source 0 is skipped, a target 0 takes the source.
      if (bTransmit == 1 && pixel == 0) return;
      *out = target == 0 ? static_cast<BYTE>(pixel) : table[static_cast<size_t>(target * 256 + (pixel & 0xFF))];
      return;
    }
    if (bTransmit == 1 && IsTransparentPixel(pixel)) return;
    const Channels s = Decode(pixel);
    if (lpDTCon && fullScreen) {
      const int tr = static_cast<int>(target >> 11 & 31), tg = static_cast<int>(target >> 5 & 63),
                tb = static_cast<int>(target & 31);
      Store(out, bytes, FullScreenPixel((s.r + tr) >> 1, (tg + 2 * s.g) >> 1, (s.b + tb) >> 1));
    } else if (lpDTCon) {
      const Channels mixed = average(s, Decode(target));
      Store(out, bytes, nBpp == 16 ? Encode(mixed) | AlphaBit() : WithColour(mixed, 0xFF));
    } else if (nBpp == 16) {
      Store(out, bytes, target == dwTransmit ? pixel : Encode(Narrow(average(Expand(s), Expand(Decode(target))))));
    } else {
      Store(out, bytes, WithColour(target == dwTransmit ? s : average(s, Decode(target)), target >> 24));
    }
  });
}

// The quad path: one quad of the source through the stage onto the target.
bool DrawEffectQuad(DDSURFACEDATA* dst, const platform::display::Texture* texture, const Quad& quad,
                    const TextureStage& stage, DWORD factor) {
  OnRenderTarget(dst, [&] {
    lpDevice->SetTextureStage(stage);
    lpDevice->SetTextureFactor(factor);
    lpDevice->DrawQuads(texture, {&quad, 1});
  });
  return true;
}

// Common rule 1 for a Direct3D effect: the mirror resolved, both surfaces substituted.
void PrepareDirect3D(DDSURFACEDATA** dst, DDSURFACEDATA** src, int* sx, int* sy, int* sw, int* sh) {
  DDResolveMirror(*src, sx, sy, sw, sh);
  SubstituteSurface(src);
  SubstituteSurface(dst);
}

}  // namespace

bool DDIsFullScreenBackBuffer(const DDSURFACEDATA* sd) { return sd == &BackBuffer && bWindowMode == 0; }

bool DDLoadHbtTable(HBTTABLE& table, std::string_view file) {
  if (lpDTCon) return true;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenFile(file, "rb"), &std::fclose);
  if (!in) return false;
  // A short file fills what it holds; the rest of the table stays.
  std::fread(table.data(), 1, table.size(), in.get());
  return true;
}

bool DDBltTint(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const PALETTEENTRY* palette, const HBTTABLE& table, int colour, int level) {
  if (!dst || !src || !palette || level == 0 || (lpDTCon && level < 0)) return true;
  colour &= 0xFF;
  const PALETTEENTRY& entry = palette[colour];
  if (lpDTCon) {
    int sw = w, sh = h;
    PrepareDirect3D(&dst, &src, &sx, &sy, &sw, &sh);
    if (TakesQuadPath(dst, src)) {
      const DWORD factor = QuadTintWeight(level) << 24 | static_cast<DWORD>(entry.peRed) << 16 |
                           static_cast<DWORD>(entry.peGreen) << 8 | entry.peBlue;
      const TextureStage stage{D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR,
                               D3DTOP_SELECTARG1,       D3DTA_TEXTURE, D3DTA_DIFFUSE};
      return DrawEffectQuad(dst, src->lpDT->lpTexture.get(), {x, y, w, h, sx, sy, sw, sh}, stage, factor);
    }
  }
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  if (lpDTCon)
    TintDirect3D(locks, x, y, w, h, sx, sy, bTransmit, entry, level);
  else
    TintDirectDraw(locks, x, y, w, h, sx, sy, bTransmit, entry, table, colour, level);
  return true;
}

bool DDBltHalf(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const HBTTABLE& table) {
  return DDBltAlpha(dst, x, y, w, h, src, sx, sy, bTransmit, table, 128);
}

bool DDBltAlpha(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
                const HBTTABLE& table, int alpha) {
  if (!dst || !src) return true;
  if (lpDTCon) {
    int sw = w, sh = h;
    PrepareDirect3D(&dst, &src, &sx, &sy, &sw, &sh);
    if (TakesQuadPath(dst, src)) {
      const DWORD opacity = static_cast<DWORD>(255 - std::clamp(alpha, 0, 255));
      const TextureStage stage{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                               D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE};
      return DrawEffectQuad(dst, src->lpDT->lpTexture.get(), {x, y, w, h, sx, sy, sw, sh, opacity << 24 | 0xFFFFFF},
                            stage, 0xFFFFFFFF);
    }
  }
  const EffectLocks locks(dst, src);
  if (!locks.Ok()) return false;
  HalfBlend(locks, x, y, w, h, sx, sy, bTransmit, table);
  return true;
}

int DDChangeColor(DDSURFACEDATA* dst, int x, int y, int w, int h, int nAlpha, BYTE red, BYTE green, BYTE blue) {
  return DDChangeColorSrc(dst, x, y, w, h, dst, nAlpha, red, green, blue);
}

int DDChangeColorSrc(DDSURFACEDATA* dst, int /*x*/, int /*y*/, int /*w*/, int /*h*/, DDSURFACEDATA* src, int nAlpha,
                     BYTE red, BYTE green, BYTE blue) {
  if (!lpDTCon) {
    static const std::string kUnsupported = Sjis(
        "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int nAlpha,BYTE "
        "bRed,BYTE bGreen,BYTE bBlue) は未対応");
    ReportLogEcText(kUnsupported);
    return 1;
  }
  if (!dst || !src) return 1;
  SubstituteSurface(&src);
  SubstituteSurface(&dst);
  // Only a render target can be drawn on; the source must be a texture.
  if (!dst->lpDT || !src->lpDT || !dst->lpDT->lpTexture || !src->lpDT->lpTexture || !dst->lpDT->bRenderTarget) return 1;
  const platform::display::Texture* texture = src->lpDT->lpTexture.get();
  // A target that is its own source is read from a copy, so that no texel is read after it was written.
  std::unique_ptr<platform::display::Texture> snapshot;
  if (src->lpDT->lpTexture == dst->lpDT->lpTexture) {
    snapshot = std::make_unique<platform::display::Texture>(
        texture->Pixels().Format(), texture->Width(), texture->Height(), platform::display::Pool::SystemMem, false);
    snapshot->Pixels() = texture->Pixels();
    texture = snapshot.get();
  }
  const DWORD diffuse = static_cast<DWORD>(255 - std::clamp(nAlpha, 0, 255)) << 24 | static_cast<DWORD>(red) << 16 |
                        static_cast<DWORD>(green) << 8 | blue;
  const TextureStage stage{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                           D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE};
  DrawEffectQuad(dst, texture, {0, 0, dst->nWidth, dst->nHeight, 0, 0, dst->nWidth, dst->nHeight, diffuse}, stage,
                 0xFFFFFFFF);
  return 1;
}
