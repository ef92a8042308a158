// The row kernels against the pixel rules worked out one pixel at a time:
// every width around the four-pixel groups, starts off the group boundary,
// and quads hanging over each side of the target.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/display/Device.h"
#include "platform/display/DirectDraw.h"
#include "platform/display/SpanKernels.h"

namespace {

using namespace platform::display;

constexpr int kTargetWidth = 44, kTargetHeight = 5;
constexpr int kSheetWidth = 40, kSheetHeight = 4;

// Rows 0 and 1 mix the alphas a kernel treats apart (0, 255 and partial);
// rows 2 and 3 hold runs of 0 and 255 alone, as keyed sprites do.
std::uint32_t SheetTexel(int x, int y) {
  static const std::uint32_t alphas[] = {0xFF, 0x00, 0xFF, 0x80, 0x01, 0xFF, 0xFE, 0x00, 0x40};
  const std::uint32_t n = static_cast<std::uint32_t>(x + kSheetWidth * y);
  const std::uint32_t alpha = y < 2 ? alphas[n % 9] : (x / 3 + y) % 2 == 0 ? 0xFFu : 0x00u;
  return alpha << 24 | (n * 37 % 256) << 16 | (n * 91 % 256) << 8 | (n * 53 + 7) % 256;
}

std::uint32_t TargetPixel(int x, int y) {
  const std::uint32_t n = static_cast<std::uint32_t>(x + kTargetWidth * y);
  return 0x5A000000u | (n * 29 % 256) << 16 | (n * 13 % 256) << 8 | (n * 71 % 256);
}

std::uint32_t Channel(std::uint32_t argb, int shift) { return argb >> shift & 0xFF; }

// (src * a + dst * (255 - a) + 127) / 255 on every channel.
std::uint32_t Blend(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 24; shift += 8)
    out |= (Channel(src, shift) * a + Channel(dst, shift) * (255 - a) + 127) / 255 << shift;
  return out;
}

int FloorDiv(long long n, long long d) { return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d)); }
int Wrap(int v, int size) { return (v % size + size) % size; }

enum class Shade { Texel, Opaque, Tinted, Untextured };

struct QuadCase {
  std::string name;
  Quad quad;
  Shade shade = Shade::Texel;
  bool underlay = false;  // the quad's rectangle is cleared first
};

constexpr std::uint32_t kTint = 0x80C060FF, kFactor = 0x6633CC99, kClear = 0xFF204060;

std::uint32_t Shaded(const QuadCase& c, int k, int j) {
  const Quad& q = c.quad;
  if (c.shade == Shade::Untextured) return kFactor;
  const int tx = Wrap(q.sx + FloorDiv((2LL * k + 1) * q.sw, 2LL * q.w), kSheetWidth);
  const int ty = Wrap(q.sy + FloorDiv((2LL * j + 1) * q.sh, 2LL * q.h), kSheetHeight);
  const std::uint32_t texel = SheetTexel(tx, ty);
  if (c.shade == Shade::Opaque) return texel | 0xFF000000u;
  if (c.shade == Shade::Texel) return texel;
  std::uint32_t out = 0;  // modulated by the vertex colour, rounded as (a * b + 127) / 255
  for (int shift = 0; shift <= 24; shift += 8)
    out |= (Channel(texel, shift) * Channel(kTint, shift) + 127) / 255 << shift;
  return out;
}

// The target after the quad, pixel by pixel from the rules.
std::vector<std::uint32_t> Expected(const QuadCase& c, PixelFormat format) {
  const bool x8 = format == PixelFormat::X8R8G8B8;
  std::vector<std::uint32_t> out;
  for (int y = 0; y < kTargetHeight; ++y)
    for (int x = 0; x < kTargetWidth; ++x) {
      const Quad& q = c.quad;
      std::uint32_t pixel = TargetPixel(x, y);
      if (x >= q.x && x < q.x + q.w && y >= q.y && y < q.y + q.h) {
        if (c.underlay) pixel = x8 ? kClear & 0xFFFFFF : kClear;
        const std::uint32_t src = Shaded(c, x - q.x, y - q.y);
        if (src >> 24 != 0) pixel = Blend(src, x8 ? pixel | 0xFF000000u : pixel) & (x8 ? 0xFFFFFFu : ~0u);
      }
      out.push_back(pixel);
    }
  return out;
}

std::vector<std::uint32_t> Drawn(const QuadCase& c, PixelFormat format) {
  Device device(format, kTargetWidth, kTargetHeight);
  PixelBuffer& target = device.BackBuffer().Pixels();
  for (int y = 0; y < kTargetHeight; ++y)
    for (int x = 0; x < kTargetWidth; ++x) target.Put(x, y, TargetPixel(x, y));
  auto sheet = device.CreateTexture(kSheetWidth, kSheetHeight, PixelFormat::A8R8G8B8, Pool::Managed, false);
  for (int y = 0; y < kSheetHeight; ++y)
    for (int x = 0; x < kSheetWidth; ++x) sheet->Pixels().Put(x, y, SheetTexel(x, y));
  TextureStage stage;
  if (c.shade == Shade::Opaque) stage.alphaOp = D3DTOP_DISABLE;
  if (c.shade == Shade::Tinted) stage.alphaOp = D3DTOP_MODULATE;
  if (c.shade == Shade::Untextured)
    stage = {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR};
  device.SetTextureStage(stage);
  device.SetTextureFactor(kFactor);
  Quad quad = c.quad;
  quad.diffuse = c.shade == Shade::Tinted ? kTint : 0xFFFFFFFF;
  const Texture* texture = c.shade == Shade::Untextured ? nullptr : sheet.get();
  if (c.underlay)
    device.ClearAndDrawQuads(texture, {&quad, 1}, kClear);
  else
    device.DrawQuads(texture, {&quad, 1});
  std::vector<std::uint32_t> out;
  for (int y = 0; y < kTargetHeight; ++y)
    for (int x = 0; x < kTargetWidth; ++x) out.push_back(target.Get(x, y));
  return out;
}

std::vector<QuadCase> QuadCases() {
  std::vector<QuadCase> cases;
  for (int w : {1, 3, 7, 8, 9, 17, 31, 33})
    for (int start : {0, 1, 3})
      for (Shade shade : {Shade::Texel, Shade::Opaque, Shade::Tinted, Shade::Untextured}) {
        const std::string name = "w" + std::to_string(w) + " at " + std::to_string(start) + " shade " +
                                 std::to_string(static_cast<int>(shade));
        cases.push_back({name, {start, 1, w, 2, start + 2, 1, w, 2}, shade});
        cases.push_back({name + " keyed texels", {start, 1, w, 3, start + 1, 1, w, 3}, shade});
        cases.push_back({name + " cleared first", {start, 1, w, 2, start, 0, w, 2}, shade, true});
        cases.push_back({name + " doubled", {start, 0, w, 3, 1, 0, (w + 1) / 2, 2}, shade});
        cases.push_back({name + " mirrored", {start, 1, w, 2, w + 1, 1, -w, 2}, shade});
      }
  cases.push_back({"over the left side", {-3, 1, 9, 2, 2, 0, 9, 2}});
  cases.push_back({"over the right side", {kTargetWidth - 5, 1, 9, 2, 2, 0, 9, 2}});
  cases.push_back({"over the top", {4, -2, 9, 4, 0, 0, 9, 4}});
  cases.push_back({"over the bottom", {4, kTargetHeight - 1, 9, 3, 0, 0, 9, 3}});
  cases.push_back({"over every side, scaled", {-2, -1, kTargetWidth + 5, kTargetHeight + 2, 0, 0, 7, 3}});
  cases.push_back({"over the left side, cleared first", {-3, 1, 9, 2, 2, 0, 9, 2}, Shade::Texel, true});
  cases.push_back({"wrapping past the sheet's right edge", {2, 0, 9, 2, kSheetWidth - 4, 3, 9, 2}});
  return cases;
}

// Runs the test's body with the widest vectors and again with the narrowest.
class SpanKernelTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AllowWideKernels(GetParam()); }
  void TearDown() override { AllowWideKernels(true); }
};

INSTANTIATE_TEST_SUITE_P(VectorWidths, SpanKernelTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Widest" : "Narrowest"; });

TEST_P(SpanKernelTest, QuadsOfEveryWidthStartAndClipMatchThePixelRules) {
  for (PixelFormat format : {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8})
    for (const QuadCase& c : QuadCases())
      ASSERT_EQ(Drawn(c, format), Expected(c, format)) << c.name << (format == PixelFormat::A8R8G8B8 ? " A8" : " X8");
}

// Overlapping quads cleared first: every clear lands before any quad draws,
// so the second quad's transparent texels show the first quad, not the clear.
TEST(SpanKernelOrderTest, ClearsOfSeveralQuadsComeBeforeAnyDrawing) {
  Device device(PixelFormat::X8R8G8B8, 2, 1);
  auto sheet = device.CreateTexture(2, 1, PixelFormat::A8R8G8B8, Pool::Managed, false);
  sheet->Pixels().Put(0, 0, 0xFF112233);
  sheet->Pixels().Put(1, 0, 0x00000000);
  const Quad quads[] = {{0, 0, 2, 1, 0, 0, 2, 1}, {1, 0, 1, 1, 1, 0, 1, 1}};
  device.ClearAndDrawQuads(sheet.get(), quads, 0xFF0000FF);
  EXPECT_EQ(device.BackBuffer().Pixels().Get(0, 0), 0x112233u);
  EXPECT_EQ(device.BackBuffer().Pixels().Get(1, 0), 0x0000FFu);
}

// Tiles apart from each other are each cleared and drawn in one pass, with
// the same pixels as clearing them all first; an empty quad is no tile.
TEST(SpanKernelOrderTest, TilesApartShowTheClearUnderTheirTransparentTexels) {
  Device device(PixelFormat::X8R8G8B8, 5, 1);
  device.BackBuffer().Pixels().Fill(0, 0, 5, 1, 0x00ABCDEF);
  auto sheet = device.CreateTexture(3, 1, PixelFormat::A8R8G8B8, Pool::Managed, false);
  sheet->Pixels().Put(0, 0, 0xFF112233);
  sheet->Pixels().Put(1, 0, 0x00000000);
  sheet->Pixels().Put(2, 0, 0x80FF0000);
  const Quad quads[] = {{0, 0, 2, 1, 0, 0, 2, 1}, {0, 0, 0, 0, 0, 0, 1, 1}, {2, 0, 1, 1, 2, 0, 1, 1},
                        {3, 0, 1, 1, 1, 0, 1, 1}};
  device.ClearAndDrawQuads(sheet.get(), quads, 0xFF0000FF);
  // Red at alpha 128 over blue: (255 * 128 + 127) / 255 = 128 and (255 * 127 + 127) / 255 = 127.
  const std::uint32_t expected[] = {0x112233, 0x0000FF, 0x80007F, 0x0000FF, 0xABCDEF};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(device.BackBuffer().Pixels().Get(x, 0), expected[x]) << x;
}

// Raw pixels of a DirectDraw surface: distinct, with the key every third one.
std::uint32_t RawPixel(int x, int y, int bytes) {
  const std::uint32_t mask = bytes == 4 ? 0xFFFFFFFFu : (1u << 8 * bytes) - 1;
  return x % 3 == 1 ? 0x2A & mask : ((static_cast<std::uint32_t>(x * 7 + y * 131) * 0x01030507u + 0x40) & mask);
}

struct BltCase {
  RECT to, from;
};

TEST_P(SpanKernelTest, KeyedAndStretchedBlitsOfEveryWidthMatchThePixelRules) {
  std::vector<BltCase> cases;
  for (int w : {1, 3, 7, 8, 9, 15, 16, 17, 31, 33})
    for (int start : {0, 1, 3}) {
      cases.push_back({{start, 1, start + w, 3}, {start + 2, 0, start + 2 + w, 2}});
      cases.push_back({{start, 0, start + w, 3}, {1, 1, 1 + (w + 1) / 2, 3}});  // stretched
    }
  cases.push_back({{0, 0, 40, 1}, {2, 0, 42, 1}});  // the left edge
  cases.push_back({{4, 3, 44, 4}, {0, 3, 40, 4}});  // the right and bottom edges
  cases.push_back({{0, 0, 44, 4}, {0, 0, 44, 4}});  // all of it
  for (PixelFormat format : {PixelFormat::Index8, PixelFormat::R5G6B5, PixelFormat::R8G8B8, PixelFormat::X8R8G8B8})
    // No key, the key of every third pixel, and a key wider than the pixels, which matches none of them.
    for (std::optional<std::uint32_t> key : {std::optional<std::uint32_t>(), {0x2Au}, {0x0100002Au}})
      for (const BltCase& c : cases) {
        const int bytes = BytesPerPixel(format);
        DDSurface src(format, 44, 4, false), dst(format, 44, 4, false);
        src.SetColorKey(key.value_or(0x2A));
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 44; ++x) {
            src.Pixels().Put(x, y, RawPixel(x, y, bytes));
            dst.Pixels().Put(x, y, RawPixel(x + 1, y + 2, bytes) ^ 0x55);
          }
        std::vector<std::uint32_t> expected;
        const int w = c.to.Width(), h = c.to.Height(), sw = c.from.Width(), sh = c.from.Height();
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 44; ++x) {
            std::uint32_t pixel = dst.Pixels().Get(x, y);
            if (x >= c.to.left && x < c.to.right && y >= c.to.top && y < c.to.bottom) {
              const std::uint32_t from =
                  src.Pixels().Get(c.from.left + (x - c.to.left) * sw / w, c.from.top + (y - c.to.top) * sh / h);
              if (!key || from != *key) pixel = from;
            }
            expected.push_back(pixel);
          }
        ASSERT_EQ(Blt(dst, c.to, src, c.from, key.has_value()), DD_OK);
        std::vector<std::uint32_t> drawn;
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 44; ++x) drawn.push_back(dst.Pixels().Get(x, y));
        ASSERT_EQ(drawn, expected) << "bytes " << bytes << " key " << key.value_or(0) << " to " << c.to.left << ","
                                   << c.to.top << " w " << w << " from " << c.from.left;
      }
}

// A copy onto an overlapping part of its own surface reads the source as it
// was before the copy, keyed or not, sideways or downwards.
TEST_P(SpanKernelTest, CopiesOntoTheirOwnSurfaceReadTheSourceFirst) {
  for (bool keyed : {true, false}) {
    DDSurface s(PixelFormat::X8R8G8B8, 12, 3, false);
    s.SetColorKey(9);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 12; ++x) s.Pixels().Put(x, y, x == 7 ? 9u : static_cast<std::uint32_t>(x + 20 + 100 * y));
    ASSERT_EQ(Blt(s, RECT{1, 0, 12, 1}, s, RECT{0, 0, 11, 1}, keyed), DD_OK);
    ASSERT_EQ(Blt(s, RECT{0, 2, 12, 3}, s, RECT{0, 1, 12, 2}, keyed), DD_OK);
    ASSERT_EQ(Blt(s, RECT{0, 1, 12, 3}, s, RECT{0, 0, 12, 2}, keyed), DD_OK);
    std::vector<std::uint32_t> rows[3];
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 12; ++x) rows[y].push_back(s.Pixels().Get(x, y));
    const std::vector<std::uint32_t> first = {20, 20, 21, 22, 23, 24, 25, 26, keyed ? 28u : 9u, 28, 29, 30};
    EXPECT_EQ(rows[0], first) << keyed;
    EXPECT_EQ(rows[1], first) << keyed;
    // Row 1 as it was before the downward copy; its key pixel lands on row 2's own key pixel.
    const std::vector<std::uint32_t> second = {120, 121, 122, 123, 124, 125, 126, 9, 128, 129, 130, 131};
    EXPECT_EQ(rows[2], second) << keyed;
  }
}

// Keyed blocks of several rows moved over their own surface in every
// direction, and beside themselves: each target pixel shows the source
// pixel it lies over as the surface was before the copy, or stays as it
// was where that source pixel is the key.
TEST_P(SpanKernelTest, KeyedBlocksMovedOverTheirOwnSurfaceReadTheSourceFirst) {
  constexpr int kWidth = 40, kHeight = 8;
  const std::pair<int, int> moves[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-2, -2}, {2, 2}, {3, -1}, {0, 3}};
  for (PixelFormat format : {PixelFormat::R5G6B5, PixelFormat::R8G8B8, PixelFormat::X8R8G8B8})
    for (int w : {9, 31})
      for (const auto& [dx, dy] : moves) {
        const int bytes = BytesPerPixel(format);
        DDSurface s(format, kWidth, kHeight, false);
        s.SetColorKey(0x2A);
        for (int y = 0; y < kHeight; ++y)
          for (int x = 0; x < kWidth; ++x) s.Pixels().Put(x, y, RawPixel(x, y, bytes));
        const RECT from{3, 2, 3 + w, 5}, to{from.left + dx, from.top + dy, from.right + dx, from.bottom + dy};
        std::vector<std::uint32_t> expected;
        for (int y = 0; y < kHeight; ++y)
          for (int x = 0; x < kWidth; ++x) {
            const bool inside = x >= to.left && x < to.right && y >= to.top && y < to.bottom;
            const std::uint32_t source = inside ? RawPixel(x - dx, y - dy, bytes) : 0x2A;
            expected.push_back(source != 0x2A ? source : RawPixel(x, y, bytes));
          }
        ASSERT_EQ(Blt(s, to, s, from, true), DD_OK);
        std::vector<std::uint32_t> drawn;
        for (int y = 0; y < kHeight; ++y)
          for (int x = 0; x < kWidth; ++x) drawn.push_back(s.Pixels().Get(x, y));
        ASSERT_EQ(drawn, expected) << "bytes " << bytes << " w " << w << " moved " << dx << "," << dy;
      }
}

}  // namespace
