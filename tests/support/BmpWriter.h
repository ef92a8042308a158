#pragma once
// Small writer of BMP files in the variants real projects hold, for tests.
#include <cstdint>
#include <string>
#include <vector>

namespace testbmp {

struct Spec {
  int width = 0;
  int height = 0;
  int bitCount = 24;
  bool topDown = false;
  bool os2 = false;                    // 12-byte core header, 3-byte palette entries
  std::vector<std::uint32_t> palette;  // 0xRRGGBB, may be shorter than 2^bitCount
  std::vector<std::uint32_t> pixels;   // width * height, top row first: indices or 0xRRGGBB
  bool rle8 = false;                   // 8-bit only: encoded run by run
};

inline void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

inline std::string RowBytes(const Spec& spec, int y) {
  std::string row;
  const std::uint32_t* p = &spec.pixels[static_cast<std::size_t>(y) * spec.width];
  if (spec.bitCount <= 8) {
    std::uint32_t acc = 0;
    int bits = 0;
    for (int x = 0; x < spec.width; ++x) {
      acc = acc << spec.bitCount | p[x];
      bits += spec.bitCount;
      if (bits == 8) {
        row += static_cast<char>(acc);
        acc = 0;
        bits = 0;
      }
    }
    if (bits) row += static_cast<char>(acc << (8 - bits));
  } else {
    for (int x = 0; x < spec.width; ++x) {
      const std::uint32_t c = p[x];
      if (spec.bitCount == 16) {
        Put16(row, ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31));
      } else {
        row += static_cast<char>(c & 0xFF);
        row += static_cast<char>((c >> 8) & 0xFF);
        row += static_cast<char>((c >> 16) & 0xFF);
        if (spec.bitCount == 32) row += '\0';
      }
    }
  }
  while (row.size() % 4) row += '\0';
  return row;
}

// RLE8: one encoded run per pixel pair of equal value, else single runs.
inline std::string Rle8Row(const Spec& spec, int y) {
  std::string out;
  const std::uint32_t* p = &spec.pixels[static_cast<std::size_t>(y) * spec.width];
  for (int x = 0; x < spec.width;) {
    int run = 1;
    while (x + run < spec.width && run < 255 && p[x + run] == p[x]) ++run;
    out += static_cast<char>(run);
    out += static_cast<char>(p[x]);
    x += run;
  }
  out += '\0';
  out += '\0';  // end of line
  return out;
}

inline std::string Write(const Spec& spec) {
  std::string pixels;
  for (int i = 0; i < spec.height; ++i) {
    const int y = spec.topDown ? i : spec.height - 1 - i;
    pixels += spec.rle8 ? Rle8Row(spec, y) : RowBytes(spec, y);
  }
  if (spec.rle8) {
    pixels += '\0';
    pixels += '\1';  // end of bitmap
  }
  std::string info;
  if (spec.os2) {
    Put32(info, 12);
    Put16(info, static_cast<std::uint32_t>(spec.width));
    Put16(info, static_cast<std::uint32_t>(spec.height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(spec.bitCount));
  } else {
    Put32(info, 40);
    Put32(info, static_cast<std::uint32_t>(spec.width));
    Put32(info, static_cast<std::uint32_t>(spec.topDown ? -spec.height : spec.height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(spec.bitCount));
    Put32(info, spec.rle8 ? 1 : 0);
    Put32(info, static_cast<std::uint32_t>(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, static_cast<std::uint32_t>(spec.palette.size()));
    Put32(info, 0);
  }
  std::string table;
  for (std::uint32_t c : spec.palette) {
    table += static_cast<char>(c & 0xFF);
    table += static_cast<char>((c >> 8) & 0xFF);
    table += static_cast<char>((c >> 16) & 0xFF);
    if (!spec.os2) table += '\0';
  }
  std::string file = "BM";
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + table.size());
  Put32(file, static_cast<std::uint32_t>(offset + pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  return file + info + table + pixels;
}

}  // namespace testbmp
