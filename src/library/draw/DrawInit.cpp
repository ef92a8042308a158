#include <memory>

#include "library/draw/Draw.h"
#include "library/draw/DrawInternal.h"
#include "library/util/Log.h"
#include "library/util/SystemReport.h"
#include "library/util/Text.h"
#include "platform/DisplayProbe.h"
#include "platform/Harness.h"
#include "platform/MessageBox.h"
#include "platform/display/Pointer.h"

using platform::display::PixelFormat;

int bDirect3D = 0;
int bDDInit = 0;
int bDDInitOnce = 0;
HWND hDDWnd = nullptr;
int nScreenWidth = 0, nScreenHeight = 0;
int nBpp = 0, nBytePerPixel = 0;
int bWindowMode = 0;
int bVSync = 0;
DWORD dwTransmit = 0;
int nRefreshRate = 60, bSetRefreshRate = 0;
DTCON* lpDTCon = nullptr;
DDCON* lpDDCon = nullptr;
DDSURFACEDATA* lpUserSD = nullptr;
SURFACEDESCDATA* lpSurfaceDesc = nullptr;
int nUserSD = 0;
platform::display::Device* lpDevice = nullptr;
platform::display::DDPalette* lpDDPalette = nullptr;
std::list<DDSURFACEDATA*> lstRestoreSD;  // before the surfaces, which leave it when destroyed
DDSURFACEDATA PrimarySurface, BackBuffer, SysBackBuffer, VirBackBuffer, WorkSD;
PIXELFORMATDATA SurfaceFormat, BackBufferFormat;

namespace {

// Owns what the mode block points at; the working pointers are cleared with it.
struct DDConOwner {
  std::unique_ptr<DTCON> dtCon;
  std::unique_ptr<DDCON> ddCon;
  std::unique_ptr<platform::display::Device> device;
  std::unique_ptr<platform::display::DDPalette> palette;
} owner;

// The display's refresh rate as DDInit read it; 0 when the display does not tell.
unsigned displayRefreshRate = 0;

constexpr PIXELFORMATDATA kA1R5G5B5{10, 5, 0, 15, 31, 31, 31, 1};
constexpr PIXELFORMATDATA kA8R8G8B8{16, 8, 0, 24, 255, 255, 255, 255};
constexpr PIXELFORMATDATA kR5G6B5{11, 5, 0, 16, 31, 63, 31, 0};

const char* FormatName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
      return "X8R8G8B8";
    case D3DFMT_R5G6B5:
      return "R5G6B5";
    default:
      return "A1R5G5B5";
  }
}

// Vertical sync gives the game its 60 frames a second only on a 60 Hz display.
// The rate cannot be changed here, and full screen keeps the desktop's mode,
// so any other rate, or one the display does not tell, turns vertical sync off.
void CheckRefreshRate() {
  if (!bVSync) return;
  ReportLogEc("RefreshRate : %u", displayRefreshRate);
  if (displayRefreshRate == 60) return;
  static const std::string kNoVSync = Sjis("リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
  ReportLogEcText(kNoVSync);
  bVSync = 0;
}

void ZeroScreenSurfaces() {
  for (DDSURFACEDATA* sd : {&PrimarySurface, &BackBuffer, &SysBackBuffer, &VirBackBuffer, &WorkSD}) *sd = {};
}

bool DDInitD3D(int width, int height, int bpp) {
  if (const int ddi = GetDdiVersion(); ddi < 9) {
    static const std::string kNoDirectX9 = Sjis("ビデオカードのドライバがDirectX9をサポートしていません！ %d");
    ReportLogEc(kNoDirectX9.c_str(), ddi);
    return false;
  }
  owner.dtCon = std::make_unique<DTCON>();
  lpDTCon = owner.dtCon.get();
  DTCON& con = *lpDTCon;
  CheckRefreshRate();
  if (bpp == 16) {
    con.fmtBackBuffer = bWindowMode ? D3DFMT_A1R5G5B5 : D3DFMT_R5G6B5;
    con.fmtTexture = D3DFMT_A1R5G5B5;
    SurfaceFormat = kA1R5G5B5;
    BackBufferFormat = bWindowMode ? kA1R5G5B5 : kR5G6B5;
  } else if (bpp == 32) {
    con.fmtBackBuffer = D3DFMT_X8R8G8B8;
    con.fmtTexture = D3DFMT_A8R8G8B8;
    SurfaceFormat = kA8R8G8B8;
    BackBufferFormat = {};
  } else {
    return false;
  }
  if (platform::FailureInjected("display") || platform::FailureInjected("direct3d")) {
    EcLog("CreateDevice Err");
    return false;
  }
  owner.device = std::make_unique<platform::display::Device>(BackBufferPixelFormat(), width, height);
  lpDevice = owner.device.get();
  ReportLogEc("Device HAL-HARD");
  ReportLogEc("%s", FormatName(con.fmtBackBuffer));
  DDSetDefaultRenderStates();
  DDResetDrawColor();
  DDResetColorOp();
  DDResetAlphaOp();

  DDAllocHolder(&BackBuffer);
  BackBuffer.nWidth = BackBuffer.nTexWidth = width;
  BackBuffer.nHeight = BackBuffer.nTexHeight = height;
  BackBuffer.szSurfaceType = "BackBuffer";
  BackBuffer.lpDT->bRenderTarget = 1;
  BackBuffer.lpDT->nId = 0;
  BackBuffer.lpDT->lpTexture = DeviceBackBuffer();
  con.nNextSurfaceId = 1;
  con.nNextFontId = 0;

  DDAllocHolder(&VirBackBuffer);
  DDSetVirBackBuffer(0);
  con.bCopyingVirBackBuffer = 0;
  if (!DDCreateSurface(&VirBackBuffer, width, height, 0, 0, 0, 0, 0) ||
      !DDCreateSurface(&WorkSD, width, height, 0, 0, 0, 0, 0))
    return false;
  VirBackBuffer.szSurfaceType = "VirBackBuffer";
  WorkSD.szSurfaceType = "WorkSD";
  if (!bWindowMode) platform::display::ShowPointer(false);
  return true;
}

// The DirectDraw surfaces are all in the mode's own format; the screen itself
// is the presenter's, so "primary" and back buffer are plain surfaces.
int DDInitDirectDraw(int width, int height, int bpp) {
  if (platform::FailureInjected("display")) {
    ReportLogEc("DirectDrawCreateEx Err");
    return CREATEEX_ERR;
  }
  if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
    ReportLogEc("SetDisplayMode Err");
    return SETDISPLAYMODE_ERR;
  }
  const PixelFormat format = DirectDrawPixelFormat();
  PrimarySurface.lpDDS = std::make_unique<DDSDATA>();
  PrimarySurface.lpDDS->lpSurface = std::make_unique<platform::display::DDSurface>(format, width, height, false);
  DDAllocHolder(&BackBuffer);
  BackBuffer.lpDDS->lpSurface = std::make_unique<platform::display::DDSurface>(format, width, height, false);
  for (DDSURFACEDATA* sd : {&PrimarySurface, &BackBuffer}) {
    sd->nWidth = sd->nTexWidth = width;
    sd->nHeight = sd->nTexHeight = height;
  }
  owner.palette = std::make_unique<platform::display::DDPalette>();
  lpDDPalette = owner.palette.get();
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) {
    const BYTE v = static_cast<BYTE>(i);
    const bool system = bWindowMode && (i < 10 || i >= 246);
    entries[i] = bWindowMode ? PALETTEENTRY{v, static_cast<BYTE>(system ? 0 : i), 0, BYTE(system ? 2 : 1)}
                             : PALETTEENTRY{v, v, BYTE(i == 0 ? 255 : 0), 1};
  }
  lpDDPalette->SetEntries(0, 256, entries);
  if (bpp > 8) DDGetMaskShifts(SurfaceFormat);
  if (!DDCreateSurface(&SysBackBuffer, width, height, 0, 1, 0, 0, 0)) return CREATESURFACE_ERR;
  platform::display::ShowPointer(bWindowMode != 0);
  return 0;
}

// The software device as the diagnostics describe a display adapter.
platform::DisplayAdapter DescribeAdapter(const DTCON& con) {
  platform::DisplayAdapter adapter;
  adapter.maxTextureWidth = con.nMaxTextureWidth;
  adapter.maxTextureHeight = con.nMaxTextureHeight;
  adapter.capabilities = {"D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD"};
  if (con.bPow2) adapter.capabilities.push_back("D3DPTEXTURECAPS_POW2");
  if (con.bSquareOnly) adapter.capabilities.push_back("D3DPTEXTURECAPS_SQUAREONLY");
  if (con.bDynamicTextures) adapter.capabilities.push_back("D3DCAPS2_DYNAMICTEXTURES");
  for (auto [name, value] :
       {std::pair{"MaxTextureWidth", con.nMaxTextureWidth}, std::pair{"MaxTextureHeight", con.nMaxTextureHeight}}) {
    std::string line;
    StrFormat(line, "\t%s %08x", name, static_cast<unsigned>(value));
    adapter.capabilityDump.push_back(line);
  }
  // Surfaces and textures of the back-buffer format: render targets and
  // dynamic textures exist, the rest of the hardware's usages do not.
  static const char* const kUsages[] = {"AU", "DE", "DM", "DO", "DY", "NP", "PO", "RT", "RE", "SO", "WR"};
  for (const char* usage : kUsages) {
    const std::string name = usage;
    const bool texture = name == "DY" || name == "RE" || name == "SO";
    adapter.formatTable.push_back(name + "-SU" + Sjis(texture && name != "DY" ? "○ " : "× ") + name + "-TE" +
                                  Sjis(texture ? "○ " : "× "));
  }
  return adapter;
}

platform::DisplayInfo DescribeDisplay() {
  platform::DisplayInfo info;
  info.backEnd = lpDTCon   ? platform::DisplayBackEnd::Direct3D
                 : lpDDCon ? platform::DisplayBackEnd::DirectDraw
                           : platform::DisplayBackEnd::None;
  info.windowed = bWindowMode != 0;
  info.bpp = nBpp;
  info.refreshRate = displayRefreshRate;
  if (lpDTCon) info.adapters = {DescribeAdapter(*lpDTCon)};
  return info;
}

}  // namespace

PixelFormat DirectDrawPixelFormat() {
  switch (nBpp) {
    case 8:
      return PixelFormat::Index8;
    case 16:
      return PixelFormat::R5G6B5;
    case 24:
      return PixelFormat::R8G8B8;
    default:
      return PixelFormat::X8R8G8B8;
  }
}

PixelFormat TexturePixelFormat() {
  return lpDTCon && lpDTCon->fmtTexture == D3DFMT_A1R5G5B5 ? PixelFormat::A1R5G5B5 : PixelFormat::A8R8G8B8;
}

PixelFormat BackBufferPixelFormat() {
  switch (lpDTCon ? lpDTCon->fmtBackBuffer : D3DFMT_X8R8G8B8) {
    case D3DFMT_R5G6B5:
      return PixelFormat::R5G6B5;
    case D3DFMT_A1R5G5B5:
      return PixelFormat::A1R5G5B5;
    default:
      return PixelFormat::X8R8G8B8;
  }
}

std::shared_ptr<platform::display::Texture> DeviceBackBuffer() {
  return lpDevice ? lpDevice->BackBuffer().shared_from_this() : nullptr;
}

bool DDInit(int direct3D, HWND hwnd, int width, int height, int bpp, int vsync, int windowMode, int nBackBuffers,
            int refreshRate, int setRefreshRate, DDSURFACEDATA* userSD, SURFACEDESCDATA* surfaceDesc, int userCount,
            int /*unused*/) {
  (void)nBackBuffers;  // the flip chain's length has no meaning for the software display
  bDirect3D = direct3D;
  hDDWnd = hwnd;
  nScreenWidth = width;
  nScreenHeight = height;
  nBpp = bpp;
  nBytePerPixel = bpp / 8;
  bWindowMode = windowMode;
  bVSync = vsync;
  nRefreshRate = refreshRate;
  bSetRefreshRate = setRefreshRate;
  lpUserSD = userSD;
  lpSurfaceDesc = surfaceDesc;
  nUserSD = userCount;
  ReportLogEc("VSync : %d", vsync);
  displayRefreshRate = platform::ProbeDisplay().refreshRate;
  if (direct3D) {
    if (!DDInitD3D(width, height, bpp)) return false;
  } else {
    if (bDDInitOnce) DDRelease();
    owner.ddCon = std::make_unique<DDCON>();
    lpDDCon = owner.ddCon.get();
    if (!DDCheckInitError(DDInitDirectDraw(width, height, bpp))) return false;
  }
  bDDInit = 1;
  bDDInitOnce = 1;
  platform::SetDisplayProbe(DescribeDisplay);
  return true;
}

void DDUnInit() {
  for (int i = 0; lpUserSD && i < nUserSD; ++i) DDReleaseSurface(&lpUserSD[i]);
  for (DDSURFACEDATA* sd : {&WorkSD, &VirBackBuffer, &BackBuffer, &PrimarySurface, &SysBackBuffer})
    DDReleaseSurface(sd);
  ZeroScreenSurfaces();
  ResetBatches();
  lstRestoreSD.clear();
  owner = {};
  lpDTCon = nullptr;
  lpDDCon = nullptr;
  lpDevice = nullptr;
  lpDDPalette = nullptr;
  bDDInit = 0;
}

void DDRelease() { DDUnInit(); }

bool DDCheckInitError(int code) {
  static const char* const kNames[] = {"",
                                       "CREATEEX_ERR",
                                       "SETCOOPLEVEL_ERR",
                                       "SETDISPLAYMODE_ERR",
                                       "CREATESURFACE_ERR",
                                       "GETATTACHEDSURFACE_ERR",
                                       "CREATEPALETTE_ERR",
                                       "SETPALETTE_ERR",
                                       "LOADIMAGE_ERR",
                                       "SETCOLORKEY_ERR",
                                       "CLIPPER_ERR",
                                       "SETHWND_ERR",
                                       "SETCLIPPER_ERR"};
  if ((code >= 1 && code <= 7) || (code >= 10 && code <= 12)) {
    EcLog(kNames[code]);
    return false;
  }
  return true;
}

void DDAllocHolder(DDSURFACEDATA* sd) {
  if (lpDTCon) {
    if (!sd->lpDT) sd->lpDT = std::make_unique<DTDATA>();
  } else if (!sd->lpDDS) {
    sd->lpDDS = std::make_unique<DDSDATA>();
  }
}

void DDGetMaskShifts(PIXELFORMATDATA& format) {
  if (lpDTCon || !lpDDCon) return;
  struct Masks {
    int bits;
    DWORD red, green, blue;
  };
  const Masks masks = nBpp == 16 ? Masks{16, 0xF800, 0x07E0, 0x001F} : Masks{nBpp, 0xFF0000, 0x00FF00, 0x0000FF};
  auto split = [&](DWORD mask, int& shift, int& normalised) {
    shift = 0;
    while (shift < masks.bits && !(mask >> shift & 1)) ++shift;
    normalised = static_cast<int>(shift < masks.bits ? mask >> shift : mask);
  };
  split(masks.red, format.nRedShift, format.nRedMask);
  split(masks.green, format.nGreenShift, format.nGreenMask);
  split(masks.blue, format.nBlueShift, format.nBlueMask);
}

void DDSetDefaultRenderStates() {
  // Culling off, no depth, blending source alpha over inverse source alpha,
  // point sampling with wrapping: the software device's only behaviour.
  if (lpDevice) lpDevice->SetTextureStage({});
}

bool DDSetDialogMode(int bOn) {
  if (bWindowMode) return true;
  if (bOn && lpDTCon) DDEndScene();
  // The boxes are drawn over the presented frame, so no mode is switched;
  // the pointer shows over them.
  platform::display::ShowPointer(bOn != 0);
  return true;
}

int DDMesBox(std::string_view text, std::string_view caption, UINT type) {
  if (!DDSetDialogMode(1)) {
    static const std::string kFailed = Sjis("DDMesBox 失敗! %s, %s");
    EcLogf(kFailed.c_str(), std::string(text).c_str(), std::string(caption).c_str());
    return 0;
  }
  // The button chosen is passed on: a question over a full-screen display
  // must not read as answered OK.
  const int answer = platform::ShowMessageBox(text, caption, type);
  DDSetDialogMode(0);
  return answer;
}
