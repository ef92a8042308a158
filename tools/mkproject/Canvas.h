#pragma once
// An 8-bit picture in palette numbers, drawn with a few primitives and
// written as a Windows bitmap of 256 colours.
#include <cstdint>
#include <string_view>
#include <vector>

namespace mkproject {

// Entry of the 6 x 6 x 6 colour cube (each channel 0..5) at 17..232.
constexpr std::uint8_t CubeColour(int r, int g, int b) { return static_cast<std::uint8_t>(17 + r * 36 + g * 6 + b); }
// Palette numbers the sample graphics use. 0 is the transmit colour (the
// top-left pixel of the palette bitmap); the fonts draw in 241 with frames in
// 240; 16 is the stage's plain background.
enum Colour : std::uint8_t {
  kTransmit = 0,
  kBlack = 16,
  kDarkBlue = CubeColour(0, 0, 2),
  kGrey = 240,
  kWhite = 241,
};
// A bright colour chosen by a number, for telling cells apart.
std::uint8_t PickColour(int n);

struct RGB {
  std::uint8_t r, g, b;
};
// The palette of every bitmap of the project.
const std::vector<RGB>& ProjectPalette();

class cCanvas {
 public:
  cCanvas(int width, int height, std::uint8_t fill = kTransmit);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  std::uint8_t At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }

  void Set(int x, int y, std::uint8_t colour);
  void Fill(int x, int y, int w, int h, std::uint8_t colour);
  void Outline(int x, int y, int w, int h, std::uint8_t colour);
  void Disc(int cx, int cy, int r, std::uint8_t colour);
  // Text of digits, A-Z (lowercase drawn as uppercase), space and a few
  // marks in a 3 x 5 dot font, each dot `scale` pixels; returns its width.
  int Text(int x, int y, std::string_view text, int scale, std::uint8_t colour);
  static int TextWidth(std::string_view text, int scale);
  // Copies the w x h pixels at (sx, sy) to (dx, dy) flipped left to right.
  void CopyMirrored(int sx, int sy, int w, int h, int dx, int dy);
  // A cell with an outline and its number centred.
  void NumberedCell(int x, int y, int w, int h, int number, std::uint8_t fill, std::uint8_t ink);

  // The 8-bit bottom-up Windows bitmap with ProjectPalette.
  std::vector<std::uint8_t> EncodeBmp() const;

 private:
  int m_width;
  int m_height;
  std::vector<std::uint8_t> m_pixels;
};

}  // namespace mkproject
