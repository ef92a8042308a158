#pragma once
// A glyph face with fixed metrics for layout and pixel tests: a half-width
// character advances half the cell height, a double-byte one the full height,
// and every glyph is a solid box one pixel inside its advance and cell.
#include <map>
#include <memory>
#include <string>

#include "platform/glyphs/GlyphSource.h"

class FakeGlyphFace final : public platform::GlyphFace {
 public:
  explicit FakeGlyphFace(int height) : m_height(height) {}

  int CellHeight() const override { return m_height; }

  const platform::Glyph& GetGlyph(std::string_view character, platform::GlyphMode mode) override {
    auto key = std::make_pair(std::string(character), mode);
    auto found = m_glyphs.find(key);
    if (found != m_glyphs.end()) return found->second;
    platform::Glyph glyph;
    glyph.advance = character.size() == 2 ? m_height : m_height / 2;
    glyph.left = 1;
    glyph.top = 1;
    glyph.width = glyph.advance - 2;
    glyph.height = m_height - 2;
    // Antialiased glyphs get a half-covered outer ring, so blending shows.
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.height, 255);
    if (mode == platform::GlyphMode::Antialiased) {
      for (int y = 0; y < glyph.height; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
          bool edge = x == 0 || y == 0 || x == glyph.width - 1 || y == glyph.height - 1;
          if (edge) glyph.coverage[static_cast<size_t>(y) * glyph.width + x] = 128;
        }
      }
    }
    return m_glyphs.emplace(key, std::move(glyph)).first->second;
  }

 private:
  int m_height;
  std::map<std::pair<std::string, platform::GlyphMode>, platform::Glyph> m_glyphs;
};

// Opens FakeGlyphFaces of the asked height, whatever the name.
class FakeGlyphSource final : public platform::GlyphSource {
 public:
  std::unique_ptr<platform::GlyphFace> OpenFace(std::string_view, int height, int) override {
    return std::make_unique<FakeGlyphFace>(height);
  }
};
