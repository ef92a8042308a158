#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <utility>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/MesBox.h"
#include "library/util/Text.h"

using platform::display::Bitmap;
using platform::display::PixelBuffer;
using platform::display::PixelFormat;
using platform::display::Pool;

DDSURFACEDATA::DDSURFACEDATA(DDSURFACEDATA&& other) noexcept { *this = std::move(other); }

DDSURFACEDATA& DDSURFACEDATA::operator=(DDSURFACEDATA&& other) noexcept {
  if (this == &other) return *this;
  lstRestoreSD.remove(this);
  std::replace(lstRestoreSD.begin(), lstRestoreSD.end(), &other, this);
  lpDT = std::move(other.lpDT);
  lpDDS = std::move(other.lpDDS);
  szSurfaceType = std::exchange(other.szSurfaceType, {});
  szFileName = std::exchange(other.szFileName, {});
  nWidth = std::exchange(other.nWidth, 0);
  nHeight = std::exchange(other.nHeight, 0);
  nTexWidth = std::exchange(other.nTexWidth, 0);
  nTexHeight = std::exchange(other.nTexHeight, 0);
  bSystemMemory = std::exchange(other.bSystemMemory, 0);
  nMirrorWidth = std::exchange(other.nMirrorWidth, 0);
  nMirrorHeight = std::exchange(other.nMirrorHeight, 0);
  lpLinkSD = std::exchange(other.lpLinkSD, nullptr);
  bLost = std::exchange(other.bLost, 0);
  return *this;
}

// A record dropped without release leaves the list too. (The list is
// defined before the screen surfaces, so it outlives them at exit.)
DDSURFACEDATA::~DDSURFACEDATA() {
  if (lpDT) lstRestoreSD.remove(this);
}

PixelBuffer* SurfacePixels(DDSURFACEDATA* sd) {
  if (!sd) return nullptr;
  if (sd->lpDT) return sd->lpDT->lpTexture ? &sd->lpDT->lpTexture->Pixels() : nullptr;
  if (sd->lpDDS && sd->lpDDS->lpSurface) return &sd->lpDDS->lpSurface->Pixels();
  return nullptr;
}

std::optional<Bitmap> LoadBitmapLogged(std::string_view file) {
  std::string why;
  auto bitmap = platform::display::LoadBitmapFile(file, &why);
  if (!bitmap && !file.empty()) {
    const std::string name(file);
    ReportLogEc("LoadImage Err %s", name.c_str());
    ReportLogEc("%s: %s", name.c_str(), why.c_str());
  }
  return bitmap;
}

namespace {

// Stored size of a keyed blank or loaded texture, after the device's rules.
void TextureSize(int width, int height, int* texWidth, int* texHeight, const std::string& what) {
  *texWidth = width;
  *texHeight = height;
  DDAdjustTextureSize(texWidth, texHeight);
  if (!DDCheckTextureSize(*texWidth, *texHeight)) {
    static const std::string kWarning = Sjis("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)");
    ReportLogEc(kWarning.c_str(), what.c_str());
  }
}

bool CreateSurfaceD3D(DDSURFACEDATA* sd, int width, int height, int bTransmit, int bSystemMemory, int nMemoryType,
                      int bLinked, int bRecreate) {
  DDAllocHolder(sd);
  DTDATA& dt = *sd->lpDT;
  if (!bRecreate) {
    sd->szSurfaceType = "OffScreen";
    sd->szFileName = "E";
    dt.nMemoryType = nMemoryType;
    dt.lpTexture.reset();
    dt.bTransmit = bTransmit == 1;
    if (!bLinked) dt.nId = lpDTCon->nNextSurfaceId++;
  }
  sd->bSystemMemory = bSystemMemory;
  if (bLinked) {
    sd->nWidth = sd->nTexWidth = width;
    sd->nHeight = sd->nTexHeight = height;
    return true;
  }
  int texWidth, texHeight;
  TextureSize(width, height, &texWidth, &texHeight, Sjis("空"));
  int type = dt.nMemoryType == DTMEMORYTYPE_VIDEO_NORT ? DTMEMORYTYPE_VIDEO_RT : dt.nMemoryType;
  if (type == DTMEMORYTYPE_VIDEO_RT) {
    dt.bRenderTarget = 1;
    dt.lpTexture = lpDevice->CreateTexture(texWidth, texHeight, TexturePixelFormat(), Pool::Default, true);
    if (!dt.lpTexture) return false;
  } else if (!bRecreate || !dt.lpTexture) {
    dt.bRenderTarget = 0;
    dt.lpTexture = lpDevice->CreateTexture(texWidth, texHeight, TexturePixelFormat(), Pool::SystemMem, false);
    if (!dt.lpTexture) {
      ReportLogEc("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(D3DERR_INVALIDCALL));
      if (!lpDTCon->szTextureErrMes.empty()) ErrMesBox(lpDTCon->szTextureErrMes);
      PostCloseToMainWindow();
      return false;
    }
  }
  dt.nMemoryType = type;
  sd->nWidth = width;
  sd->nHeight = height;
  sd->nTexWidth = texWidth;
  sd->nTexHeight = texHeight;
  if (dt.bRenderTarget) {
    // A keyed work surface starts transparent, as under DirectDraw (where it
    // starts filled with the transmit colour, which its key hides); others
    // start in the opaque transmit colour.
    auto* previous = lpDevice->RenderTarget();
    lpDevice->SetRenderTarget(dt.lpTexture.get());
    lpDevice->Clear(nullptr, dt.bTransmit ? lpDTCon->dwTransmitTex : lpDTCon->dwTransmitKey);
    lpDevice->SetRenderTarget(previous);
  }
  if (!bRecreate) lstRestoreSD.push_back(sd);
  return true;
}

bool CreateSurfaceDD(DDSURFACEDATA* sd, int width, int height, int bTransmit, int bSystemMemory) {
  DDAllocHolder(sd);
  if (width <= 0 || height <= 0) {
    ReportLogEc(bSystemMemory ? "CreateSurface System Err" : "CreateSurface Video -> System Err");
    return false;
  }
  sd->lpDDS->lpSurface =
      std::make_unique<platform::display::DDSurface>(DirectDrawPixelFormat(), width, height, bSystemMemory != 0);
  if (bTransmit == 1) sd->lpDDS->lpSurface->SetColorKey(dwTransmit);
  sd->nWidth = sd->nTexWidth = width;
  sd->nHeight = sd->nTexHeight = height;
  sd->bSystemMemory = bSystemMemory;
  DDFillRect(sd, 0, 0, width, height, 0);
  return true;
}

// Writes the bitmap's pixels, cut to the texture, as `Bytes`-byte texels;
// `texelAt(i)` is the texel of the bitmap's pixel i (row by row).
template <int Bytes, typename TexelAt>
void WriteTexelRows(PixelBuffer& pixels, const Bitmap& bitmap, TexelAt texelAt) {
  const int width = std::min(bitmap.width, pixels.Width()), height = std::min(bitmap.height, pixels.Height());
  pixels.PrefaultRows(0, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = pixels.Row(y);
    const std::size_t row = static_cast<std::size_t>(y) * bitmap.width;
    for (int x = 0; x < width; ++x, out += Bytes) PixelBuffer::WritePixel(out, Bytes, texelAt(row + x));
  }
}

// The fill for one texture format, so that each pixel's write and conversion
// are fixed before the loop.
template <PixelFormat Format>
void FillTexture(PixelBuffer& pixels, const Bitmap& bitmap, DWORD colourKey) {
  auto texel = [colourKey](DWORD rgb) {
    const DWORD argb = 0xFF000000u | rgb;
    return argb == colourKey ? 0 : FromArgb(Format, argb);
  };
  constexpr int kBytes = platform::display::BytesPerPixel(Format);
  if (!bitmap.Indexed()) {
    WriteTexelRows<kBytes>(pixels, bitmap, [&](std::size_t i) { return texel(bitmap.colours[i]); });
    return;
  }
  // A palette bitmap converts each of its 256 indices once.
  std::array<DWORD, 256> byIndex{};
  for (std::size_t i = 0; i < byIndex.size(); ++i)
    byIndex[i] = texel(i < bitmap.palette.size() ? bitmap.palette[i] : 0);
  WriteTexelRows<kBytes>(pixels, bitmap, [&](std::size_t i) { return byIndex[bitmap.indices[i]]; });
}

// Picks the fill of the texture's format among `Formats`.
template <PixelFormat... Formats>
void FillTextureOfFormat(PixelBuffer& pixels, const Bitmap& bitmap, DWORD colourKey) {
  (void)((pixels.Format() == Formats && (FillTexture<Formats>(pixels, bitmap, colourKey), true)) || ...);
}

}  // namespace

// The texture of a bitmap as D3DX made it: each pixel converted to the
// texture format, pixels of the key colour transparent black, the rest of a
// larger texture left as it is.
void FillTextureFromBitmap(PixelBuffer& pixels, const Bitmap& bitmap, DWORD colourKey) {
  FillTextureOfFormat<PixelFormat::Index8, PixelFormat::R5G6B5, PixelFormat::A1R5G5B5, PixelFormat::R8G8B8,
                      PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8>(pixels, bitmap, colourKey);
}

namespace {

// The surface, when it holds its own texture made from this file.
const DDSURFACEDATA* LoadedFrom(const DDSURFACEDATA* sd, std::string_view file) {
  const bool loaded = sd && sd->lpDT && sd->lpDT->lpTexture && sd->szSurfaceType == "OffScreenFromFile";
  return loaded && sd->szFileName == file ? sd : nullptr;
}

// `decoded`: the file's bitmap when the caller has read it already, else null.
int CreateSurfaceFromFileD3D(DDSURFACEDATA* sd, std::string_view file, const Bitmap* decoded, int bTransmit,
                             int bSystemMemory, int nMemoryType, int bLinked, int bPalIndex, int nMirrorWidth,
                             int nMirrorHeight, int bRecreate) {
  DDAllocHolder(sd);
  DTDATA& dt = *sd->lpDT;
  if (!bRecreate) {
    sd->szSurfaceType = "OffScreenFromFile";
    sd->szFileName = std::string(file);
    dt.nMemoryType = nMemoryType;
    dt.bTransmit = bTransmit == 1;
    if (!bLinked) dt.nId = lpDTCon->nNextSurfaceId++;
  }
  // A linked surface needs only the bitmap's size, which its source has when it holds the same file.
  const DDSURFACEDATA* source = bLinked && !decoded ? LoadedFrom(sd->lpLinkSD, file) : nullptr;
  std::optional<Bitmap> read;
  if (!decoded && !source) {
    read = LoadBitmapLogged(file);
    if (!read) return LOADIMAGE_ERR;
    decoded = &*read;
  }
  if (bLinked) {
    sd->nWidth = sd->nTexWidth = source ? source->nWidth : decoded->width;
    sd->nHeight = sd->nTexHeight = source ? source->nHeight : decoded->height;
  } else {
    const Bitmap* bitmap = decoded;
    int texWidth, texHeight;
    TextureSize(bitmap->width, bitmap->height, &texWidth, &texHeight, std::string(file));
    const RGBTRIPLE& key = nBpp == 16 ? lpDTCon->rgbPalette0 : lpDTCon->rgbTransmit;
    const DWORD colourKey = dt.bTransmit ? 0xFF000000u | key.rgbtRed << 16 | key.rgbtGreen << 8 | key.rgbtBlue : 0;
    if (dt.nMemoryType == DTMEMORYTYPE_VIDEO_NORT) {
      static const std::string kNoRt = Sjis(
          "DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。"
          "DTMEMORYTYPE_VIDEO_RTでテクスチャを作成します。");
      EcLog(kNoRt);
      dt.nMemoryType = DTMEMORYTYPE_VIDEO_RT;
    }
    const Pool pool = dt.nMemoryType == DTMEMORYTYPE_SYSTEM ? Pool::SystemMem : Pool::Managed;
    dt.bRenderTarget = 0;
    dt.lpTexture = lpDevice->CreateTexture(texWidth, texHeight, TexturePixelFormat(), pool, false);
    if (!dt.lpTexture) {
      static const std::string kFailed = Sjis("テクスチャの作成に失敗。(%s)");
      ReportLogEc(kFailed.c_str(), std::string(file).c_str());
      return D3DERR_INVALIDCALL;
    }
    FillTextureFromBitmap(dt.lpTexture->Pixels(), *bitmap, colourKey);
    sd->nWidth = bitmap->width;
    sd->nHeight = bitmap->height;
    sd->nTexWidth = texWidth;
    sd->nTexHeight = texHeight;
    if (nMirrorWidth || nMirrorHeight) {
      // The twin is made from the bitmap in hand: the file is read once.
      DDSURFACEDATA unmirrored;
      int code = CreateSurfaceFromFileD3D(&unmirrored, file, bitmap, bTransmit, bSystemMemory, DTMEMORYTYPE_SYSTEM, 0,
                                          0, 0, 0, 0);
      const bool mirrored = code == 0 && CreateMirror(sd, &unmirrored, nMirrorWidth, nMirrorHeight);
      DDFreeSurface(&unmirrored);
      if (!mirrored) {
        EcLog("CreateMirror Err");
        return 1;
      }
    }
    if (!bRecreate) lstRestoreSD.push_back(sd);
  }
  sd->nMirrorWidth = nMirrorWidth;
  sd->nMirrorHeight = nMirrorHeight;
  sd->bSystemMemory = bSystemMemory;
  dt.lpPalIndex.clear();
  if (bPalIndex && nBpp != 8) DDCreatePalIndexMap(sd);
  return 0;
}

// Destination of source column i in a sheet mirrored cell by cell.
int MirroredPosition(int i, int cell) { return cell > 0 ? (i / cell) * cell + (cell - 1 - i % cell) : i; }

// The first palette entry of exactly this colour, else the nearest.
BYTE NearestPaletteIndex(DWORD rgb) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = ColorPalette[i];
    const long dr = e.peRed - static_cast<long>(rgb >> 16 & 0xFF), dg = e.peGreen - static_cast<long>(rgb >> 8 & 0xFF),
               db = e.peBlue - static_cast<long>(rgb & 0xFF);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return static_cast<BYTE>(best);
}

// A 24- or 32-bit colour as a 16-bit pixel, the transmit colour keyed and
// every other colour kept visible.
DWORD SixteenBitPixel(DWORD rgb) {
  const RGBTRIPLE& key = lpDDCon->rgbPalette0;
  if (rgb == (static_cast<DWORD>(key.rgbtRed) << 16 | key.rgbtGreen << 8 | key.rgbtBlue)) return dwTransmit;
  const PIXELFORMATDATA& f = SurfaceFormat;
  DWORD blue = (rgb & 0xFF) * f.nBlueMask / 255;
  auto pack = [&](DWORD b) {
    return static_cast<DWORD>(((rgb >> 16 & 0xFF) * f.nRedMask / 255) << f.nRedShift |
                              ((rgb >> 8 & 0xFF) * f.nGreenMask / 255) << f.nGreenShift | b << f.nBlueShift);
  };
  DWORD pixel = pack(blue);
  if (pixel == dwTransmit) pixel = pack(blue == static_cast<DWORD>(f.nBlueMask) ? blue - 1 : blue + 1);
  return pixel;
}

}  // namespace

void DDAdjustTextureSize(int* width, int* height) {
  if (lpDTCon && lpDTCon->bPow2) {
    for (int* side : {width, height})
      if (*side > 0 && !std::has_single_bit(static_cast<unsigned>(*side)))
        *side = static_cast<int>(std::bit_floor(static_cast<unsigned>(*side)) * 2);
  }
  if (lpDTCon && lpDTCon->bSquareOnly) *width = *height = std::max(*width, *height);
}

bool DDCheckTextureSize(int width, int height) {
  if (!lpDTCon) return true;
  bool fits = true;
  if (width > lpDTCon->nMaxTextureWidth) {
    static const std::string kTooWide = Sjis("このビデオカードでは横幅%dを超える画像はサポートされていません！");
    ReportLogEc(kTooWide.c_str(), lpDTCon->nMaxTextureWidth);
    fits = false;
  }
  if (height > lpDTCon->nMaxTextureHeight) {
    static const std::string kTooHigh = Sjis("このビデオカードでは縦幅%dを超える画像はサポートされていません！");
    ReportLogEc(kTooHigh.c_str(), lpDTCon->nMaxTextureHeight);
    fits = false;
  }
  return fits;
}

bool DDCreateSurface(DDSURFACEDATA* sd, int width, int height, int bTransmit, int bSystemMemory, int nMemoryType,
                     int bLinked, int bRecreate) {
  if (!sd) return false;
  if (lpDTCon) return CreateSurfaceD3D(sd, width, height, bTransmit, bSystemMemory, nMemoryType, bLinked, bRecreate);
  if (!lpDDCon) return false;
  return CreateSurfaceDD(sd, width, height, bTransmit, bSystemMemory);
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* sd, std::string_view file, int bTransmit, int bpp, int bSystemMemory,
                            int nMemoryType, int bLinked, int bPalIndex, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate) {
  if (!sd) return CREATESURFACE_ERR;
  if (lpDTCon)
    return CreateSurfaceFromFileD3D(sd, file, nullptr, bTransmit, bSystemMemory, nMemoryType, bLinked, bPalIndex,
                                    nMirrorWidth, nMirrorHeight, bRecreate);
  auto bitmap = LoadBitmapLogged(file);
  if (!bitmap) return LOADIMAGE_ERR;
  if (!DDCreateSurface(sd, bitmap->width, bitmap->height, bTransmit, bSystemMemory, 0, 0, 0)) return CREATESURFACE_ERR;
  if (!CopyBitmap(sd, file, bpp, bPalIndex, nMirrorWidth, nMirrorHeight)) return LOADIMAGE_ERR;
  sd->szSurfaceType = "OffScreenFromFile";
  return 0;
}

bool DDCheckSurfaceError(int code) {
  const char* name = code == CREATESURFACE_ERR ? "CREATESURFACE_ERR"
                     : code == LOADIMAGE_ERR   ? "LOADIMAGE_ERR"
                     : code == SETCOLORKEY_ERR ? "SETCOLORKEY_ERR"
                                               : nullptr;
  if (!name) return true;
  EcLog(name);
  return false;
}

bool CopyBitmap(DDSURFACEDATA* sd, std::string_view file, int bpp, int bPalIndex, int nMirrorWidth, int nMirrorHeight) {
  if (lpDTCon || file.empty()) return true;
  auto bitmap = LoadBitmapLogged(file);
  if (!bitmap) return false;
  BYTE* bits = nullptr;
  int pitch = 0;
  if (!DDLock(sd, &bits, &pitch, bpp)) return false;
  PixelBuffer& pixels = *SurfacePixels(sd);
  if (bpp == 8 && (pixels.Width() != bitmap->width || pixels.Height() != bitmap->height)) {
    EcLogf("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", std::string(file).c_str(), pixels.Width(), pixels.Height(),
           bitmap->width, bitmap->height);
  } else {
    for (int y = 0; y < bitmap->height; ++y) {
      const int ty = MirroredPosition(y, nMirrorHeight);
      for (int x = 0; x < bitmap->width; ++x) {
        const int tx = MirroredPosition(x, nMirrorWidth);
        // The last, partial cell of a mirrored sheet has no place to go.
        if (!pixels.Contains(tx, ty)) continue;
        DWORD pixel;
        if (bpp == 8)
          pixel = bitmap->Indexed() ? bitmap->Index(x, y) : NearestPaletteIndex(bitmap->Colour(x, y));
        else if (bpp == 16 && !bitmap->Indexed() && bitmap->bitCount >= 24)
          pixel = SixteenBitPixel(bitmap->Colour(x, y));
        else
          pixel = FromArgb(pixels.Format(), 0xFF000000u | bitmap->Colour(x, y));
        pixels.Put(tx, ty, pixel);
      }
    }
  }
  sd->nWidth = sd->nTexWidth = pixels.Width();
  sd->nHeight = sd->nTexHeight = pixels.Height();
  sd->nMirrorWidth = nMirrorWidth;
  sd->nMirrorHeight = nMirrorHeight;
  sd->szFileName = std::string(file);
  if (bpp != 8 && bPalIndex) return DDCreatePalIndexMap(sd) != 0;
  return true;
}

bool CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int nMirrorWidth, int nMirrorHeight) {
  if (!lpDTCon || nMirrorWidth == 0 || nMirrorHeight != 0) return true;
  if (dst->lpDT->bRenderTarget) DDFillRectColor(dst, 0, 0, dst->nWidth, dst->nHeight, lpDTCon->dwTransmitTex);
  const int w = nMirrorWidth;
  for (int k = 0; k < src->nWidth / w; ++k)
    DDBltStretch(dst, k * w, 0, w, src->nHeight, src, (k + 1) * w, 0, -w, src->nHeight, 0);
  return true;
}

bool DDLoadSurfaces(DDSURFACEDATA* userSD, const int* indices, int count) {
  for (int n = 0; n < count; ++n) {
    const int i = indices[n];
    if (i < 0 || i >= nUserSD) continue;
    const SURFACEDESCDATA& desc = lpSurfaceDesc[i];
    DDSURFACEDATA* sd = &userSD[i];
    DDReleaseSurface(sd);
    bool ok;
    if (desc.szFileName != "E") {
      ok = DDCheckSurfaceError(DDCreateSurfaceFromFile(sd, desc.szFileName, desc.bTransmit, nBpp, desc.bSystemMemory,
                                                       desc.nMemoryType, desc.bLinked, desc.bPalIndex,
                                                       desc.nMirrorWidth, desc.nMirrorHeight, 0));
    } else {
      ok = DDCreateSurface(sd, desc.nWidth, desc.nHeight, desc.bTransmit, desc.bSystemMemory, desc.nMemoryType,
                           desc.bLinked, 0);
    }
    if (ok) continue;
    DDReleaseSurface(sd);  // a failed entry stays empty
    if (desc.bOptional) continue;
    static const std::string kLoadFailed = Sjis("%s の読み込みに失敗！");
    if (desc.szFileName != "E")
      ErrMesBoxf(kLoadFailed.c_str(), desc.szFileName.c_str());
    else
      ErrOutOfMemory();
    return false;
  }
  return true;
}

namespace {

template <typename Surfaces, typename Descs>
bool AddSurface(Surfaces& surfaces, Descs& descs, int width, int height, int bTransmit, int bSystemMemory,
                int nMemoryType, int bLinked) {
  surfaces.emplace_back();
  SURFACEDESCDATA desc;
  desc.bTransmit = bTransmit;
  desc.bSystemMemory = bSystemMemory;
  desc.nMemoryType = nMemoryType;
  desc.bLinked = bLinked;
  descs.push_back(desc);
  return DDCreateSurface(&surfaces.back(), width, height, bTransmit, bSystemMemory, nMemoryType, bLinked, 0);
}

}  // namespace

bool DDAddSurface(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs, int width, int height,
                  int bTransmit, int bSystemMemory, int nMemoryType, int bLinked) {
  return AddSurface(surfaces, descs, width, height, bTransmit, bSystemMemory, nMemoryType, bLinked);
}

bool DDAddSurfaceList(std::list<DDSURFACEDATA>& surfaces, std::list<SURFACEDESCDATA>& descs, int width, int height,
                      int bTransmit, int bSystemMemory, int nMemoryType, int bLinked) {
  return AddSurface(surfaces, descs, width, height, bTransmit, bSystemMemory, nMemoryType, bLinked);
}

int DDDeleteSurface(std::list<DDSURFACEDATA>& surfaces, std::list<SURFACEDESCDATA>& descs, DDSURFACEDATA* sd) {
  auto desc = descs.begin();
  for (auto it = surfaces.begin(); it != surfaces.end(); ++it) {
    if (&*it == sd) {
      DDReleaseSurface(sd);
      surfaces.erase(it);
      if (desc != descs.end()) descs.erase(desc);
      return 1;
    }
    if (desc != descs.end()) ++desc;
  }
  return 0;
}

void DDFreeSurface(DDSURFACEDATA* sd) {
  if (!sd) return;
  if (sd->lpDT) {
    if (!sd->lpLinkSD) {
      const int id = sd->lpDT->nId;
      lstRestoreSD.remove_if([&](DDSURFACEDATA* entry) { return entry->lpDT && entry->lpDT->nId == id; });
      lstRestoreSD.remove(sd);
    }
    sd->lpDT.reset();
  }
  sd->lpDDS.reset();
}

void DDReleaseSurface(DDSURFACEDATA* sd) { DDFreeSurface(sd); }

void DDReleaseSurfaces(std::vector<DDSURFACEDATA>& surfaces) {
  for (auto& sd : surfaces) DDReleaseSurface(&sd);
}

void DDReleaseSurfaceList(std::list<DDSURFACEDATA>& surfaces) {
  for (auto& sd : surfaces) DDReleaseSurface(&sd);
}

bool DDReloadBitmap(DDSURFACEDATA* sd, int bpp) {
  if (lpDTCon) return true;
  return CopyBitmap(sd, sd->szFileName, bpp, sd->lpDDS && !sd->lpDDS->lpPalIndex.empty(), sd->nMirrorWidth,
                    sd->nMirrorHeight);
}

int DDCheckBitmapSize(int* bTooBig, std::string_view file, int width, int height) {
  if (lpDTCon) return 1;
  *bTooBig = 0;
  auto bitmap = LoadBitmapLogged(file);
  if (!bitmap) return 0;
  *bTooBig = bitmap->width > width || bitmap->height > height;
  return 1;
}

bool DDLock(DDSURFACEDATA* sd, BYTE** bits, int* pitch, int bpp) {
  if (lpDTCon) {
    static const std::string kUnsupported = Sjis("D3DではDDLockは未対応");
    EcLog(kUnsupported);
    return true;
  }
  if (!sd || !sd->lpDDS || !sd->lpDDS->lpSurface || sd->lpDDS->lpSurface->IsLost() != DD_OK) return false;
  if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  PixelBuffer& pixels = sd->lpDDS->lpSurface->Pixels();
  *bits = pixels.Bytes().data();
  *pitch = pixels.Pitch();
  return true;
}

void SetSurfaceDesc(SURFACEDESCDATA* entry, std::string_view file, int bTransmit, int bSystemMemory, int nMemoryType,
                    int bLinked, int bPalIndex, int bOptional, int nMirrorWidth, int nMirrorHeight, int nWidth,
                    int nHeight) {
  *entry = {std::string(file), bTransmit,    bSystemMemory, nMemoryType, bLinked, bPalIndex,
            bOptional,         nMirrorWidth, nMirrorHeight, nWidth,      nHeight};
}

cSurfaceLock::cSurfaceLock(DDSURFACEDATA* sd) {
  if (!sd) return;
  if (lpDTCon) {
    DDUseLinkSD(&sd);
    DDRedirectBackBuffer(&sd);
    m_nBpp = nBpp;
    m_nBytePerPixel = nBpp / 8;
  } else {
    BYTE* bits = nullptr;
    int pitch = 0;
    if (!DDLock(sd, &bits, &pitch, nBpp)) return;
    m_nBpp = nBpp;
    m_nBytePerPixel = nBpp / 8;
  }
  m_lpPixels = SurfacePixels(sd);
  if (!m_lpPixels) return;
  m_lpSD = sd;
  m_lpBits = m_lpPixels->Bytes().data();
  m_nPitchBytes = m_lpPixels->Pitch();
  m_nPitch = m_nPitchBytes / m_lpPixels->BytesPerPixel();
}
