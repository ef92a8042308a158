#pragma once
// The drawing layer: free functions over one of two back ends chosen once by
// DDInit. Every call tests lpDTCon: non-null takes the Direct3D path (every
// surface a texture, drawing by textured quads), null the DirectDraw path
// (plain surfaces, blits, an 8-bit palette mode). Both run on the software
// display of platform/display; the finished frame is handed to the main
// thread for presenting.
#include <array>
#include <functional>
#include <list>
#include <string_view>
#include <vector>

#include "library/draw/DrawTypes.h"

// ---- Mode block and screen surfaces ----
extern int bDirect3D;
extern int bDDInit;
extern int bDDInitOnce;
extern HWND hDDWnd;
extern int nScreenWidth, nScreenHeight;
extern int nBpp, nBytePerPixel;
extern int bWindowMode;
// The window's present waits for the vertical blank; cleared at start-up when
// the display is not at 60 Hz or the presenter cannot wait for it.
extern int bVSync;
extern DWORD dwTransmit;
extern int nRefreshRate, bSetRefreshRate;
extern DTCON* lpDTCon;
extern DDCON* lpDDCon;
extern DDSURFACEDATA* lpUserSD;
extern SURFACEDESCDATA* lpSurfaceDesc;
extern int nUserSD;
extern platform::display::Device* lpDevice;
extern platform::display::DDPalette* lpDDPalette;
extern DDSURFACEDATA PrimarySurface, BackBuffer, SysBackBuffer, VirBackBuffer, WorkSD;
extern PIXELFORMATDATA SurfaceFormat, BackBufferFormat;
extern PALETTEENTRY ColorPalette[256];
extern PALETTEENTRY DispColorPalette[256];
extern std::list<DDSURFACEDATA*> lstRestoreSD;

// ---- Start-up and shutdown ----
// Start-up result codes of the DirectDraw back end (8 and 9 come from loading).
enum : int {
  CREATEEX_ERR = 1,
  SETCOOPLEVEL_ERR,
  SETDISPLAYMODE_ERR,
  CREATESURFACE_ERR,
  GETATTACHEDSURFACE_ERR,
  CREATEPALETTE_ERR,
  SETPALETTE_ERR,
  LOADIMAGE_ERR,
  SETCOLORKEY_ERR,
  CLIPPER_ERR,
  SETHWND_ERR,
  SETCLIPPER_ERR,
};
// ZANDREL_FAIL=display makes both back ends fail to start, ZANDREL_FAIL=direct3d
// only the Direct3D one (so that the fall-back to DirectDraw runs).
bool DDInit(int bDirect3D, HWND hwnd, int width, int height, int bpp, int bVSync, int bWindowMode, int nBackBuffers,
            int nRefreshRate, int bSetRefreshRate, DDSURFACEDATA* lpUserSD, SURFACEDESCDATA* lpSurfaceDesc, int nUserSD,
            int unused);
void DDUnInit();
void DDRelease();
bool DDCheckInitError(int code);
void DDAllocHolder(DDSURFACEDATA* sd);
void DDGetMaskShifts(PIXELFORMATDATA& format);
void DDSetDefaultRenderStates();
bool DDSetDialogMode(int bOn);
// A message box over a full-screen display: the button chosen, 0 when the
// dialog mode cannot be entered (no box is shown then).
int DDMesBox(std::string_view text, std::string_view caption, UINT type);

// ---- Surfaces ----
extern SURFACEDESCDATA SurfaceDesc[71];
// Sets lpLinkSD of every linked entry of a 71-entry user array to the entry it mirrors.
void LinkUserSurfaces(DDSURFACEDATA* userSD);

bool DDCreateSurface(DDSURFACEDATA* sd, int width, int height, int bTransmit, int bSystemMemory, int nMemoryType,
                     int bLinked, int bRecreate);
int DDCreateSurfaceFromFile(DDSURFACEDATA* sd, std::string_view file, int bTransmit, int bpp, int bSystemMemory,
                            int nMemoryType, int bLinked, int bPalIndex, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate);
bool DDCheckSurfaceError(int code);
bool DDLoadSurfaces(DDSURFACEDATA* userSD, const int* indices, int count);
bool DDAddSurface(std::vector<DDSURFACEDATA>& surfaces, std::vector<SURFACEDESCDATA>& descs, int width, int height,
                  int bTransmit, int bSystemMemory, int nMemoryType, int bLinked);
bool DDAddSurfaceList(std::list<DDSURFACEDATA>& surfaces, std::list<SURFACEDESCDATA>& descs, int width, int height,
                      int bTransmit, int bSystemMemory, int nMemoryType, int bLinked);
int DDDeleteSurface(std::list<DDSURFACEDATA>& surfaces, std::list<SURFACEDESCDATA>& descs, DDSURFACEDATA* sd);
void DDFreeSurface(DDSURFACEDATA* sd);
void DDReleaseSurface(DDSURFACEDATA* sd);
void DDReleaseSurfaces(std::vector<DDSURFACEDATA>& surfaces);
void DDReleaseSurfaceList(std::list<DDSURFACEDATA>& surfaces);
bool DDReloadBitmap(DDSURFACEDATA* sd, int bpp);
int DDCheckBitmapSize(int* bTooBig, std::string_view file, int width, int height);
void DDAdjustTextureSize(int* width, int* height);
bool DDCheckTextureSize(int width, int height);
bool CopyBitmap(DDSURFACEDATA* sd, std::string_view file, int bpp, int bPalIndex, int nMirrorWidth, int nMirrorHeight);
bool CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int nMirrorWidth, int nMirrorHeight);
// The pixels of a DirectDraw surface; pitch in bytes. Under Direct3D only logs.
bool DDLock(DDSURFACEDATA* sd, BYTE** bits, int* pitch, int bpp);
void SetSurfaceDesc(SURFACEDESCDATA* entry, std::string_view file, int bTransmit, int bSystemMemory, int nMemoryType,
                    int bLinked, int bPalIndex, int bOptional, int nMirrorWidth, int nMirrorHeight, int nWidth,
                    int nHeight);

// The scope lock through which every software pixel path reaches a surface's
// bits: the linked and redirected surface under Direct3D, the surface itself
// under DirectDraw. m_lpBits stays null when the surface cannot be reached.
class cSurfaceLock {
 public:
  explicit cSurfaceLock(DDSURFACEDATA* sd);
  cSurfaceLock(const cSurfaceLock&) = delete;
  cSurfaceLock& operator=(const cSurfaceLock&) = delete;

  DDSURFACEDATA* m_lpSD = nullptr;
  BYTE* m_lpBits = nullptr;
  int m_nPitch = 0;       // pixels from one row to the next
  int m_nPitchBytes = 0;  // bytes from one row to the next (24-bit rows need it)
  int m_nBpp = 32;
  int m_nBytePerPixel = 4;

  BYTE* Row(int y) const { return m_lpBits + static_cast<std::ptrdiff_t>(y) * m_nPitchBytes; }
  platform::display::PixelBuffer* Pixels() const { return m_lpPixels; }

 private:
  platform::display::PixelBuffer* m_lpPixels = nullptr;
};

// ---- Colour key, palettes and pixel formats ----
bool DDLoadPaletteFromFile(PALETTEENTRY* out, std::string_view file);
int DDSetTransmit(std::string_view file);
void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue);
DWORD PalNumToRGB(DWORD dwPalNum);
int DDCreatePalIndexMap(DDSURFACEDATA* sd);
int DDSetPalette_UnPal(PALETTEENTRY* out, DDSURFACEDATA* sd);
WORD DDPalToRGB16(const PALETTEENTRY& entry);

// ---- Blits, fills and render states ----
int DDBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit);
int DDBltStretch(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                 int bTransmit);
int DDBltColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const DRAWSTATE& state);
int DDBltStretchColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                      int sh, int bTransmit, const DRAWSTATE& state);
int DDFillRect(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD dwPalNum);
int DDFillSurface(DDSURFACEDATA* dst, DWORD dwPalNum);
int DDFillRectColor(DDSURFACEDATA* dst, int x, int y, int w, int h, DWORD dwColor);
int DDFillSurfaceColor(DDSURFACEDATA* dst, DWORD dwColor);
void DDSetDrawColor(DWORD argb);
void DDResetDrawColor();
void DDSetColorOp(DWORD op);
void DDResetColorOp();
void DDSetAlphaOp(DWORD op);
void DDResetAlphaOp();
bool DDBeginScene();
void DDEndScene();
bool DDSetRenderTarget(int reserved, DDSURFACEDATA* sd);
// Cuts a copy to both surfaces; false when nothing is left to draw.
bool DDClipBlt(DDSURFACEDATA* dst, int* x, int* y, int* w, int* h, DDSURFACEDATA* src, int* sx, int* sy, int* sw,
               int* sh);
void DDResolveMirror(DDSURFACEDATA* src, int* sx, int* sy, int* sw, int* sh);
void DDUseLinkSD(DDSURFACEDATA** sd);

// ---- Effect blits ----
// The blend table of 8-bit mode: entry [a * 256 + b] is the palette index
// standing for the half-and-half mix of colours a and b; all zero until loaded.
using HBTTABLE = std::array<BYTE, 65536>;
extern HBTTABLE HbtTable;
// Reads up to 65536 bytes of the file into the table (a shorter file fills
// what it holds); false when the file cannot be opened. Direct3D: true at once.
bool DDLoadHbtTable(HBTTABLE& table, std::string_view file);
bool DDIsFullScreenBackBuffer(const DDSURFACEDATA* sd);

// Colour effects; true also when nothing is drawn, false when a lock fails.
bool DDBltTint(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const PALETTEENTRY* palette, const HBTTABLE& table, int colour, int level);
bool DDBltHalf(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
               const HBTTABLE& table);
bool DDBltAlpha(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
                const HBTTABLE& table, int alpha);
int DDChangeColor(DDSURFACEDATA* dst, int x, int y, int w, int h, int nAlpha, BYTE red, BYTE green, BYTE blue);
int DDChangeColorSrc(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int nAlpha, BYTE red,
                     BYTE green, BYTE blue);

// Geometric effects.
bool DDBltRotate(DDSURFACEDATA* dst, int x, int y, int w, int h, int px, int py, int angle, DDSURFACEDATA* src, int sx,
                 int sy, int bTransmit);
bool DDBltLens(DDSURFACEDATA* dst, int cx, int cy, int r, int d, DDSURFACEDATA* src, int scx, int scy, int bTransmit,
               int bClear);

// Area filters.
bool DDMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int n, DDSURFACEDATA* src, int sx, int sy, int bTransmit);
bool DDBlur(DDSURFACEDATA* dst, int x, int y, int w, int h, int rx, int ry, DDSURFACEDATA* src, int sx, int sy,
            int bTransmit);

// Band effects: plain copies of moved parts of the source.
int DDDrawSplit(DDSURFACEDATA* dst, int x, int y, int w, int h, int nBand, int nOffset, DDSURFACEDATA* src, int sx,
                int sy, int bTransmit, int bVertical);
void DDDrawWave(DDSURFACEDATA* dst, int x, int y, int w, int h, int nWaves, double amplitude, int phase, int nBand,
                DDSURFACEDATA* src, int sx, int sy, int bTransmit, int bVertical);
int DDDrawFlip(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* srcA, int sxA, int syA,
               DDSURFACEDATA* srcB, int sxB, int syB, int sw, int sh, int bTransmit, int step, int mode);
void DDDrawQuadSplit(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int gap,
                     int bTransmit);
int DDBltCircle(DDSURFACEDATA* dst, int cx, int cy, int hw, int hh, int r, int band, DDSURFACEDATA* src, int scx,
                int scy, int bTransmit);

// ---- Batches, virtual back buffer, presenting ----
void DDBeginSpriteBatch(int bSort);
int DDAddSpriteBatchTexture(DDSURFACEDATA* src);
int DDEndSpriteBatch();
void DDBeginRectBatch();
void DDEndRectBatch();
void DDSetVirBackBuffer(int bOn);
bool DDRedirectBackBuffer(DDSURFACEDATA** sd);
void DDCopyVirBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src);
// Direct3D: ends the frame and hands it over no sooner than the rate limiter
// lets it (nFps frames a second); false when the device is lost.
bool DDPresent(int nFps, int bDisplay, DDSURFACEDATA* fontSheet);
// DirectDraw: hands BackBuffer over as the frame shown (with the palette in 8-bit mode).
bool DDPresentBackBuffer();

// ---- Fades and palette animation ----
bool DDFadeOut(PALETTEENTRY* out, int first, int last, int red, int green, int blue, double step,
               const PALETTEENTRY* source, bool bEnd);
bool DDFadeIn(PALETTEENTRY* out, int first, int last, int red, int green, int blue, double step,
              const PALETTEENTRY* source, bool bEnd);
void DDPalBlend(PALETTEENTRY* out, int first, int last, int weight, int red, int green, int blue,
                const PALETTEENTRY* source);
// The display palette back to the loaded colours, handed to an 8-bit display.
void DDShowLoadedPalette();
void DDPalRotate(PALETTEENTRY* out, int first, int last, int count, int direction, const PALETTEENTRY* source);
int DDFade_UnPal(DDSURFACEDATA* target, int weight, BYTE red, BYTE green, BYTE blue, DDSURFACEDATA* source);

// ---- Recovery of lost surfaces and devices ----
int DDRestoreSurface();
bool DDRestore();
// The fonts rebuild their atlases after a recovery through this.
void DDSetFontRestoreHook(std::function<void()> hook);
// The fonts hear of a lost device through this, before the device is reset.
void DDSetFontLostHook(std::function<void()> hook);
// Test-only: the Direct3D device, or every DirectDraw surface, is lost.
void DDInjectLoss();
// Test-only: a lost Direct3D device becomes ready to be reset.
void DDAllowDeviceReset();

// ---- Frames, windows and numbers ----
void DDDrawFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, int n, int c);
void DDDrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* window, int n, int c);
void DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
                  int number, int digits, int bCenter);
