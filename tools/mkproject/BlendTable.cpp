#include <cstddef>

#include "Canvas.h"
#include "Project.h"

namespace mkproject {

namespace {

// The palette entry nearest the half-and-half mix of two colours. Distances
// are taken on doubled channels so the mix stays exact; the transmit colour
// is never a result (a blended pixel must stay visible), and a tie goes to
// the lower entry.
std::uint8_t NearestToHalf(const RGB& a, const RGB& b) {
  const std::vector<RGB>& palette = ProjectPalette();
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 256; ++i) {
    if (i == kTransmit) continue;
    const RGB& c = palette[static_cast<std::size_t>(i)];
    const long dr = 2L * c.r - a.r - b.r, dg = 2L * c.g - a.g - b.g, db = 2L * c.b - a.b - b.b;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace

// The 8-bit mode's blend table of the project's palette (variant 00): entry
// a * 256 + b is the colour standing for the half blend of colours a and b.
void WriteBlendTable() {
  const std::vector<RGB>& palette = ProjectPalette();
  std::vector<std::uint8_t> table(256 * 256);
  for (int a = 0; a < 256; ++a)
    for (int b = a; b < 256; ++b) {
      const std::uint8_t mix =
          NearestToHalf(palette[static_cast<std::size_t>(a)], palette[static_cast<std::size_t>(b)]);
      table[static_cast<std::size_t>(a * 256 + b)] = table[static_cast<std::size_t>(b * 256 + a)] = mix;
    }
  WriteFile("bmp\\hbt\\hbt00.dat", table);
}

}  // namespace mkproject
