#pragma once
// The records of the drawing layer: surfaces, their descriptors, the two
// back ends' context records and the pixel layout of the mode.
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/display/Device.h"
#include "platform/display/DirectDraw.h"

enum DTMEMORYTYPE : int {
  DTMEMORYTYPE_VIDEO_RT = 0,    // blank: render target; from a file: managed texture
  DTMEMORYTYPE_SYSTEM = 1,      // system-memory texture, reached by the CPU only
  DTMEMORYTYPE_VIDEO_NORT = 2,  // not supported: taken as DTMEMORYTYPE_VIDEO_RT
};

// The Direct3D part of a surface.
struct DTDATA {
  int nId = 0;                                            // serial number; the restore list is searched by it
  std::shared_ptr<platform::display::Texture> lpTexture;  // level 0 is the surface itself
  int nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  int bTransmit = 0;             // keyed with the transmit colour
  int bRenderTarget = 0;         // the texture is a render target
  std::vector<BYTE> lpPalIndex;  // palette-index map, empty when there is none
};

// The DirectDraw part of a surface.
struct DDSDATA {
  std::unique_ptr<platform::display::DDSurface> lpSurface;
  std::vector<BYTE> lpPalIndex;
};

// The one surface handle of the program; a default record stands for no surface.
// Records move (vectors of them grow): a move carries the record's entry in
// the restore list along, so the list never points at a stale record.
struct DDSURFACEDATA {
  std::unique_ptr<DTDATA> lpDT;
  std::unique_ptr<DDSDATA> lpDDS;
  std::string szSurfaceType;  // "OffScreen", "OffScreenFromFile", "BackBuffer", "VirBackBuffer", "WorkSD"
  int nWidth = 0;
  int nHeight = 0;
  int nTexWidth = 0;
  int nTexHeight = 0;
  std::string szFileName;  // the bmp path, or "E" for a blank surface
  int bSystemMemory = 0;
  int nMirrorWidth = 0;
  int nMirrorHeight = 0;
  DDSURFACEDATA* lpLinkSD = nullptr;  // Direct3D: drawn through this surface's texture
  int bLost = 0;                      // recreated blank after a loss: the owner draws it again

  DDSURFACEDATA() = default;
  DDSURFACEDATA(DDSURFACEDATA&& other) noexcept;
  DDSURFACEDATA& operator=(DDSURFACEDATA&& other) noexcept;
  ~DDSURFACEDATA();
};

struct SURFACEDESCDATA {
  std::string szFileName;  // "E" = blank surface
  int bTransmit = 0;
  int bSystemMemory = 0;
  int nMemoryType = 0;
  int bLinked = 0;
  int bPalIndex = 0;
  int bOptional = 0;  // a load failure is not fatal
  int nMirrorWidth = 0;
  int nMirrorHeight = 0;
  int nWidth = 0;
  int nHeight = 0;
};

// Shifts, then masks normalised to bit 0, of red, green, blue and alpha.
struct PIXELFORMATDATA {
  int nRedShift = 0, nGreenShift = 0, nBlueShift = 0, nAlphaShift = 0;
  int nRedMask = 0, nGreenMask = 0, nBlueMask = 0, nAlphaMask = 0;
};

using D3DFORMAT = int;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;

// The Direct3D context.
struct DTCON {
  D3DFORMAT fmtBackBuffer = 0;
  D3DFORMAT fmtTexture = 0;
  int nMaxTextureWidth = 8192;
  int nMaxTextureHeight = 8192;
  int bPow2 = 0;
  int bSquareOnly = 0;
  int bDynamicTextures = 1;
  int bVirBackBuffer = 0;
  int bEffectFromSheet = 1;  // effect blits may read a sprite sheet directly
  DDSURFACEDATA* lpTarget = nullptr;
  int bCopyingVirBackBuffer = 0;
  RGBTRIPLE rgbTransmit;
  RGBTRIPLE rgbPalette0;
  DWORD dwTransmitTex = 0;
  DWORD dwTransmitKey = 0;
  WORD wTransmit_16 = 0;
  WORD wTransmit_16A = 0;
  int bInScene = 0;
  DWORD dwDrawColor = 0xFFFFFFFF;
  DWORD dwColorOp = D3DTOP_MODULATE;
  DWORD dwAlphaOp = D3DTOP_SELECTARG1;
  int nNextSurfaceId = 1;
  int nNextFontId = 0;
  // Shown when a texture the program cannot do without cannot be made; start-up sets it.
  std::string szTextureErrMes;
};

// The DirectDraw context.
struct DDCON {
  RGBTRIPLE rgbTransmit;
  int bEffectFromSheet = 1;  // effect blits may read a sprite sheet directly
  RGBTRIPLE rgbPalette0;
  int nNextFontId = 0;
};

// A tint or fade for one colour blit: the diffuse colour and the colour operation.
struct DRAWSTATE {
  DWORD dwColor = 0xFFFFFFFF;
  DWORD dwColorOp = D3DTOP_MODULATE;
};
