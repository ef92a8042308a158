// Any bytes as a blend-table file and as the arguments of every effect blit:
// the table loads into its fixed 65536 bytes, and the blits that walk pixels
// take sizes, radii, angles and places from anywhere and finish at once
// without reading or writing outside either surface, on every back end. The
// effects made of plain copies take the sizes of graphics and screens.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "library/draw/Draw.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("zandrel-fuzz-hbt-" + std::to_string(::getpid()) + ".dat")).string();
  return path;
}

// Ints taken from the input in turn; 0 once it is used up.
class Args {
 public:
  Args(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  int Next() {
    int v = 0;
    if (m_at + sizeof v <= m_size) std::memcpy(&v, m_data + m_at, sizeof v);
    m_at += sizeof v;
    // Mostly small values, where the pixels are, and now and then any int.
    return (v & 0x100) ? v : v % 97;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size, m_at = 0;
};

void DrawEffects(Args args, DDSURFACEDATA* src) {
  DDSURFACEDATA* dst = &BackBuffer;
  auto n = [&] { return args.Next(); };
  auto m = [&] { return args.Next() % 4096; };
  DDBltTint(dst, n(), n(), n(), n(), src, n(), n(), 1, ColorPalette, HbtTable, n(), n());
  DDBltAlpha(dst, n(), n(), n(), n(), src, n(), n(), 1, HbtTable, n());
  DDBltRotate(dst, n(), n(), n(), n(), n(), n(), n(), src, n(), n(), 1);
  DDBltLens(dst, n(), n(), n(), n(), src, n(), n(), 1, 1);
  DDMosaic(dst, n(), n(), n(), n(), n(), src, n(), n(), 1);
  DDBlur(dst, n(), n(), n(), n(), n(), n(), src, n(), n(), 1);
  DDBltCircle(dst, n(), n(), n(), n(), n(), n(), src, n(), n(), 1);
  DDDrawSplit(dst, m(), m(), m(), m(), m(), n(), src, m(), m(), 1, n() & 1);
  DDDrawWave(dst, m(), m(), m(), m(), n(), n(), n(), m(), src, m(), m(), 1, n() & 1);
  DDDrawFlip(dst, m(), m(), m(), m(), src, m(), m(), src, m(), m(), m(), m(), 1, n(), n() & 1);
  DDDrawQuadSplit(dst, m(), m(), m(), m(), src, m(), m(), m(), 1);
  DDChangeColor(dst, 0, 0, 64, 48, n(), 10, 20, 30);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (std::FILE* f = std::fopen(ScratchFile().c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  const struct { int direct3D, bpp; } modes[] = {{1, 16}, {1, 32}, {0, 8}, {0, 16}, {0, 32}};
  for (const auto& mode : modes) {
    if (!DDInit(mode.direct3D, nullptr, 64, 48, mode.bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0)) continue;
    DDLoadHbtTable(HbtTable, ScratchFile());
    DDSURFACEDATA sheet, system;
    DDCreateSurface(&sheet, 40, 30, 1, 0, 0, 0, 0);
    DDCreateSurface(&system, 40, 30, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0);
    DDFillSurface(&sheet, 3);
    DDFillSurface(&system, 5);
    DrawEffects(Args(data, size), &sheet);
    DrawEffects(Args(data, size), &system);
    DDReleaseSurface(&sheet);
    DDReleaseSurface(&system);
    DDUnInit();
  }
  std::remove(ScratchFile().c_str());
  return 0;
}
