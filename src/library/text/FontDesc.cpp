#include "library/text/FontDesc.h"

#include <algorithm>

#include "library/text/SjisText.h"
#include "library/util/Text.h"

namespace {

constexpr int kWindowSurface = 45;  // "bmp\Window.bmp"
constexpr int kSymbolSurface = 50;  // "bmp\Symbol.bmp"

FONTDESCDATA MakeDesc(int height, int pitch, int fast) {
  static const std::string face = Sjis("ＭＳ ゴシック");
  FONTDESCDATA desc;
  SetFontFace(desc, face);
  desc.nHeight = height;
  desc.nPitchX = pitch;
  desc.nPitchY = pitch;
  desc.nColor = 241;
  desc.nWindowSD = kWindowSurface;
  desc.nBorder = 1;
  desc.nBorderColor = 240;
  desc.nSymbolSD = kSymbolSurface;
  desc.bFastFont = fast;
  return desc;
}

}  // namespace

std::array<FONTDESCDATA, FONT_COUNT> DefaultFontDesc() {
  return {MakeDesc(9, 10, FAST_FONT_CONFIGURED), MakeDesc(16, 16, FAST_FONT_CONFIGURED), MakeDesc(30, 32, 0)};
}

void SetFontFace(FONTDESCDATA& desc, std::string_view face) {
  constexpr size_t room = sizeof desc.szFaceName - 1;
  size_t length = 0;
  while (length < face.size()) {
    size_t next = length + SjisCharLength(face, length);
    if (next > room) break;
    length = next;
  }
  std::fill(std::begin(desc.szFaceName), std::end(desc.szFaceName), '\0');
  face.copy(desc.szFaceName, length);
}

void PrepareFontDesc(std::span<FONTDESCDATA> desc, std::span<const std::string> faces, int fontIndex,
                     int fastFontSetting) {
  std::string_view face = FontFaceAt(faces, fontIndex);
  for (FONTDESCDATA& d : desc) {
    SetFontFace(d, face);
    if (d.bFastFont == FAST_FONT_CONFIGURED) d.bFastFont = fastFontSetting;
  }
}

std::string_view FontFaceAt(std::span<const std::string> faces, int index) {
  if (faces.empty()) return {};
  return faces[static_cast<size_t>(std::clamp(index, 0, static_cast<int>(faces.size()) - 1))];
}
