#include "Canvas.h"

#include <algorithm>
#include <array>
#include <string>

#include "Bytes.h"

namespace mkproject {

namespace {

// 3 x 5 glyphs: 15 bits, the top row in the highest three, the left dot the
// highest bit of its row.
struct Glyph {
  char c;
  std::uint16_t dots;
};
constexpr Glyph kGlyphs[] = {
    {'0', 0b111'101'101'101'111}, {'1', 0b010'110'010'010'111}, {'2', 0b111'001'111'100'111},
    {'3', 0b111'001'111'001'111}, {'4', 0b101'101'111'001'001}, {'5', 0b111'100'111'001'111},
    {'6', 0b111'100'111'101'111}, {'7', 0b111'001'001'010'010}, {'8', 0b111'101'111'101'111},
    {'9', 0b111'101'111'001'111}, {'A', 0b010'101'111'101'101}, {'B', 0b110'101'110'101'110},
    {'C', 0b011'100'100'100'011}, {'D', 0b110'101'101'101'110}, {'E', 0b111'100'110'100'111},
    {'F', 0b111'100'110'100'100}, {'G', 0b011'100'101'101'011}, {'H', 0b101'101'111'101'101},
    {'I', 0b111'010'010'010'111}, {'J', 0b001'001'001'101'010}, {'K', 0b101'101'110'101'101},
    {'L', 0b100'100'100'100'111}, {'M', 0b101'111'111'101'101}, {'N', 0b110'101'101'101'101},
    {'O', 0b010'101'101'101'010}, {'P', 0b110'101'110'100'100}, {'Q', 0b010'101'101'110'011},
    {'R', 0b110'101'110'101'101}, {'S', 0b011'100'010'001'110}, {'T', 0b111'010'010'010'010},
    {'U', 0b101'101'101'101'111}, {'V', 0b101'101'101'101'010}, {'W', 0b101'101'111'111'101},
    {'X', 0b101'101'010'101'101}, {'Y', 0b101'101'010'010'010}, {'Z', 0b111'001'010'100'111},
    {'!', 0b010'010'010'000'010}, {'-', 0b000'000'111'000'000}, {'.', 0b000'000'000'000'010},
    {':', 0b000'010'000'010'000}, {'?', 0b111'001'011'000'010},
};

std::uint16_t GlyphDots(char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const Glyph& glyph : kGlyphs)
    if (glyph.c == c) return glyph.dots;
  return 0;
}

constexpr int kGlyphAdvance = 4;

}  // namespace

std::uint8_t PickColour(int n) {
  static constexpr std::array<std::uint8_t, 8> kBright = {CubeColour(5, 1, 1), CubeColour(1, 4, 1), CubeColour(1, 2, 5),
                                                          CubeColour(5, 4, 0), CubeColour(0, 4, 4), CubeColour(4, 1, 5),
                                                          CubeColour(5, 3, 1), CubeColour(3, 5, 3)};
  return kBright[static_cast<std::size_t>(n) % kBright.size()];
}

const std::vector<RGB>& ProjectPalette() {
  static const std::vector<RGB> palette = [] {
    std::vector<RGB> p(256, RGB{0, 0, 0});
    p[kTransmit] = {255, 0, 255};
    // 1..15: a grey ramp; 233..239 and 242..255 darker greys.
    for (int i = 1; i < 16; ++i)
      p[static_cast<std::size_t>(i)] = {std::uint8_t(i * 16), std::uint8_t(i * 16), std::uint8_t(i * 16)};
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          p[CubeColour(r, g, b)] = {std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51)};
    p[kBlack] = {0, 0, 0};
    for (int i = 233; i < 256; ++i)
      p[static_cast<std::size_t>(i)] = {std::uint8_t((i - 232) * 8), std::uint8_t((i - 232) * 8),
                                        std::uint8_t((i - 232) * 8)};
    p[kGrey] = {192, 192, 192};
    p[kWhite] = {255, 255, 255};
    return p;
  }();
  return palette;
}

cCanvas::cCanvas(int width, int height, std::uint8_t fill)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height, fill) {}

void cCanvas::Set(int x, int y, std::uint8_t colour) {
  if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[static_cast<std::size_t>(y) * m_width + x] = colour;
}

void cCanvas::Fill(int x, int y, int w, int h, std::uint8_t colour) {
  const int left = std::max(x, 0), right = std::min(x + w, m_width);
  for (int row = std::max(y, 0); row < std::min(y + h, m_height); ++row)
    if (left < right) std::fill_n(m_pixels.begin() + row * m_width + left, right - left, colour);
}

void cCanvas::Outline(int x, int y, int w, int h, std::uint8_t colour) {
  Fill(x, y, w, 1, colour);
  Fill(x, y + h - 1, w, 1, colour);
  Fill(x, y, 1, h, colour);
  Fill(x + w - 1, y, 1, h, colour);
}

void cCanvas::Disc(int cx, int cy, int r, std::uint8_t colour) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (dx * dx + dy * dy <= r * r) Set(cx + dx, cy + dy, colour);
}

void cCanvas::CopyMirrored(int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Set(dx + w - 1 - x, dy + y, At(sx + x, sy + y));
}

int cCanvas::TextWidth(std::string_view text, int scale) {
  return text.empty() ? 0 : (static_cast<int>(text.size()) * kGlyphAdvance - 1) * scale;
}

int cCanvas::Text(int x, int y, std::string_view text, int scale, std::uint8_t colour) {
  int pen = x;
  for (char c : text) {
    const std::uint16_t dots = GlyphDots(c);
    for (int i = 0; i < 15; ++i)
      if (dots & (1u << (14 - i))) Fill(pen + (i % 3) * scale, y + (i / 3) * scale, scale, scale, colour);
    pen += kGlyphAdvance * scale;
  }
  return TextWidth(text, scale);
}

void cCanvas::NumberedCell(int x, int y, int w, int h, int number, std::uint8_t fill, std::uint8_t ink) {
  Fill(x + 1, y + 1, w - 2, h - 2, fill);
  Outline(x, y, w, h, ink);
  const std::string label = std::to_string(number);
  const int scale = w >= 32 && h >= 24 ? 2 : 1;
  Text(x + (w - TextWidth(label, scale)) / 2, y + (h - 5 * scale) / 2, label, scale, ink);
}

std::vector<std::uint8_t> cCanvas::EncodeBmp() const {
  const int stride = (m_width + 3) & ~3;
  const std::uint32_t headerBytes = 14 + 40 + 256 * 4;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(m_height);
  std::vector<std::uint8_t> out;
  out.reserve(headerBytes + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, headerBytes + imageBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, headerBytes, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<std::uint32_t>(m_width), 4);
  PutLe(out, static_cast<std::uint32_t>(m_height), 4);  // positive: bottom-up rows
  PutLe(out, 1, 2);
  PutLe(out, 8, 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, imageBytes, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 256, 4);
  PutLe(out, 0, 4);
  for (const RGB& c : ProjectPalette()) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = m_height - 1; y >= 0; --y) {
    auto row = m_pixels.begin() + static_cast<std::ptrdiff_t>(y) * m_width;
    out.insert(out.end(), row, row + m_width);
    out.insert(out.end(), static_cast<std::size_t>(stride - m_width), 0);
  }
  return out;
}

}  // namespace mkproject
