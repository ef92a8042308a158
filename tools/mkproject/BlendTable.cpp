#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "Canvas.h"
#include "Project.h"

namespace mkproject {

namespace {

// The palette option's variants: the first twelve turn the twelve 16-colour
// groups from entry 16 round, the other twelve show one group everywhere.
constexpr int kVariants = 24;
constexpr int kGroups = 12;
constexpr int kGroupSize = 16;
constexpr int kFirstGroupEntry = 16;

// The palette as the player shows it with a variant: below 12, group g shows
// group (g + variant) mod 12; from 12, every group shows group variant - 12.
std::vector<RGB> VariantPalette(int variant) {
  const std::vector<RGB>& base = ProjectPalette();
  std::vector<RGB> palette = base;
  for (int g = 0; g < kGroups; ++g) {
    const int shown = variant < kGroups ? (g + variant) % kGroups : variant - kGroups;
    std::copy_n(base.begin() + kFirstGroupEntry + shown * kGroupSize, kGroupSize,
                palette.begin() + kFirstGroupEntry + g * kGroupSize);
  }
  return palette;
}

// The palette entry nearest the half-and-half mix of two colours. Distances
// are taken on doubled channels so the mix stays exact; the transmit colour
// is never a result (a blended pixel must stay visible), and a tie goes to
// the lower entry.
std::uint8_t NearestToHalf(const std::vector<RGB>& palette, const RGB& a, const RGB& b) {
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

// Entry a * 256 + b is the colour standing for the half blend of colours a and b.
std::vector<std::uint8_t> BlendTable(const std::vector<RGB>& palette) {
  std::vector<std::uint8_t> table(256 * 256);
  for (int a = 0; a < 256; ++a)
    for (int b = a; b < 256; ++b)
      table[static_cast<std::size_t>(a * 256 + b)] = table[static_cast<std::size_t>(b * 256 + a)] =
          NearestToHalf(palette, palette[static_cast<std::size_t>(a)], palette[static_cast<std::size_t>(b)]);
  return table;
}

}  // namespace

void WriteBlendTables() {
  for (int variant = 0; variant < kVariants; ++variant) {
    char path[32];
    std::snprintf(path, sizeof path, "bmp\\hbt\\hbt%02d.dat", variant);
    WriteFile(path, BlendTable(VariantPalette(variant)));
  }
}

}  // namespace mkproject
