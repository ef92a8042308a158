#pragma once
// The game's fonts: CP932 text on a fixed character grid (or proportional),
// lowercase a to z optionally printed as cells of a symbol sheet, bordered text
// windows, and glyph atlases for the fast fonts. The DirectDraw back end draws
// hard-edged glyphs through a work surface; the Direct3D back end blends
// smoothed glyphs, straight into video textures when it can.
#include <list>
#include <memory>
#include <string_view>

#include "library/draw/DrawTypes.h"
#include "library/text/FastFont.h"
#include "library/text/FontDesc.h"
#include "library/text/TextLayout.h"
#include "library/util/Text.h"
#include "platform/glyphs/GlyphSource.h"

class Font {
 public:
  Font() = default;
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font();

  // 1 when made. Fatal failures (no face, no work surface, no atlas) are logged
  // and ask the main window to close.
  int Create(std::string_view face, int width, int height, int pitchX, int pitchY, int color, DDSURFACEDATA* window,
             int border, int borderColor, DDSURFACEDATA* symbols, int fastFont);
  // Frees the face, the work surface and the atlases, and leaves lstFont.
  void Release();

  // bPlainLetters non-zero prints a to z as letters and skips the symbol pass.
  int Print(DDSURFACEDATA* dst, int x, int y, std::string_view text, int bPlainLetters = 0);
  int Printf(DDSURFACEDATA* dst, int x, int y, const char* format, ...) ZANDREL_PRINTF(5, 6);
  void DrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h);
  void PrintInWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, std::string_view text, int margin);
  void PrintInWindowEx(DDSURFACEDATA* dst, int x, int y, int w, int h, std::string_view text, int margin, DWORD color);
  void PrintfInWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...) ZANDREL_PRINTF(7, 8);
  // The per-character engine: rasterised characters to dst at (x, y), atlas
  // copies to the sprite target at (sx, sy).
  void PrintChars(DDSURFACEDATA* dst, int x, int y, DDSURFACEDATA* spriteTarget, int sx, int sy, std::string_view text,
                  int symbols);
  void DrawSymbols(DDSURFACEDATA* dst, int x, int y, std::string_view text);
  platform::TextExtent MeasureText(std::string_view text);
  // Rasterises one character with its cell's top-left at (x, y) of the target.
  void DrawChar(DDSURFACEDATA* target, int x, int y, std::string_view character);
  // Draws the glyph atlases again after a loss.
  void Restore();
  void RenderHalfAtlas();
  void RenderFullAtlas(int bFromList);

  bool Created() const { return m_face != nullptr; }
  FontLayout Layout() const;

  int nId = 0;
  int nWidth = 0, nHeight = 0, nPitchX = 0, nPitchY = 0, nColor = 0;
  DWORD dwColor = 0;  // the text colour: opaque ARGB (Direct3D) or the surface's pixel value (DirectDraw)
  int bCentre = 0;
  DDSURFACEDATA Work;
  DDSURFACEDATA* lpWindowSD = nullptr;
  int nBorder = 0, nBorderColor = 0;
  DDSURFACEDATA* lpSymbolSD = nullptr;
  int bSymbols = 0;
  int bFastFont = 0;
  std::unique_ptr<cFastFont> m_lpFastFont_Half;
  std::unique_ptr<cFastFont> m_lpFastFont_FullAdd;

 private:
  int CreateAtlases();
  // x or y of 10000 centres the window on the window-background sheet.
  POINT WindowOrigin(int x, int y, int w, int h) const;
  // Runs fn with fast fonts and symbols off, as the atlases are rendered.
  template <typename Fn>
  void WithPlainOutput(Fn fn);

  std::unique_ptr<platform::GlyphFace> m_face;
};

extern Font Fonts[FONT_COUNT];
extern DDSURFACEDATA DigitSD[FONT_COUNT];
// Every font made, in creation order; the recovery walks it.
extern std::list<Font*> lstFont;

// Tests replace the system's fonts with their own source; null restores it.
void SetFontGlyphSource(platform::GlyphSource* source);

// 1 when every font was made; the surface indexes point into lpUserSD.
int CreateFonts(Font* fonts, const FONTDESCDATA* desc, int count);
void ReleaseFonts(Font* fonts, int count);
// The digit sheets: "0123456789" in each font, ten pitches wide and one high.
int CreateDigitSurfaces(DDSURFACEDATA* sd, const SURFACEDESCDATA* desc, int count, Font* fonts,
                        const FONTDESCDATA* fontDesc);
void RenderDigitSheet(DDSURFACEDATA* sd, Font* font);
void ReleaseDigitSurfaces(DDSURFACEDATA* sd, int count);
// The fonts' part of a recovery: atlases and digit sheets drawn again.
void RestoreFonts();
// The fonts' part of a device loss: a log line for each font.
void LoseFonts();
