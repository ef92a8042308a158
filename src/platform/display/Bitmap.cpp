#include "platform/display/Bitmap.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/HostPath.h"

namespace platform::display {
namespace {

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

struct HeaderInfo {
  long long width = 0;
  long long height = 0;
  int bitCount = 0;
  std::uint32_t headerSize = 0;
  std::uint32_t compression = 0;  // 1 and 2 are RLE8 and RLE4
  std::uint32_t coloursUsed = 0;  // 0: as many as the bit count allows
  std::uint32_t pixelOffset = 0;
};

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

// Reads the size and depth from the header, so that hostile sizes are
// refused before SDL allocates anything.
std::optional<HeaderInfo> ReadHeader(std::span<const std::uint8_t> bytes, std::string& why) {
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    why = "file too large";
    return std::nullopt;
  }
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') {
    why = "not a bitmap file (offset 0)";
    return std::nullopt;
  }
  const std::uint32_t headerSize = Le32(bytes, 14);
  HeaderInfo info;
  info.headerSize = headerSize;
  info.pixelOffset = Le32(bytes, 10);
  if (headerSize == 12) {  // OS/2 core header: 16-bit sizes
    info.width = Le16(bytes, 18);
    info.height = static_cast<std::int16_t>(Le16(bytes, 20));
    info.bitCount = static_cast<int>(Le16(bytes, 24));
  } else if (headerSize >= 16 && headerSize <= 124 && bytes.size() >= 30) {
    info.width = static_cast<std::int32_t>(Le32(bytes, 18));
    info.height = static_cast<std::int32_t>(Le32(bytes, 22));
    info.bitCount = static_cast<int>(Le16(bytes, 28));
    if (bytes.size() >= 50) {
      info.compression = Le32(bytes, 30);
      info.coloursUsed = Le32(bytes, 46);
    }
  } else {
    why = "unknown header size " + std::to_string(headerSize) + " (offset 14)";
    return std::nullopt;
  }
  if (info.height < 0) info.height = -info.height;  // top-down rows
  if (info.width <= 0 || info.height <= 0 || info.width > kMaxBitmapSide || info.height > kMaxBitmapSide ||
      info.width * info.height > kMaxBitmapPixels) {
    why = "bad size " + std::to_string(info.width) + "x" + std::to_string(info.height) + " (offset 18)";
    return std::nullopt;
  }
  switch (info.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return info;
    default:
      why = "unsupported bit count " + std::to_string(info.bitCount) + " (offset 28)";
      return std::nullopt;
  }
}

// Uncompressed rows must all be in the file: a file cut short is refused
// before the memory of the picture its header claims is taken.
bool RowsFit(std::span<const std::uint8_t> bytes, const HeaderInfo& info) {
  if (info.compression == kRle8 || info.compression == kRle4) return true;
  const long long rowBytes = (info.width * info.bitCount + 31) / 32 * 4;
  return static_cast<long long>(info.pixelOffset) + rowBytes * info.height <= static_cast<long long>(bytes.size());
}

// Entries in the colour table of a palette bitmap.
std::uint32_t TableEntries(const HeaderInfo& info) {
  const std::uint32_t full = 1u << info.bitCount;
  return info.coloursUsed > 0 && info.coloursUsed < full ? info.coloursUsed : full;
}

// SDL refuses a palette bitmap with a pixel beyond its short colour table,
// which Windows shows (such pixels black). The copy handed to SDL has the
// table filled up with black entries; empty when there is nothing to fill.
std::vector<std::uint8_t> WithFullColourTable(std::span<const std::uint8_t> bytes, const HeaderInfo& info) {
  const std::uint32_t full = 1u << info.bitCount;
  const std::uint32_t entries = TableEntries(info);
  const std::size_t tableEnd = 14 + std::size_t{info.headerSize} + std::size_t{entries} * 4;
  if (info.headerSize < 40 || entries == full || info.pixelOffset < tableEnd || info.pixelOffset > bytes.size())
    return {};
  const std::size_t added = std::size_t{full - entries} * 4;
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(tableEnd));
  copy.resize(tableEnd + added, 0);
  copy.insert(copy.end(), bytes.begin() + static_cast<std::ptrdiff_t>(tableEnd), bytes.end());
  auto put32 = [&copy](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) copy[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(2, static_cast<std::uint32_t>(copy.size()));
  put32(10, info.pixelOffset + static_cast<std::uint32_t>(added));
  put32(46, full);
  return copy;
}

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

void ReadIndexed(const SDL_Surface& surface, Bitmap& bitmap) {
  const SDL_Palette* palette = surface.format->palette;
  for (int i = 0; palette && i < palette->ncolors; ++i) {
    const SDL_Color& c = palette->colors[i];
    bitmap.palette.push_back(static_cast<std::uint32_t>(c.r) << 16 | c.g << 8 | c.b);
  }
  // Appended row by row, so that no byte is written twice.
  bitmap.indices.reserve(static_cast<std::size_t>(bitmap.width) * bitmap.height);
  const auto* pixels = static_cast<const std::uint8_t*>(surface.pixels);
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * surface.pitch;
    bitmap.indices.insert(bitmap.indices.end(), row, row + bitmap.width);
  }
}

bool ReadColours(SDL_Surface& surface, Bitmap& bitmap) {
  SurfacePtr argb(SDL_ConvertSurfaceFormat(&surface, SDL_PIXELFORMAT_ARGB8888, 0), SDL_FreeSurface);
  if (!argb) return false;
  bitmap.colours.reserve(static_cast<std::size_t>(bitmap.width) * bitmap.height);
  const auto* pixels = static_cast<const std::uint8_t*>(argb->pixels);
  for (int y = 0; y < bitmap.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + y * argb->pitch);
    for (int x = 0; x < bitmap.width; ++x) bitmap.colours.push_back(row[x] & 0xFFFFFF);
  }
  return true;
}

}  // namespace

std::uint32_t Bitmap::Colour(int x, int y) const {
  if (!Indexed()) return colours[static_cast<std::size_t>(y) * width + x];
  const std::uint8_t index = Index(x, y);
  return index < palette.size() ? palette[index] : 0;
}

std::optional<Bitmap> DecodeBitmap(std::span<const std::uint8_t> bytes, std::string* why) {
  std::string reason;
  auto header = ReadHeader(bytes, reason);
  if (header && !RowsFit(bytes, *header)) reason = "file cut short (offset " + std::to_string(bytes.size()) + ")";
  if (!header || !reason.empty()) {
    if (why) *why = reason;
    return std::nullopt;
  }
  const std::vector<std::uint8_t> filled =
      header->bitCount <= 8 ? WithFullColourTable(bytes, *header) : std::vector<std::uint8_t>{};
  const std::span<const std::uint8_t> handed = filled.empty() ? bytes : std::span<const std::uint8_t>(filled);
  SurfacePtr surface(SDL_LoadBMP_RW(SDL_RWFromConstMem(handed.data(), static_cast<int>(handed.size())), 1),
                     SDL_FreeSurface);
  if (!surface || surface->w != header->width || surface->h != header->height) {
    if (why) *why = std::string("damaged bitmap: ") + (surface ? "size mismatch" : SDL_GetError());
    return std::nullopt;
  }
  Bitmap bitmap;
  bitmap.width = surface->w;
  bitmap.height = surface->h;
  bitmap.bitCount = header->bitCount;
  if (bitmap.Indexed() && surface->format->BytesPerPixel == 1) {
    ReadIndexed(*surface, bitmap);
    if (bitmap.palette.size() > TableEntries(*header)) bitmap.palette.resize(TableEntries(*header));
  } else if (bitmap.Indexed() || !ReadColours(*surface, bitmap)) {
    if (why) *why = "damaged bitmap: unexpected pixel layout";
    return std::nullopt;
  }
  return bitmap;
}

std::optional<Bitmap> LoadBitmapFile(std::string_view storedPath, std::string* why) {
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(OpenFile(storedPath, "rb"), std::fclose);
  if (!file) {
    if (why) *why = "cannot open the file";
    return std::nullopt;
  }
  // Enough for the largest accepted bitmap at 32 bits with its headers.
  constexpr long long kMaxFileBytes = kMaxBitmapPixels * 4 + (1 << 20);
  // The file is read whole in one piece of the size it says it has.
  const long long size = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    if (why) *why = "cannot read the file";
    return std::nullopt;
  }
  if (size > kMaxFileBytes) {
    if (why) *why = "file too large";
    return std::nullopt;
  }
  // Left unset: fread writes every byte that is used.
  const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
  const std::size_t read = std::fread(bytes.get(), 1, static_cast<std::size_t>(size), file.get());
  return DecodeBitmap({bytes.get(), read}, why);
}

bool WriteBitmap24(const std::string& hostPath, std::span<const std::uint32_t> xrgb, int width, int height) {
  if (width <= 0 || height <= 0 || xrgb.size() < static_cast<std::size_t>(width) * height) return false;
  SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(xrgb.data()), width, height, 32,
                                                       width * 4, SDL_PIXELFORMAT_RGB888),
                    SDL_FreeSurface);
  if (!source) return false;
  SurfacePtr bgr(SDL_ConvertSurfaceFormat(source.get(), SDL_PIXELFORMAT_BGR24, 0), SDL_FreeSurface);
  return bgr && SDL_SaveBMP(bgr.get(), hostPath.c_str()) == 0;
}

}  // namespace platform::display
