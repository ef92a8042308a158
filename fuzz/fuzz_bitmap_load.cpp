// Any bytes as a bitmap file: decoded, then loaded and converted by the
// drawing layer as each back end does it (Direct3D 16-bit textures with a
// mirrored sheet and a palette-index map, DirectDraw 8- and 16-bit surfaces).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

#include "library/draw/Draw.h"
#include "platform/display/Bitmap.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("zandrel-fuzz-bitmap-" + std::to_string(::getpid()) + ".bmp"))
          .string();
  return path;
}

void LoadThroughLayer(int direct3D, int bpp) {
  DDInit(direct3D, nullptr, 64, 48, bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
  DDSURFACEDATA sheet, mirrored;
  if (DDSetTransmit(ScratchFile()) == 1) {
    DDCreateSurfaceFromFile(&sheet, ScratchFile(), 1, bpp, 0, 0, 0, 1, 0, 0, 0);
    DDCreateSurfaceFromFile(&mirrored, ScratchFile(), 1, bpp, 0, 0, 0, 0, 3, 0, 0);
    DDBlt(&BackBuffer, -5, -5, 80, 60, &mirrored, 0, 0, 1);
  }
  DDReleaseSurface(&sheet);
  DDReleaseSurface(&mirrored);
  DDUnInit();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bitmap = platform::display::DecodeBitmap(std::span(data, size));
  if (!bitmap || static_cast<long long>(bitmap->width) * bitmap->height > 256 * 256) return 0;
  if (std::FILE* file = std::fopen(ScratchFile().c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  LoadThroughLayer(1, 16);
  LoadThroughLayer(0, 8);
  LoadThroughLayer(0, 16);
  std::remove(ScratchFile().c_str());
  return 0;
}
