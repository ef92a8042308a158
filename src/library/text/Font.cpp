#include "library/text/Font.h"

#include <algorithm>
#include <array>

#include "library/draw/Draw.h"
#include "library/text/GlyphPixels.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"

Font Fonts[FONT_COUNT];
DDSURFACEDATA DigitSD[FONT_COUNT];
std::list<Font*> lstFont;

namespace {

using platform::display::PixelBuffer;
using platform::display::PixelFormat;

constexpr int kCentreOnWindow = 10000;
constexpr std::string_view kDigits = "0123456789";

platform::GlyphSource* glyphSource = nullptr;
// The font each digit sheet was drawn with, to draw it again after a loss.
std::array<Font*, FONT_COUNT> digitFonts{};

platform::GlyphSource& Source() { return glyphSource ? *glyphSource : platform::SystemGlyphSource(); }

bool VideoTexture(const DDSURFACEDATA* sd) { return sd->lpDT && sd->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM; }

bool SurfaceLost(const DDSURFACEDATA& sd) {
  return sd.lpDDS && sd.lpDDS->lpSurface && sd.lpDDS->lpSurface->IsLost() == DDERR_SURFACELOST;
}

bool SurfaceExists(const DDSURFACEDATA& sd) { return sd.lpDT || (sd.lpDDS && sd.lpDDS->lpSurface); }

// A DirectDraw surface that was taken away is given back (blank); true when it was lost.
bool RestoreIfLost(DDSURFACEDATA& sd) {
  if (!SurfaceLost(sd)) return false;
  sd.lpDDS->lpSurface->Restore();
  return true;
}

DDSURFACEDATA* UserSurface(int index) {
  if (!lpUserSD || index < 0 || index >= nUserSD) return nullptr;
  return &lpUserSD[index];
}

// The engine's output onto real surfaces.
class SurfaceOutput final : public GlyphOutput {
 public:
  SurfaceOutput(Font& font, DDSURFACEDATA* raster, DDSURFACEDATA* sprites)
      : m_font(font), m_raster(raster), m_sprites(sprites) {}
  void DrawGlyph(cFastFont* atlas, int x, int y, std::string_view character) override {
    m_font.DrawChar(atlas ? &atlas->Surface() : m_raster, x, y, character);
  }
  void CopyAtlasCell(cFastFont& atlas, int sx, int sy, int x, int y) override {
    DDBlt(m_sprites, x, y, atlas.CellWidth(), atlas.CellHeight(), &atlas.Surface(), sx, sy, 1);
  }
  void CopySymbolCell(int sx, int sy, int x, int y) override {
    DDBlt(m_raster, x, y, m_font.nPitchX, m_font.nPitchY, m_font.lpSymbolSD, sx, sy, 1);
  }

 private:
  Font& m_font;
  DDSURFACEDATA* m_raster;
  DDSURFACEDATA* m_sprites;
};

}  // namespace

void SetFontGlyphSource(platform::GlyphSource* source) { glyphSource = source; }

Font::~Font() { Release(); }

FontLayout Font::Layout() const {
  bool fast = bFastFont && m_lpFastFont_Half && m_lpFastFont_FullAdd;
  return {nPitchX, nPitchY, bCentre, fast ? m_lpFastFont_Half.get() : nullptr,
          fast ? m_lpFastFont_FullAdd.get() : nullptr};
}

int Font::Create(std::string_view face, int width, int height, int pitchX, int pitchY, int color, DDSURFACEDATA* window,
                 int border, int borderColor, DDSURFACEDATA* symbols, int fastFont) {
  nWidth = width;
  nHeight = height;
  nPitchX = pitchX;
  nPitchY = pitchY;
  nColor = color;
  lpWindowSD = window;
  nBorder = border;
  nBorderColor = borderColor;
  lpSymbolSD = symbols;
  bSymbols = symbols != nullptr;
  if (nBpp) dwColor = PalNumToRGB(static_cast<DWORD>(std::clamp(color, 0, 255)));
  m_face = Source().OpenFace(face, height, width);
  if (!m_face) {
    std::string name(face);
    EcLogFatal(hMainWnd.load(), "Font::Create %s", name.c_str());
    return 0;
  }
  if (!SurfaceExists(Work) &&
      !DDCreateSurface(&Work, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
    EcLogFatal(hMainWnd.load(), "DDCreateSurface Font::Work");
    return 0;
  }
  nId = lpDTCon ? lpDTCon->nNextFontId++ : lpDDCon ? lpDDCon->nNextFontId++ : 0;
  if (std::find(lstFont.begin(), lstFont.end(), this) == lstFont.end()) lstFont.push_back(this);
  bFastFont = fastFont;
  m_lpFastFont_Half.reset();
  m_lpFastFont_FullAdd.reset();
  if (!bFastFont) return 1;
  if (nPitchX == 0 || nPitchY == 0) {
    static const std::string unset = Sjis("※フォントクラスで文字間が未設定！");
    EcLog(unset);
    return 1;
  }
  return CreateAtlases();
}

int Font::CreateAtlases() {
  m_lpFastFont_Half = std::make_unique<cFastFont>(FastFontMode::SingleByte, nPitchX, nPitchY, kHalfAtlasGrid);
  if (!m_lpFastFont_Half->CreateSurface()) {
    EcLogFatal(hMainWnd.load(), "m_lpFastFont_Half Err");
    return 0;
  }
  AtlasGrid grid = FullAtlasGrid(lpDTCon != nullptr, nPitchX, nPitchY, BackBuffer.nWidth, BackBuffer.nHeight);
  m_lpFastFont_FullAdd = std::make_unique<cFastFont>(FastFontMode::GlyphList, nPitchX, nPitchY, grid);
  if (!m_lpFastFont_FullAdd->CreateSurface()) {
    EcLogFatal(hMainWnd.load(), "m_lpFastFont_FullAdd Err");
    return 0;
  }
  RenderHalfAtlas();
  RenderFullAtlas(0);
  return 1;
}

void Font::Release() {
  m_lpFastFont_Half.reset();
  m_lpFastFont_FullAdd.reset();
  if (SurfaceExists(Work)) DDReleaseSurface(&Work);
  m_face.reset();
  lstFont.remove(this);
}

int Font::Print(DDSURFACEDATA* dst, int x, int y, std::string_view text, int bPlainLetters) {
  if (!m_face || !dst) return 0;
  int symbols = bPlainLetters ? 0 : bSymbols;
  if (lpDTCon) {
    DDUseLinkSD(&dst);
    DDRedirectBackBuffer(&dst);
  }
  if (lpDTCon && VideoTexture(dst) && !Layout().Fast()) {
    PrintChars(dst, x, y, dst, x, y, text, symbols);
  } else {
    platform::TextExtent size = MeasureText(text);
    int w = std::min(size.width, Work.nWidth), h = std::min(size.height, Work.nHeight);
    DDFillRect(&Work, 0, 0, w, h, 0);
    PrintChars(&Work, 0, 0, dst, x, y, text, symbols);
    DDBlt(dst, x, y, w, h, &Work, 0, 0, 1);
  }
  if (!bPlainLetters) DrawSymbols(dst, x, y, text);
  return 1;
}

int Font::Printf(DDSURFACEDATA* dst, int x, int y, const char* format, ...) {
  std::string text;
  va_list args;
  va_start(args, format);
  StrAppendFormatV(text, format, args);
  va_end(args);
  return Print(dst, x, y, text, 0);
}

void Font::PrintChars(DDSURFACEDATA* dst, int x, int y, DDSURFACEDATA* spriteTarget, int sx, int sy,
                      std::string_view text, int symbols) {
  SurfaceOutput output(*this, dst, spriteTarget);
  DDBeginSpriteBatch(1);
  ::PrintChars(Layout(), *m_face, output, x, y, sx, sy, text, symbols != 0);
  DDEndSpriteBatch();
}

void Font::DrawSymbols(DDSURFACEDATA* dst, int x, int y, std::string_view text) {
  if (!bSymbols || !lpSymbolSD || !SurfaceExists(*lpSymbolSD) || !nPitchX) return;
  SurfaceOutput output(*this, dst, dst);
  DDBeginSpriteBatch(0);
  ::DrawSymbols(Layout(), output, x, y, text);
  DDEndSpriteBatch();
}

platform::TextExtent Font::MeasureText(std::string_view text) {
  if (!m_face) return {};
  return MeasureFontText(Layout(), *m_face, text);
}

void Font::DrawChar(DDSURFACEDATA* target, int x, int y, std::string_view character) {
  bool direct3D = lpDTCon != nullptr;
  const platform::Glyph& glyph =
      m_face->GetGlyph(character, direct3D ? platform::GlyphMode::Antialiased : platform::GlyphMode::Monochrome);
  cSurfaceLock lock(target);
  PixelBuffer* pixels = lock.Pixels();
  if (!pixels) return;
  int width = std::min(pixels->Width(), target->nWidth), height = std::min(pixels->Height(), target->nHeight);
  PixelFormat format = pixels->Format();
  if (direct3D) {
    // D3DX blended the smoothed glyph, its coverage as alpha, over the target.
    DWORD rgb = dwColor & 0xFFFFFFu;
    ForEachGlyphPixel(glyph, x, y, width, height, [&](int px, int py, BYTE coverage) {
      DWORD over = platform::display::BlendOver(DWORD{coverage} << 24 | rgb,
                                                platform::display::ToArgb(format, pixels->Get(px, py)));
      pixels->Put(px, py, platform::display::FromArgb(format, over));
    });
    return;
  }
  // GDI wrote the text colour's own pixel value (its palette index in 8-bit mode).
  DWORD value = dwColor;
  ForEachGlyphPixel(glyph, x, y, width, height, [&](int px, int py, BYTE) { pixels->Put(px, py, value); });
}

POINT Font::WindowOrigin(int x, int y, int w, int h) const {
  if (lpWindowSD) {
    if (x == kCentreOnWindow) x = lpWindowSD->nWidth / 2 - w / 2;
    if (y == kCentreOnWindow) y = lpWindowSD->nHeight / 2 - h / 2;
  }
  return {x, y};
}

void Font::DrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h) {
  POINT at = WindowOrigin(x, y, w, h);
  DDDrawWindow(dst, at.x, at.y, w, h, lpWindowSD, nBorder, nBorderColor);
}

void Font::PrintInWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, std::string_view text, int margin) {
  PrintInWindowEx(dst, x, y, w, h, text, margin, dwColor);
}

void Font::PrintInWindowEx(DDSURFACEDATA* dst, int x, int y, int w, int h, std::string_view text, int margin, DWORD) {
  if (w == 0 || h == 0) {
    platform::TextExtent size = MeasureText(text);
    if (w == 0) w = margin + size.width;
    if (h == 0) h = size.height;
  }
  POINT at = WindowOrigin(x, y, w, h);
  DDDrawWindow(dst, at.x, at.y, w, h, lpWindowSD, nBorder, nBorderColor);
  Print(dst, at.x + margin, at.y, text, 0);
}

void Font::PrintfInWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...) {
  std::string text;
  va_list args;
  va_start(args, format);
  StrAppendFormatV(text, format, args);
  va_end(args);
  PrintInWindowEx(dst, x, y, w, h, text, 0, dwColor);
}

template <typename Fn>
void Font::WithPlainOutput(Fn fn) {
  int fast = bFastFont, symbols = bSymbols;
  bFastFont = 0;
  bSymbols = 0;
  fn();
  bFastFont = fast;
  bSymbols = symbols;
}

void Font::RenderHalfAtlas() {
  if (!m_lpFastFont_Half) return;
  DDSURFACEDATA& atlas = m_lpFastFont_Half->Surface();
  DDFillRect(&atlas, 0, 0, atlas.nWidth, atlas.nHeight, 0);
  WithPlainOutput([&] { Print(&atlas, 0, 0, HalfAtlasText(), 0); });
}

void Font::RenderFullAtlas(int bFromList) {
  if (!m_lpFastFont_FullAdd) return;
  if (!bFromList) AddPresetGlyphs(*m_lpFastFont_FullAdd);
  DDSURFACEDATA& atlas = m_lpFastFont_FullAdd->Surface();
  DDFillRect(&atlas, 0, 0, atlas.nWidth, atlas.nHeight, 0);
  WithPlainOutput([&] { Print(&atlas, 0, 0, FullAtlasText(*m_lpFastFont_FullAdd), 0); });
}

void Font::Restore() {
  if (lpDTCon) {
    if (m_lpFastFont_Half && m_lpFastFont_Half->Surface().bLost) RenderHalfAtlas();
    if (m_lpFastFont_FullAdd && m_lpFastFont_FullAdd->Surface().bLost) RenderFullAtlas(1);
    for (cFastFont* atlas : {m_lpFastFont_Half.get(), m_lpFastFont_FullAdd.get()})
      if (atlas) atlas->Surface().bLost = 0;
    return;
  }
  RestoreIfLost(Work);
  for (cFastFont* atlas : {m_lpFastFont_Half.get(), m_lpFastFont_FullAdd.get()})
    if (atlas) RestoreIfLost(atlas->Surface());
  RenderHalfAtlas();
  RenderFullAtlas(1);
}

int CreateFonts(Font* fonts, const FONTDESCDATA* desc, int count) {
  int made = 1;
  for (int i = 0; i < count; ++i) {
    const FONTDESCDATA& d = desc[i];
    made &= fonts[i].Create(d.szFaceName, d.nWidth, d.nHeight, d.nPitchX, d.nPitchY, d.nColor, UserSurface(d.nWindowSD),
                            d.nBorder, d.nBorderColor, UserSurface(d.nSymbolSD), d.bFastFont);
  }
  DDSetFontRestoreHook(RestoreFonts);
  DDSetFontLostHook(LoseFonts);
  return made;
}

void ReleaseFonts(Font* fonts, int count) {
  for (int i = 0; i < count; ++i) fonts[i].Release();
}

int CreateDigitSurfaces(DDSURFACEDATA* sd, const SURFACEDESCDATA* desc, int count, Font* fonts,
                        const FONTDESCDATA* fontDesc) {
  for (int i = 0; i < count; ++i) {
    const SURFACEDESCDATA& d = desc[i];
    if (!DDCreateSurface(&sd[i], fontDesc[i].nPitchX * 10, fontDesc[i].nPitchY, d.bTransmit, d.bSystemMemory,
                         d.nMemoryType, d.bLinked, 0)) {
      ReportLogEc("DDCreateSurface DigitSD[%d]", i);
      return 0;
    }
    RenderDigitSheet(&sd[i], &fonts[i]);
    if (sd == DigitSD && i < FONT_COUNT) digitFonts[static_cast<size_t>(i)] = &fonts[i];
  }
  return 1;
}

void RenderDigitSheet(DDSURFACEDATA* sd, Font* font) {
  DDFillRect(sd, 0, 0, sd->nWidth, sd->nHeight, 0);
  font->Print(sd, 0, 0, kDigits);
}

void ReleaseDigitSurfaces(DDSURFACEDATA* sd, int count) {
  for (int i = 0; i < count; ++i) {
    if (SurfaceExists(sd[i])) DDReleaseSurface(&sd[i]);
    if (sd == DigitSD && i < FONT_COUNT) digitFonts[static_cast<size_t>(i)] = nullptr;
  }
}

// A font keeps nothing in the device beyond its surfaces, which the recovery
// releases and makes again itself; each font's turn is logged.
void LoseFonts() {
  for (std::size_t i = 0; i < lstFont.size(); ++i) EcLogf("Font i = %d", static_cast<int>(i));
}

void RestoreFonts() {
  for (Font* font : lstFont) font->Restore();
  for (int i = 0; i < FONT_COUNT; ++i) {
    Font* font = digitFonts[static_cast<size_t>(i)];
    bool redraw = RestoreIfLost(DigitSD[i]) || DigitSD[i].bLost;
    if (!font || !redraw) continue;
    RenderDigitSheet(&DigitSD[i], font);
    DigitSD[i].bLost = 0;
  }
}
