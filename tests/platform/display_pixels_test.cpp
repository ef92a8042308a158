#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/display/Device.h"
#include "platform/display/DirectDraw.h"

namespace {

using namespace platform::display;

TEST(PixelFormatTest, Div255IsExactOverTheWholeRange) {
  for (std::uint32_t x = 0; x < 65535; ++x) ASSERT_EQ(Div255(x), x / 255) << x;
}

TEST(PixelFormatTest, SixteenBitChannelsWidenAndNarrowBackExactly) {
  for (std::uint32_t pixel = 0; pixel <= 0xFFFF; ++pixel) {
    ASSERT_EQ(FromArgb(PixelFormat::R5G6B5, ToArgb(PixelFormat::R5G6B5, pixel)), pixel);
    ASSERT_EQ(FromArgb(PixelFormat::A1R5G5B5, ToArgb(PixelFormat::A1R5G5B5, pixel)), pixel);
  }
  EXPECT_EQ(ToArgb(PixelFormat::A1R5G5B5, 0x7C00), 0x00FF0000u);  // alpha bit clear: transparent
  EXPECT_EQ(ToArgb(PixelFormat::R5G6B5, 0x07E0), 0xFF00FF00u);
}

TEST(PixelBufferTest, RowsArePaddedAndFillsAreCutToTheBuffer) {
  PixelBuffer buffer(PixelFormat::R8G8B8, 3, 2);
  EXPECT_EQ(buffer.Pitch(), 12);
  buffer.Fill(-5, 1, 7, 100, 0x123456);
  EXPECT_EQ(buffer.Get(0, 0), 0u);
  EXPECT_EQ(buffer.Get(1, 1), 0x123456u);
  EXPECT_EQ(buffer.Get(2, 1), 0u);
}

// Mapping pages ahead of writing changes no pixel, whatever the row count;
// rows of 4004 bytes put page edges inside rows.
TEST(PixelBufferTest, PrefaultingRowsKeepsEveryPixel) {
  PixelBuffer buffer(PixelFormat::A8R8G8B8, 1001, 9);
  buffer.Put(1000, 3, 0x12345678);
  buffer.Put(0, 8, 0x9ABCDEF0);
  for (const auto& [first, count] : {std::pair{-1, 3}, {0, 0}, {0, 4}, {3, 1}, {7, 100}, {9, 1}})
    buffer.PrefaultRows(first, count);
  EXPECT_EQ(buffer.Get(1000, 3), 0x12345678u);
  EXPECT_EQ(buffer.Get(0, 8), 0x9ABCDEF0u);
  EXPECT_EQ(buffer.Get(999, 3), 0u);
  EXPECT_EQ(buffer.Get(1000, 8), 0u);
  PixelBuffer empty;
  empty.PrefaultRows(0, 5);
  EXPECT_TRUE(empty.Bytes().empty());
}

// A zero fill may skip a buffer nobody has written, so every way of writing
// must make the next zero fill count, and a copy must carry the pixels over.
TEST(PixelBufferTest, ZeroFillsClearWhateverWasWrittenHoweverItWasWritten) {
  const std::vector<std::pair<const char*, void (*)(PixelBuffer&)>> writes = {
      {"Put", [](PixelBuffer& b) { b.Put(1, 1, 7); }},
      {"Row", [](PixelBuffer& b) { b.Row(1)[4] = 7; }},
      {"Bytes", [](PixelBuffer& b) { b.Bytes()[b.Pitch() + 4] = 7; }},
      {"Fill", [](PixelBuffer& b) { b.Fill(1, 1, 1, 1, 7); }},
  };
  for (const auto& [how, write] : writes) {
    SCOPED_TRACE(how);
    PixelBuffer written(PixelFormat::X8R8G8B8, 3, 2);
    write(written);
    PixelBuffer copy = written, moved(PixelFormat::X8R8G8B8, 3, 2);
    moved = std::move(written);
    EXPECT_EQ(copy.Get(1, 1), 7u);
    for (PixelBuffer* buffer : {&copy, &moved}) {
      buffer->Fill(0, 0, 3, 2, 0);
      EXPECT_EQ(buffer->Get(1, 1), 0u);
    }
  }
  // A 16-bit pixel with bits above its two bytes stores as zero.
  PixelBuffer narrow(PixelFormat::R5G6B5, 2, 1);
  narrow.Put(0, 0, 0x1234);
  narrow.Fill(0, 0, 2, 1, 0x10000);
  EXPECT_EQ(narrow.Get(0, 0), 0u);
}

// A 4 x 2 surface of distinct pixels 1..8 with key 5.
DDSurface Numbered(PixelFormat format) {
  DDSurface s(format, 4, 2, false);
  for (int i = 0; i < 8; ++i) s.Pixels().Put(i % 4, i / 4, static_cast<std::uint32_t>(i + 1));
  s.SetColorKey(5);
  return s;
}

std::vector<std::uint32_t> Dump(const PixelBuffer& b) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out.push_back(b.Get(x, y));
  return out;
}

class DirectDrawBltTest : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(DirectDrawBltTest, KeyedCopySkipsKeyPixelsAndOpaqueCopyDoesNot) {
  const DDSurface src = Numbered(GetParam());
  DDSurface keyed(GetParam(), 4, 2, false), opaque(GetParam(), 4, 2, false);
  keyed.Pixels().Fill(0, 0, 4, 2, 9);
  opaque.Pixels().Fill(0, 0, 4, 2, 9);
  ASSERT_EQ(BltFast(keyed, 0, 0, src, RECT{0, 0, 4, 2}, true), DD_OK);
  ASSERT_EQ(BltFast(opaque, 0, 0, src, RECT{0, 0, 4, 2}, false), DD_OK);
  EXPECT_EQ(Dump(keyed.Pixels()), (std::vector<std::uint32_t>{1, 2, 3, 4, 9, 6, 7, 8}));
  EXPECT_EQ(Dump(opaque.Pixels()), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_P(DirectDrawBltTest, StretchTruncatesSourcePositions) {
  const DDSurface src = Numbered(GetParam());
  DDSurface dst(GetParam(), 8, 1, false);
  ASSERT_EQ(Blt(dst, RECT{0, 0, 8, 1}, src, RECT{0, 1, 3, 2}, false), DD_OK);  // 3 -> 8 columns
  EXPECT_EQ(Dump(dst.Pixels()), (std::vector<std::uint32_t>{5, 5, 5, 6, 6, 6, 7, 7}));
  DDSurface small(GetParam(), 2, 1, false);
  ASSERT_EQ(Blt(small, RECT{0, 0, 2, 1}, src, RECT{0, 0, 4, 1}, false), DD_OK);  // 4 -> 2
  EXPECT_EQ(Dump(small.Pixels()), (std::vector<std::uint32_t>{1, 3}));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, DirectDrawBltTest,
                         ::testing::Values(PixelFormat::Index8, PixelFormat::R5G6B5, PixelFormat::R8G8B8,
                                           PixelFormat::X8R8G8B8));

TEST(DirectDrawTest, RectanglesOutsideOrMirroredAreRefused) {
  const DDSurface src = Numbered(PixelFormat::X8R8G8B8);
  DDSurface dst(PixelFormat::X8R8G8B8, 4, 2, false);
  EXPECT_EQ(Blt(dst, RECT{-1, 0, 3, 2}, src, RECT{0, 0, 4, 2}, false), DDERR_INVALIDRECT);
  EXPECT_EQ(Blt(dst, RECT{0, 0, 4, 2}, src, RECT{4, 0, 0, 2}, false), DDERR_INVALIDRECT);  // mirrored
  EXPECT_EQ(ColorFill(dst, RECT{0, 0, 5, 1}, 1), DDERR_INVALIDRECT);
  EXPECT_EQ(ColorFill(dst, RECT{1, 1, 3, 2}, 7), DD_OK);
  EXPECT_EQ(Dump(dst.Pixels()), (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 7, 7, 0}));
}

TEST(DirectDrawTest, LostVideoSurfaceRefusesBlitsAndComesBackWithoutItsPixels) {
  DDSurface video = Numbered(PixelFormat::X8R8G8B8);
  DDSurface system(PixelFormat::X8R8G8B8, 4, 2, true);
  system.Pixels().Fill(0, 0, 4, 2, 3);
  video.InjectLoss();
  system.InjectLoss();
  EXPECT_EQ(video.IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(BltFast(system, 0, 0, video, RECT{0, 0, 1, 1}, false), DDERR_SURFACELOST);
  video.Restore();
  system.Restore();
  EXPECT_NE(video.Pixels().Get(0, 0), 1u);
  EXPECT_EQ(system.Pixels().Get(0, 0), 3u);
}

// A 4 x 1 A8R8G8B8 texture: red, transparent, green, half-transparent blue.
std::shared_ptr<Texture> Sheet(Device& device) {
  auto t = device.CreateTexture(4, 1, PixelFormat::A8R8G8B8, Pool::Managed, false);
  const std::uint32_t texels[] = {0xFFFF0000, 0x00000000, 0xFF00FF00, 0x800000FF};
  for (int x = 0; x < 4; ++x) t->Pixels().Put(x, 0, texels[x]);
  return t;
}

TEST(DeviceTest, QuadCopiesKeyedTexelsAndBlendsPartialAlpha) {
  Device device(PixelFormat::X8R8G8B8, 4, 1);
  device.Clear(nullptr, 0xFF102030);
  auto sheet = Sheet(device);
  const Quad quad{0, 0, 4, 1, 0, 0, 4, 1, 0xFFFFFFFF};
  device.DrawQuads(sheet.get(), {&quad, 1});
  const auto& out = device.BackBuffer().Pixels();
  EXPECT_EQ(out.Get(0, 0), 0x00FF0000u);  // the unused byte of X8R8G8B8 stays 0
  EXPECT_EQ(out.Get(1, 0), 0x00102030u);  // alpha 0 leaves the target
  EXPECT_EQ(out.Get(2, 0), 0x0000FF00u);
  // (0xFF * 128 + 0x30 * 127 + 127) / 255 = 152; (0x10 * 127 + 127) / 255 = 8; (0x20 * 127 + 127) / 255 = 16
  EXPECT_EQ(out.Get(3, 0), 0x00081098u);
}

TEST(DeviceTest, QuadSamplingRoundsAtPixelCentresAndMirrorsFromTheColumnBefore) {
  Device device(PixelFormat::X8R8G8B8, 8, 1);
  auto t = device.CreateTexture(4, 1, PixelFormat::A8R8G8B8, Pool::Managed, false);
  for (int x = 0; x < 4; ++x) t->Pixels().Put(x, 0, 0xFF000000u | static_cast<std::uint32_t>(x + 1));
  struct Case {
    Quad quad;
    std::vector<std::uint32_t> blue;
  } cases[] = {
      {{0, 0, 8, 1, 0, 0, 4, 1}, {1, 1, 2, 2, 3, 3, 4, 4}},   // 2x: texel floor((2k + 1) * 4 / 16)
      {{0, 0, 3, 1, 0, 0, 4, 1}, {1, 3, 4, 0, 0, 0, 0, 0}},   // 4 -> 3: floor(4/6), floor(12/6), floor(20/6)
      {{0, 0, 4, 1, 4, 0, -4, 1}, {4, 3, 2, 1, 0, 0, 0, 0}},  // mirrored from sx = 4
      {{2, 0, 2, 1, 3, 0, 2, 1}, {0, 0, 4, 1, 0, 0, 0, 0}},   // wraps past the right edge
  };
  for (const Case& c : cases) {
    device.Clear(nullptr, 0xFF000000);
    device.DrawQuads(t.get(), {&c.quad, 1});
    for (int x = 0; x < 8; ++x) EXPECT_EQ(device.BackBuffer().Pixels().Get(x, 0) & 0xFF, c.blue[x]) << x;
  }
}

TEST(DeviceTest, StageOperationsTintAndFillFromTheFactor) {
  EXPECT_EQ(ShadeTexel(TextureStage{}, 0xFFFF8040, 0x80FF0080, 0), 0xFFFF0020u);  // modulate colour, texel alpha
  TextureStage translucent;
  translucent.alphaOp = D3DTOP_MODULATE;
  EXPECT_EQ(ShadeTexel(translucent, 0xFFFFFFFF, 0x80FFFFFF, 0) >> 24, 0x80u);
  TextureStage fill{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR};
  EXPECT_EQ(ShadeTexel(fill, 0xFFFFFFFF, 0xFFFFFFFF, 0x11223344), 0x11223344u);
  TextureStage add{D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE};
  EXPECT_EQ(ShadeTexel(add, 0x80F01010, 0x90202020, 0), 0x00FF3030u);
}

TEST(DeviceTest, FactorAlphaBlendWeighsTheTexelByTheFactorsAlpha) {
  const TextureStage tint{D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR,
                          D3DTOP_SELECTARG1,       D3DTA_TEXTURE, D3DTA_DIFFUSE};
  // k = 0x50: (0xFF * 80 + 0x00 * 175 + 127) / 255 = 80, (0x00 * 80 + 0xFF * 175 + 127) / 255 = 175.
  EXPECT_EQ(ShadeTexel(tint, 0x80FF0000, 0xFFFFFFFF, 0x500000FF), 0x805000AFu);
}

// Free quads: a pixel whose centre lies on an edge belongs to the quad on a
// top or left edge only, so quads that share edges draw each pixel once;
// turned by half a turn the texels run backwards.
TEST(DeviceTest, FreeQuadsFollowTheTopLeftRuleAndMapTexelsAffinely) {
  Device device(PixelFormat::X8R8G8B8, 8, 4);
  auto t = device.CreateTexture(4, 1, PixelFormat::A8R8G8B8, Pool::Managed, false);
  for (int x = 0; x < 4; ++x) t->Pixels().Put(x, 0, 0xFF000000u | static_cast<std::uint32_t>(x + 1));
  device.SetTextureStage(
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE});
  device.Clear(nullptr, 0xFF000000);
  // Corners on whole numbers: centres (1..4, 1) lie on its left and top edges, (5, 2) on the right and bottom.
  device.DrawQuadStrip(t.get(), {QuadVertex{1, 1, 0, 0}, {1, 2, 0, 1}, {5, 1, 1, 0}, {5, 2, 1, 1}}, 0xFFFFFFFF);
  const auto& out = device.BackBuffer().Pixels();
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(out.Get(x, 1) & 0xFF, x >= 1 && x <= 4 ? static_cast<std::uint32_t>(x) : 0u) << x;
    EXPECT_EQ(out.Get(x, 2) & 0xFF, 0u) << x;
  }
  // Half a turn: the strip's corners swapped left for right read the texels backwards.
  device.Clear(nullptr, 0xFF000000);
  device.DrawQuadStrip(
      t.get(), {QuadVertex{4.5f, 3.5f, 0, 0}, {4.5f, 2.5f, 0, 1}, {0.5f, 3.5f, 1, 0}, {0.5f, 2.5f, 1, 1}}, 0xFFFFFFFF);
  for (int x = 1; x <= 4; ++x) EXPECT_EQ(out.Get(x, 3) & 0xFF, static_cast<std::uint32_t>(5 - x)) << x;
}

// Quads without a texture fill from the factor: opaque ones replace the
// target inside the quad only, translucent ones blend over it.
TEST(DeviceTest, UntexturedQuadsFillFromTheFactor) {
  const TextureStage fill{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR,
                          D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR};
  struct Case {
    PixelFormat format;
    DWORD clear, factor;
    std::uint32_t outside, inside;
  } cases[] = {
      {PixelFormat::X8R8G8B8, 0xFF102030, 0xFF112233, 0x00102030, 0x00112233},
      {PixelFormat::A8R8G8B8, 0xFF102030, 0xFF112233, 0xFF102030, 0xFF112233},
      {PixelFormat::R5G6B5, 0xFF000000, 0xFFFFFFFF, 0x0000, 0xFFFF},
      // (0xFF * 128 + 0 * 127 + 127) / 255 = 128 on each channel
      {PixelFormat::X8R8G8B8, 0xFF000000, 0x80FFFFFF, 0x00000000, 0x00808080},
  };
  for (const Case& c : cases) {
    Device device(c.format, 4, 2);
    device.Clear(nullptr, c.clear);
    device.SetTextureStage(fill);
    device.SetTextureFactor(c.factor);
    const Quad quad{1, 1, 5, 3};  // hangs over the right and bottom edges
    device.DrawQuads(nullptr, {&quad, 1});
    const auto& out = device.BackBuffer().Pixels();
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(out.Get(x, y), x >= 1 && y >= 1 ? c.inside : c.outside) << x << "," << y;
  }
}

TEST(DeviceTest, SixteenBitTargetsKeepTheTextureColoursExactly) {
  Device device(PixelFormat::R5G6B5, 2, 1);
  auto t = device.CreateTexture(2, 1, PixelFormat::A1R5G5B5, Pool::Managed, false);
  t->Pixels().Put(0, 0, 0x8000 | 17 << 10 | 9 << 5 | 30);
  t->Pixels().Put(1, 0, 0x7FFF);  // transparent
  device.Clear(nullptr, 0xFFFFFFFF);
  const Quad quad{0, 0, 2, 1, 0, 0, 2, 1};
  device.DrawQuads(t.get(), {&quad, 1});
  EXPECT_EQ(device.BackBuffer().Pixels().Get(0, 0), static_cast<std::uint32_t>(17 << 11 | 18 << 5 | 30));
  EXPECT_EQ(device.BackBuffer().Pixels().Get(1, 0), 0xFFFFu);
}

TEST(DeviceTest, LossScramblesVideoTexturesAndResetWaitsForTheirRelease) {
  Device device(PixelFormat::X8R8G8B8, 2, 2);
  auto target = device.CreateTexture(2, 2, PixelFormat::A8R8G8B8, Pool::Default, true);
  auto managed = Sheet(device);
  ASSERT_EQ(device.SetRenderTarget(target.get()), D3D_OK);
  device.Clear(nullptr, 0xFF00FF00);
  device.InjectLoss();
  EXPECT_EQ(device.Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device.TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device.Reset(), D3DERR_DEVICELOST);
  device.AllowReset();
  EXPECT_EQ(device.TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_NE(target->Pixels().Get(0, 0), 0xFF00FF00u);
  EXPECT_EQ(managed->Pixels().Get(0, 0), 0xFFFF0000u);
  EXPECT_EQ(device.Reset(), D3DERR_INVALIDCALL);
  target.reset();
  EXPECT_EQ(device.Reset(), D3D_OK);
  EXPECT_EQ(device.Present(), D3D_OK);
  EXPECT_EQ(device.RenderTarget(), &device.BackBuffer());
}

}  // namespace
