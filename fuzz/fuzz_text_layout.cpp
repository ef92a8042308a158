// Text printed by the fonts comes from data files (menu texts, ranking names):
// any bytes must lay out, measure and rasterise within bounds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "library/text/FastFont.h"
#include "library/text/GlyphPixels.h"
#include "library/text/TextLayout.h"

namespace {

constexpr int kSize = 64;

class InkCounter final : public GlyphOutput {
 public:
  explicit InkCounter(platform::GlyphFace& face) : m_face(face) {}
  void DrawGlyph(cFastFont*, int x, int y, std::string_view character) override {
    const auto& glyph = m_face.GetGlyph(character, platform::GlyphMode::Antialiased);
    ForEachGlyphPixel(glyph, x, y, kSize, kSize, [&](int px, int py, BYTE c) { m_pixels[py * kSize + px] = c; });
  }
  void CopyAtlasCell(cFastFont&, int, int, int, int) override {}
  void CopySymbolCell(int, int, int, int) override {}

 private:
  platform::GlyphFace& m_face;
  std::vector<BYTE> m_pixels = std::vector<BYTE>(kSize * kSize);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<platform::GlyphFace> face = platform::SystemGlyphSource().OpenFace("", 16, 0);
  if (!face || size < 1) return 0;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  cFastFont half{FastFontMode::SingleByte, 16, 16, kHalfAtlasGrid};
  cFastFont full{FastFontMode::GlyphList, 16, 16, {4, 4}};
  bool fast = data[0] & 1, centre = data[0] & 2, pitched = !(data[0] & 4);
  FontLayout layout{pitched ? 16 : 0, pitched ? 16 : 0, centre, fast ? &half : nullptr, fast ? &full : nullptr};
  InkCounter output(*face);
  PrintChars(layout, *face, output, -8, -8, 0, 0, text, data[0] & 8);
  DrawSymbols(layout, output, 0, 0, text);
  MeasureFontText(layout, *face, text);
  LayoutBmpText(0, 0, 8, 16, 640, text, [](int, int, int, int) {});
  return 0;
}
