#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Convert.h"
#include "library/util/Log.h"
#include "library/util/Text.h"

namespace {

// The fade angles in degrees, one per direction and back end, shared by all callers.
struct FadeAngles {
  double outD3D = 90.0, outDD = 90.0, inD3D = 0.0, inDD = 0.0;
} angles;

constexpr double kDegreesToRadians = 0.017453292519943295;

// The sine of the angle scaled to [0, scale], truncated toward zero.
int FadeLevel(double angle, double scale) { return DoubleToInt(scale * std::sin(angle * kDegreesToRadians)); }

// Darkens the screen (or the virtual back buffer) by a black quad of alpha 255 - a.
bool DrawFadeQuad(double angle) {
  const int a = FadeLevel(angle, 255.0);
  DDSURFACEDATA* target = &BackBuffer;
  DDRedirectBackBuffer(&target);
  const platform::display::Quad quad{
      0, 0, target->nWidth, target->nHeight, 0, 0, 0, 0, static_cast<DWORD>(255 - a) << 24};
  const platform::display::TextureStage stage{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                                              D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE};
  return DrawFills(target, {&quad, 1}, stage, 0) != 0;
}

void SaveFrameForFade() {
  if (nBpp != 8) DDBlt(&SysBackBuffer, 0, 0, BackBuffer.nWidth, BackBuffer.nHeight, &BackBuffer, 0, 0, 0);
}

void FadeDirectDraw(double angle, PALETTEENTRY* out, int first, int last, int red, int green, int blue,
                    const PALETTEENTRY* source) {
  const int w = FadeLevel(angle, 256.0);
  if (nBpp == 8) {
    DDPalBlend(out, first, last, w, red, green, blue, source);
    if (lpDDPalette && first <= last) lpDDPalette->SetEntries(first, last - first + 1, out + first);
  } else if (nBpp == 16 || nBpp == 24 || nBpp == 32) {
    DDFade_UnPal(&BackBuffer, w, BYTE(red), BYTE(green), BYTE(blue), &SysBackBuffer);
  }
}

bool StepOut(double& angle, double step) {
  if (angle > 0) {
    angle = std::max(angle - step, 0.0);
    return false;
  }
  angle = 90.0;
  return true;
}

bool StepIn(double& angle, double step) {
  if (angle < 90) {
    angle = std::min(angle + step, 90.0);
    return false;
  }
  angle = 0.0;
  return true;
}

bool RangeInside(int first, int last) { return first >= 0 && last <= 255 && first <= last + 1; }

}  // namespace

bool DDFadeOut(PALETTEENTRY* out, int first, int last, int red, int green, int blue, double step,
               const PALETTEENTRY* source, bool bEnd) {
  if (lpDTCon) {
    if (bEnd) angles.outD3D = 0;
    if (!DrawFadeQuad(angles.outD3D)) return false;
    return StepOut(angles.outD3D, step);
  }
  if (angles.outDD == 90.0) SaveFrameForFade();
  if (bEnd) angles.outDD = 0;
  FadeDirectDraw(angles.outDD, out, first, last, red, green, blue, source);
  return StepOut(angles.outDD, step);
}

bool DDFadeIn(PALETTEENTRY* out, int first, int last, int red, int green, int blue, double step,
              const PALETTEENTRY* source, bool bEnd) {
  if (lpDTCon) {
    if (bEnd) angles.inD3D = 90;
    if (!DrawFadeQuad(angles.inD3D)) return false;
    return StepIn(angles.inD3D, step);
  }
  if (angles.inDD == 0.0) SaveFrameForFade();
  if (bEnd) angles.inDD = 90;
  FadeDirectDraw(angles.inDD, out, first, last, red, green, blue, source);
  return StepIn(angles.inDD, step);
}

void DDPalBlend(PALETTEENTRY* out, int first, int last, int weight, int red, int green, int blue,
                const PALETTEENTRY* source) {
  if (!RangeInside(first, last) || first > last) return;
  std::memmove(out + first, source + first, static_cast<std::size_t>(last - first + 1) * sizeof(PALETTEENTRY));
  const int r = red & 0xFF, g = green & 0xFF, b = blue & 0xFF;
  for (int i = first; i <= last; ++i) {
    PALETTEENTRY& e = out[i];
    e.peRed = BYTE((e.peRed * weight + r * (256 - weight)) >> 8);
    e.peGreen = BYTE((e.peGreen * weight + g * (256 - weight)) >> 8);
    e.peBlue = BYTE((e.peBlue * weight + b * (256 - weight)) >> 8);
    e.peFlags = 1;
  }
}

void DDShowLoadedPalette() {
  std::copy(std::begin(ColorPalette), std::end(ColorPalette), DispColorPalette);
  if (lpDDPalette) lpDDPalette->SetEntries(0, 256, DispColorPalette);
}

void DDPalRotate(PALETTEENTRY* out, int first, int last, int count, int direction, const PALETTEENTRY* source) {
  if (nBpp != 8 && nBpp != 16 && nBpp != 32) return;
  std::memmove(out, source, 256 * sizeof(PALETTEENTRY));
  // Counts and ranges outside the callers' contract leave the copy alone.
  if (first < 0 || last > 255 || first > last || count <= 0 || count > last - first + 1) return;
  PALETTEENTRY* begin = out + first;
  PALETTEENTRY* end = out + last + 1;
  if (direction == 0) std::rotate(begin, end - count, end);
  if (direction == 1) std::rotate(begin, begin + count, end);
}

int DDFade_UnPal(DDSURFACEDATA* target, int weight, BYTE red, BYTE green, BYTE blue, DDSURFACEDATA* source) {
  if (lpDTCon) {
    static const std::string kUnsupported = Sjis("D3DではDDFade_UnPalは未対応");
    EcLog(kUnsupported);
    return 1;
  }
  BYTE* bits = nullptr;
  int pitch = 0;
  if (!DDLock(target, &bits, &pitch, nBpp) || !DDLock(source, &bits, &pitch, nBpp)) return 0;
  auto& to = target->lpDDS->lpSurface->Pixels();
  const auto& from = source->lpDDS->lpSurface->Pixels();
  const int width = std::min(target->nWidth, from.Width()), height = std::min(target->nHeight, from.Height());
  const PIXELFORMATDATA& f = SurfaceFormat;
  auto blend = [weight](int c, int colour) { return (c * weight + colour * (256 - weight)) >> 8; };
  for (int y = 0; nBpp == 16 && y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const DWORD pixel = from.Get(x, y);
      DWORD result = 0;
      for (auto [shift, mask, colour] :
           {std::tuple{f.nRedShift, f.nRedMask, red}, std::tuple{f.nGreenShift, f.nGreenMask, green},
            std::tuple{f.nBlueShift, f.nBlueMask, blue}}) {
        const int c8 = static_cast<int>(pixel >> shift & mask) * 255 / mask;
        result |= static_cast<DWORD>(blend(c8, colour) * mask / 255) << shift;
      }
      to.Put(x, y, result);
    }
  }
  for (int y = 0; nBpp == 32 && y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const DWORD pixel = from.Get(x, y);
      const DWORD keep = to.Get(x, y) & 0xFF000000u;
      to.Put(x, y,
             keep | static_cast<DWORD>(blend(pixel >> 16 & 0xFF, red)) << 16 |
                 static_cast<DWORD>(blend(pixel >> 8 & 0xFF, green)) << 8 |
                 static_cast<DWORD>(blend(pixel & 0xFF, blue)));
    }
  }
  return 1;
}
