#include "draw_fixture.h"
#include "library/util/MainWindow.h"
#include "platform/Harness.h"

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

class SceneTest : public DrawTest {
 protected:
  bool FadeOut(bool end = false) { return DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, end); }
  bool FadeIn(bool end = false) { return DDFadeIn(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, end); }
};

TEST_P(SceneTest, FadeOutStepsToBlackInTenCallsPerBackEnd) {
  DDFillSurface(&BackBuffer, 4);
  for (int call = 1; call <= 6; ++call) EXPECT_FALSE(FadeOut()) << call;  // 90 .. 40 degrees
  DDFillSurface(&BackBuffer, 1);                                          // what the scene draws meanwhile
  EXPECT_FALSE(FadeOut());  // 30 degrees: 255 sin 30 = 127, 256 sin 30 = 127
  const std::uint32_t expected = std::string(GetParam().name) == "D3D32"   ? 0x7F0000  // live frame, quad alpha 128
                                 : std::string(GetParam().name) == "D3D16" ? 0x7B0000  // 127 in 5 bits widened
                                 : std::string(GetParam().name) == "DD8"   ? 0x7E0000  // palette (255 * 127) >> 8
                                 : std::string(GetParam().name) == "DD32"  ? 0x7E7E7E  // the frame saved at 90 degrees
                                                                           : 0x7B7D7B;  // DD16: 15 and 31 of 31 and 63
  EXPECT_EQ(At(5, 5), expected);
  EXPECT_FALSE(FadeOut());
  EXPECT_FALSE(FadeOut());
  EXPECT_TRUE(FadeOut());  // the tenth call draws black
  EXPECT_EQ(At(5, 5), kBlack);
  DDFillSurface(&BackBuffer, 4);
  if (!D3D() && nBpp == 8) DDPalBlend(DispColorPalette, 0, 255, 256, 0, 0, 0, ColorPalette);
  EXPECT_FALSE(FadeOut());  // a new fade starts transparent again
  if (D3D() || nBpp != 8) {
    EXPECT_EQ(At(5, 5), kWhite);
  }
  EXPECT_TRUE(FadeOut(true));  // bEnd completes at once
  EXPECT_EQ(At(5, 5), kBlack);
}

TEST_P(SceneTest, FadeInEndsOnTheFullPicture) {
  DDFillSurface(&BackBuffer, 4);
  int calls = 1;
  while (!FadeIn()) {
    ++calls;
    if (!D3D() && nBpp > 8) continue;  // DirectDraw without a palette fades the saved frame
    DDFillSurface(&BackBuffer, 4);
  }
  EXPECT_EQ(calls, 10);
  EXPECT_EQ(At(5, 5), kWhite);
}

TEST_P(SceneTest, FramesWindowsAndNumbers) {
  DDFillSurface(&BackBuffer, 4);
  DDDrawFrame(&BackBuffer, 2, 2, 10, 8, 2, 1);
  EXPECT_EQ(Row(2, 1, 12), (Pixels{kWhite, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kWhite}));
  EXPECT_EQ(Row(4, 1, 12),
            (Pixels{kWhite, kRed, kRed, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kRed, kWhite}));
  EXPECT_EQ(At(5, 9), kRed);
  EXPECT_EQ(At(5, 10), kWhite);

  DDSURFACEDATA* window = Load("bmp\\Sheet8.bmp", 0);
  DDDrawWindow(&BackBuffer, 30, 30, 3, 2, window, 1, 3);
  EXPECT_EQ(Row(29, 29, 5), (Pixels{kBlue, kBlue, kBlue, kBlue, kBlue}));
  EXPECT_EQ(Row(30, 29, 5), (Pixels{kBlue, kRed, kMagenta, kGreen, kBlue}));
  EXPECT_EQ(Row(32, 29, 5), (Pixels{kBlue, kBlue, kBlue, kBlue, kBlue}));

  // Digit d is a 1 x 1 cell of palette colour d: 0 magenta, 1 red, ... 7 to 9 cyan.
  DDSURFACEDATA* digits = Blank(10, 1, 0);
  for (int d = 0; d < 10; ++d) DDFillRect(digits, d, 0, 1, 1, static_cast<DWORD>(d));
  DDFillSurface(&BackBuffer, 6);
  DDDrawNumber(&BackBuffer, 0, 40, 1, 1, digits, 0, 0, 0, 7, 3, 0);
  DDDrawNumber(&BackBuffer, 0, 41, 1, 1, digits, 0, 0, 0, 7, 3, 1);
  DDDrawNumber(&BackBuffer, 0, 42, 1, 1, digits, 0, 0, 0, 0, 1, 0);
  DDDrawNumber(&BackBuffer, 0, 43, 1, 1, digits, 0, 0, 0, 12345, 3, 0);
  EXPECT_EQ(Row(40, 0, 4), (Pixels{kBlack, kBlack, kCyan, kBlack}));
  EXPECT_EQ(Row(41, 0, 4), (Pixels{kBlack, kCyan, kBlack, kBlack}));
  EXPECT_EQ(Row(42, 0, 2), (Pixels{kMagenta, kBlack}));
  EXPECT_EQ(Row(43, 0, 6), (Pixels{kRed, kGreen, kBlue, kWhite, kYellow, kBlack}));
}

TEST_P(SceneTest, SortedSpriteBatchDrawsUnregisteredFirstThenEachSheetInOrder) {
  DDSURFACEDATA* a = Blank(1, 1, 0);
  DDSURFACEDATA* b = Blank(1, 1, 0);
  DDSURFACEDATA* x = Blank(1, 1, 0);
  DDFillSurface(a, 1);
  DDFillSurface(b, 2);
  DDFillSurface(x, 3);
  for (int sort : {1, 0}) {
    DDFillSurface(&BackBuffer, 6);
    DDBeginSpriteBatch(sort);
    EXPECT_EQ(DDAddSpriteBatchTexture(a), D3D() && sort ? 100000 : 0);
    EXPECT_EQ(DDAddSpriteBatchTexture(b), D3D() && sort ? 200000 : 0);
    EXPECT_EQ(DDAddSpriteBatchTexture(a), D3D() && sort ? 100000 : 0);
    DDBlt(&BackBuffer, 0, 0, 1, 1, b, 0, 0, 0);               // B1
    DDBltStretch(&BackBuffer, 0, 0, 2, 1, a, 0, 0, 1, 1, 0);  // A1, over (0, 0) and (1, 0)
    DDBlt(&BackBuffer, 1, 0, 1, 1, x, 0, 0, 0);               // X1
    DDBlt(&BackBuffer, 2, 0, 1, 1, b, 0, 0, 0);               // B2
    if (D3D()) {
      EXPECT_EQ(At(0, 0), kBlack);  // nothing drawn before the end of the batch
    }
    DDEndSpriteBatch();
    const Pixels sorted{kGreen, kRed, kGreen};    // X1, A1, B1, B2
    const Pixels submitted{kRed, kBlue, kGreen};  // B1, A1, X1, B2
    EXPECT_EQ(Row(0, 0, 3), D3D() && sort ? sorted : submitted);
  }
}

TEST_P(SceneTest, PresentHandsTheFrameOverAndTheFrameLimitClosesTheWindow) {
  platform::HarnessSettings settings;
  settings.frameLimit = 2;
  platform::SetHarnessForTesting(settings);
  platform::Window window(GetCurrentThreadId(), [](HWND, UINT, WPARAM, LPARAM) { return 0; });
  hMainWnd = &window;
  DDFillSurface(&BackBuffer, 2);
  auto present = [&] { return D3D() ? DDPresent(60, 0, nullptr) : DDPresentBackBuffer(); };
  EXPECT_TRUE(present());
  platform::display::ShownFrame shown;
  ASSERT_TRUE(platform::display::FrameHandOver::Instance().TakeNewer(shown));
  EXPECT_EQ(shown.xrgb[0], kGreen);
  EXPECT_EQ(shown.width, 64);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(present());
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CLOSE);
  EXPECT_TRUE(present());
  EXPECT_EQ(platform::display::FrameHandOver::Instance().FramesHandedOver(), 2u);
  hMainWnd = nullptr;
  platform::SetHarnessForTesting({});
}

INSTANTIATE_TEST_SUITE_P(Configurations, SceneTest, ::testing::ValuesIn(kConfigs), ConfigName);

TEST(PaletteAnimationTest, BlendAndRotateWorkOnTheirRangeOnly) {
  PALETTEENTRY source[256], out[256];
  for (int i = 0; i < 256; ++i) source[i] = {BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
  std::copy(std::begin(source), std::end(source), out);
  DDPalBlend(out, 10, 12, 256, 0, 0, 0, source);
  EXPECT_EQ(out[11], (PALETTEENTRY{11, 244, 5, 1}));
  DDPalBlend(out, 10, 12, 0, 0x1FF, 7, 9, source);  // colours use their low byte
  EXPECT_EQ(out[12], (PALETTEENTRY{255, 7, 9, 1}));
  EXPECT_EQ(out[13], source[13]);
  // (255 * 128 + 0 * 128) >> 8
  DDPalBlend(out, 255, 255, 128, 0, 0, 0, source);
  EXPECT_EQ(out[255].peRed, 127);

  const int saved = nBpp;
  nBpp = 32;
  PALETTEENTRY p[256];
  std::copy(std::begin(source), std::end(source), p);
  DDPalRotate(p, 16, 207, 32, 1, p);
  EXPECT_EQ(p[16], source[48]);
  EXPECT_EQ(p[176], source[16]);
  EXPECT_EQ(p[207], source[47]);
  EXPECT_EQ(p[208], source[208]);
  DDPalRotate(p, 16, 207, 32, 0, p);  // and back
  EXPECT_TRUE(std::equal(std::begin(p), std::end(p), std::begin(source)));
  nBpp = 24;
  DDPalRotate(p, 16, 207, 32, 1, source);
  EXPECT_EQ(p[16], source[16]);
  nBpp = saved;
}

}  // namespace
}  // namespace drawtest

namespace drawtest {
namespace {

using Pixels = std::vector<std::uint32_t>;

class VirtualBackBufferTest : public DrawTest {};

TEST_P(VirtualBackBufferTest, ScreenDrawingCollectsUntilPresentOrSwitchOff) {
  DDFillSurface(&BackBuffer, 4);
  DDSetVirBackBuffer(1);
  DDFillSurface(&BackBuffer, 2);  // lands in the virtual back buffer
  {
    cSurfaceLock real(&VirBackBuffer);
    EXPECT_EQ(platform::display::ToXrgb(*real.Pixels(), {})[0], kGreen);
  }
  EXPECT_EQ(lpDevice->BackBuffer().Pixels().Get(0, 0) & 0xFFFFFF,
            platform::display::FromArgb(lpDevice->BackBuffer().Pixels().Format(), 0xFFFFFFFF));  // still white
  EXPECT_TRUE(DDPresent(60, 0, nullptr));
  platform::display::ShownFrame shown;
  ASSERT_TRUE(platform::display::FrameHandOver::Instance().TakeNewer(shown));
  EXPECT_EQ(shown.xrgb[0], kGreen);
  DDFillSurface(&BackBuffer, 3);
  DDSetVirBackBuffer(0);  // switching off copies what was drawn
  EXPECT_EQ(At(0, 0), kBlue);
  EXPECT_EQ(lpDTCon->lpTarget, &BackBuffer);
}

INSTANTIATE_TEST_SUITE_P(Direct3D, VirtualBackBufferTest, ::testing::Values(kConfigs[0], kConfigs[1]), ConfigName);

class PalIndexTest : public DrawTest {};

TEST_P(PalIndexTest, MapsHoldTheFirstEntryOfEachPixelColour) {
  surfaces.emplace_back();
  DDSURFACEDATA* sheet = &surfaces.back();
  ASSERT_EQ(DDCreateSurfaceFromFile(sheet, "bmp\\Sheet24.bmp", 1, nBpp, 0, 0, 0, 1, 0, 0, 0), 0);
  const std::vector<BYTE>& map = D3D() ? sheet->lpDT->lpPalIndex : sheet->lpDDS->lpPalIndex;
  cSurfaceLock lock(sheet);
  ASSERT_EQ(map.size(), static_cast<std::size_t>(2 * lock.m_nPitch));
  // A keyed texel is transparent black: entry 0 in 16 bits, the black entry (6) in 32.
  const BYTE keyed = !D3D() ? 0 : nBpp == 16 ? 0 : 6;
  const std::vector<BYTE> expected = {1, keyed, 2, 3, keyed, 4, 6, keyed};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(map[static_cast<std::size_t>(i / 4 * lock.m_nPitch + i % 4)], expected[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(WithoutPalette, PalIndexTest,
                         ::testing::Values(kConfigs[0], kConfigs[1], kConfigs[3], kConfigs[4]), ConfigName);

}  // namespace
}  // namespace drawtest

namespace drawtest {
namespace {

// The fade-out levels of a white screen call by call at step 10 (90 down to
// 0 degrees): Direct3D darkens by a quad of alpha 255 - trunc(255 sin a), the
// others blend with weight trunc(256 sin a) as (255 * w) >> 8.
class FadeTableTest : public DrawTest {};

TEST_P(FadeTableTest, LevelsStepBySinusTable) {
  const std::vector<std::uint32_t> direct3D{255, 251, 239, 220, 195, 163, 127, 87, 44, 0};
  const std::vector<std::uint32_t> weighted{255, 251, 239, 220, 195, 163, 126, 86, 43, 0};
  const auto& levels = D3D() ? direct3D : weighted;
  DDFillSurface(&BackBuffer, 4);
  for (std::size_t call = 0; call < levels.size(); ++call) {
    if (D3D()) DDFillSurface(&BackBuffer, 4);  // Direct3D darkens the live frame
    const bool done = DDFadeOut(DispColorPalette, 0, 255, 0, 0, 0, 10.0, ColorPalette, false);
    EXPECT_EQ(done, call == levels.size() - 1);
    EXPECT_EQ(At(3, 3), levels[call] * 0x010101) << call;
  }
}

INSTANTIATE_TEST_SUITE_P(ExactDepths, FadeTableTest, ::testing::Values(kConfigs[1], kConfigs[2], kConfigs[4]),
                         ConfigName);

}  // namespace
}  // namespace drawtest
