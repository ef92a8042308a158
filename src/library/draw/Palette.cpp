#include <algorithm>
#include <unordered_map>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Log.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"

using platform::display::PixelBuffer;

PALETTEENTRY ColorPalette[256];
PALETTEENTRY DispColorPalette[256];

namespace {

DWORD Rgb(const PALETTEENTRY& e) { return static_cast<DWORD>(e.peRed) << 16 | e.peGreen << 8 | e.peBlue; }

int Channel(DWORD pixel, int shift, int mask) { return static_cast<int>(pixel >> shift) & mask; }
int Widen(int channel, int mask) { return mask ? channel * 255 / mask : 0; }

// A temporary system-memory copy of a bitmap, without colour key.
bool LoadTemporary(DDSURFACEDATA* sd, std::string_view file) {
  return DDCheckSurfaceError(DDCreateSurfaceFromFile(sd, file, 0, nBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0));
}

void ReadTopLeftTransmit(const cSurfaceLock& lock, const platform::display::Bitmap& bitmap) {
  const DWORD pixel = lock.Pixels()->Get(0, 0);
  const DWORD topLeft = bitmap.Colour(0, 0);
  const RGBTRIPLE topLeftTriple{BYTE(topLeft), BYTE(topLeft >> 8), BYTE(topLeft >> 16)};
  const PIXELFORMATDATA& f = SurfaceFormat;
  if (lpDTCon && nBpp == 16) {
    dwTransmit = pixel;
    // Bitmaps are keyed with colour-table entry 0 of a palette bitmap; one
    // without a table keys with its top-left colour (never with black by default).
    lpDTCon->rgbPalette0 =
        bitmap.bitCount == 8 && !bitmap.palette.empty()
            ? RGBTRIPLE{BYTE(bitmap.palette[0]), BYTE(bitmap.palette[0] >> 8), BYTE(bitmap.palette[0] >> 16)}
            : topLeftTriple;
    DDSetTransmit(BYTE(Channel(pixel, f.nRedShift, f.nRedMask)), BYTE(Channel(pixel, f.nGreenShift, f.nGreenMask)),
                  BYTE(Channel(pixel, f.nBlueShift, f.nBlueMask)));
    EcLogf("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
  } else if (lpDTCon) {
    DDSetTransmit(BYTE(pixel >> 16), BYTE(pixel >> 8), BYTE(pixel));
  } else if (nBpp == 8 || nBpp == 16) {
    dwTransmit = pixel;
    // 24- and 32-bit sheets are keyed on this colour in 16-bit mode.
    if (nBpp == 16) lpDDCon->rgbPalette0 = topLeftTriple;
  } else if (nBpp == 32) {
    dwTransmit = pixel;
    lpDDCon->rgbTransmit = {BYTE(pixel), BYTE(pixel >> 8), BYTE(pixel >> 16)};
  }
}

}  // namespace

bool DDLoadPaletteFromFile(PALETTEENTRY* out, std::string_view file) {
  auto bitmap = LoadBitmapLogged(file);
  if (!bitmap) return false;
  const bool colourTable = bitmap->bitCount == 8;
  const int entries = std::min<int>(256, static_cast<int>(bitmap->palette.size()));
  if (lpDTCon && colourTable) {
    for (int i = 0; i < entries; ++i) {
      const DWORD c = bitmap->palette[i];
      out[i] = {BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 255};
    }
  }
  if (!lpDTCon && nBpp == 8) {
    if (colourTable) {
      for (int i = 0; i < entries; ++i) {
        const DWORD c = bitmap->palette[i];
        out[i] = {BYTE(c >> 16), BYTE(c >> 8), BYTE(c), BYTE(i < 10 || i >= 246 ? 2 : 1)};
      }
      if (lpDDPalette) lpDDPalette->SetEntries(0, 256, out);
    }
    return true;
  }
  if (nBpp == 16 || nBpp == 24 || nBpp == 32) {
    DDSURFACEDATA temporary;
    if (LoadTemporary(&temporary, file)) DDSetPalette_UnPal(out, &temporary);
    DDReleaseSurface(&temporary);
  }
  return true;
}

int DDSetTransmit(std::string_view file) {
  DDSURFACEDATA temporary;
  if (!LoadTemporary(&temporary, file)) {
    static const std::string kFailed = Sjis("%s 作成失敗！");
    EcLogf(kFailed.c_str(), std::string(file).c_str());
    DDReleaseSurface(&temporary);
    return 0;
  }
  auto bitmap = LoadBitmapLogged(file);
  {
    cSurfaceLock lock(&temporary);
    if (!lock.m_lpBits || !bitmap) {
      static const std::string kLockFailed = Sjis("Lock 失敗！");
      EcLog(kLockFailed);
      DDReleaseSurface(&temporary);
      return 0;
    }
    ReadTopLeftTransmit(lock, *bitmap);
  }
  DDReleaseSurface(&temporary);
  return 1;
}

void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue) {
  const PIXELFORMATDATA& f = SurfaceFormat;
  if (lpDTCon) {
    DTCON& con = *lpDTCon;
    // In 16-bit mode the channels come in the texture format's own range;
    // the ARGB forms need them widened to 8 bits.
    const bool sixteen = nBpp == 16;
    const BYTE red = sixteen ? BYTE(Widen(cbRed & f.nRedMask, f.nRedMask)) : cbRed;
    const BYTE green = sixteen ? BYTE(Widen(cbGreen & f.nGreenMask, f.nGreenMask)) : cbGreen;
    const BYTE blue = sixteen ? BYTE(Widen(cbBlue & f.nBlueMask, f.nBlueMask)) : cbBlue;
    con.rgbTransmit = {blue, green, red};
    EcLogf(
        "SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,"
        "lpDTCon->rgbTransmit.rgbtBlue = %d",
        red, green, blue);
    con.dwTransmitTex = 0;
    con.dwTransmitKey = 0xFF000000u | static_cast<DWORD>(red) << 16 | green << 8 | blue;
    con.wTransmit_16 = 0;
    con.wTransmit_16A = 0;
    if (sixteen) {
      con.wTransmit_16A = WORD((cbRed & f.nRedMask) << f.nRedShift | (cbGreen & f.nGreenMask) << f.nGreenShift |
                               (cbBlue & f.nBlueMask) << f.nBlueShift | (1 & f.nAlphaMask) << f.nAlphaShift);
    } else {
      dwTransmit = con.dwTransmitTex;
    }
    return;
  }
  if (!lpDDCon) return;
  if (nBpp == 16) {
    dwTransmit = (cbRed * f.nRedMask / 255) << f.nRedShift | (cbGreen * f.nGreenMask / 255) << f.nGreenShift |
                 (cbBlue * f.nBlueMask / 255) << f.nBlueShift;
    dwTransmit &= 0xFFFF;
    static const std::string kUnsupported =
        Sjis("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
    EcLog(kUnsupported);
    EcMesBoxf("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(dwTransmit), cbRed, cbGreen, cbBlue,
              Widen(Channel(dwTransmit, f.nRedShift, f.nRedMask), f.nRedMask),
              Widen(Channel(dwTransmit, f.nGreenShift, f.nGreenMask), f.nGreenMask),
              Widen(Channel(dwTransmit, f.nBlueShift, f.nBlueMask), f.nBlueMask));
  } else if (nBpp == 32) {
    dwTransmit = static_cast<DWORD>(cbRed) << f.nRedShift | cbGreen << f.nGreenShift | cbBlue << f.nBlueShift;
    lpDDCon->rgbTransmit = {cbBlue, cbGreen, cbRed};
  }
}

DWORD PalNumToRGB(DWORD n) {
  if (lpDTCon) {
    if (n > 255) {
      EcLogf("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %u", n);
      return 0;
    }
    return n == 0 ? lpDTCon->dwTransmitTex : 0xFF000000u | Rgb(ColorPalette[n]);
  }
  if (nBpp == 8) return n;
  const PALETTEENTRY& e = ColorPalette[n & 0xFF];
  if (nBpp == 16) {
    const PIXELFORMATDATA& f = SurfaceFormat;
    return static_cast<DWORD>((e.peRed & f.nRedMask) << f.nRedShift | (e.peGreen & f.nGreenMask) << f.nGreenShift |
                              (e.peBlue & f.nBlueMask) << f.nBlueShift);
  }
  return Rgb(e);
}

int DDCreatePalIndexMap(DDSURFACEDATA* sd) {
  cSurfaceLock lock(sd);
  if (!lock.m_lpBits) {
    EcLog("DDCreatePalIndexMap Lock Err");
    return 0;
  }
  const PixelBuffer& pixels = *lock.Pixels();
  std::vector<BYTE>& map = lpDTCon ? lock.m_lpSD->lpDT->lpPalIndex : lock.m_lpSD->lpDDS->lpPalIndex;
  map.assign(static_cast<std::size_t>(pixels.Height()) * lock.m_nPitch, 0);  // no match reads as entry 0
  // The first entry of each pixel value, in the surface's own pixel values.
  std::unordered_map<DWORD, BYTE> firstEntry;
  const PIXELFORMATDATA& f = SurfaceFormat;
  for (int i = 255; i >= 0; --i) {
    const PALETTEENTRY& e = ColorPalette[i];
    DWORD value = Rgb(e);
    if (nBpp == 16 && !lpDTCon) value = DDPalToRGB16(e);
    firstEntry[value] = BYTE(i);
  }
  const bool keyed = lpDTCon && lock.m_lpSD->lpDT->bTransmit;
  for (int y = 0; y < pixels.Height(); ++y) {
    for (int x = 0; x < pixels.Width(); ++x) {
      DWORD pixel = pixels.Get(x, y);
      if (nBpp == 16 && lpDTCon) {
        if (keyed && pixel == 0) continue;
        pixel = static_cast<DWORD>(Widen(Channel(pixel, f.nRedShift, f.nRedMask), f.nRedMask) << 16 |
                                   Widen(Channel(pixel, f.nGreenShift, f.nGreenMask), f.nGreenMask) << 8 |
                                   Widen(Channel(pixel, f.nBlueShift, f.nBlueMask), f.nBlueMask));
      } else if (nBpp != 16) {
        pixel &= 0xFFFFFF;
      }
      if (auto found = firstEntry.find(pixel); found != firstEntry.end())
        map[static_cast<std::size_t>(y) * lock.m_nPitch + x] = found->second;
    }
  }
  return 1;
}

int DDSetPalette_UnPal(PALETTEENTRY* out, DDSURFACEDATA* sd) {
  if (nBpp != 16 && nBpp != 32) return 1;
  cSurfaceLock lock(sd);
  if (!lock.m_lpBits) {
    if (lpDTCon) EcLog("DDSetPalette_UnPal Lock Err");
    return 1;
  }
  const PixelBuffer& pixels = *lock.Pixels();
  const PIXELFORMATDATA& f = SurfaceFormat;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (!pixels.Contains(x, 8 + y)) continue;
      const DWORD pixel = pixels.Get(x, 8 + y);
      PALETTEENTRY& e = out[y * 16 + x];
      if (nBpp == 32) {
        if (lpDTCon && (pixel >> 24) == 0) continue;  // transparent: the entry stays
        e = {BYTE(pixel >> 16), BYTE(pixel >> 8), BYTE(pixel), BYTE(pixel >> 24)};
        continue;
      }
      if (lpDTCon && Channel(pixel, f.nAlphaShift, f.nAlphaMask) == 0) continue;
      int r = Channel(pixel, f.nRedShift, f.nRedMask), g = Channel(pixel, f.nGreenShift, f.nGreenMask),
          b = Channel(pixel, f.nBlueShift, f.nBlueMask);
      if (lpDTCon) {
        r = Widen(r, f.nRedMask);
        g = Widen(g, f.nGreenMask);
        b = Widen(b, f.nBlueMask);
      }
      e.peRed = BYTE(r);
      e.peGreen = BYTE(g);
      e.peBlue = BYTE(b);
    }
  }
  return 1;
}

WORD DDPalToRGB16(const PALETTEENTRY& e) {
  if (lpDTCon) {
    static const std::string kUnsupported = Sjis("DDPalToRGB16はDirect3Dでは未対応");
    EcLog(kUnsupported);
    return 0;
  }
  const PIXELFORMATDATA& f = SurfaceFormat;
  return WORD((e.peBlue & f.nBlueMask) << f.nBlueShift | (e.peGreen & f.nGreenMask) << f.nGreenShift |
              (e.peRed & f.nRedMask) << f.nRedShift);
}
