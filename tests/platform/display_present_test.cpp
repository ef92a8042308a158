#include <SDL.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/Harness.h"
#include "platform/MainThread.h"
#include "platform/Trace.h"
#include "platform/display/Bitmap.h"
#include "platform/display/FrameHandOver.h"
#include "platform/display/Presenter.h"
#include "support/TempDir.h"

namespace {

using namespace platform::display;

class HandOverTest : public ::testing::Test {
 protected:
  void Use(const platform::HarnessSettings& settings) {
    platform::SetHarnessForTesting(settings);
    FrameHandOver::Instance().ResetForTesting();
  }
  void TearDown() override { Use({}); }
  testsupport::TempDir dir{true};
};

TEST_F(HandOverTest, Crc32MatchesTheStandardCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
}

TEST_F(HandOverTest, EightBitFramesAreShownThroughThePalette) {
  PixelBuffer frame(PixelFormat::Index8, 2, 1);
  frame.Put(1, 0, 3);
  std::vector<PALETTEENTRY> palette(256);
  palette[3] = {0x12, 0x34, 0x56, 0};
  EXPECT_EQ(ToXrgb(frame, palette), (std::vector<std::uint32_t>{0, 0x123456}));
}

// Every pixel format is shown as 0x00RRGGBB; a reused buffer of another size
// is fitted to the frame.
TEST_F(HandOverTest, FramesOfEveryFormatAreShownAsXrgb) {
  struct Case {
    PixelFormat format;
    std::uint32_t pixel, shown;
  } cases[] = {
      {PixelFormat::X8R8G8B8, 0xAB123456, 0x123456},
      {PixelFormat::A8R8G8B8, 0x80123456, 0x123456},
      {PixelFormat::R5G6B5, 0xFFFF, 0xFFFFFF},
      {PixelFormat::R5G6B5, 0x0000, 0x000000},
  };
  std::vector<std::uint32_t> out(7, 1);
  for (const Case& c : cases) {
    PixelBuffer frame(c.format, 3, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) frame.Put(x, y, x == 2 && y == 1 ? c.pixel : 0);
    ToXrgbInto(frame, {}, out);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0, 0, 0, 0, 0, c.shown}));
  }
}

TEST_F(HandOverTest, FrameLimitLogAndShotFollowTheHarness) {
  platform::HarnessSettings settings;
  settings.frameLimit = 3;
  settings.shotFrame = 2;
  settings.shotFile = (dir / "shot.bmp").string();
  settings.frameLog = (dir / "frames.log").string();
  Use(settings);
  FrameHandOver::Instance().SetSceneNameHook([] { return std::string("title"); });
  PixelBuffer frame(PixelFormat::X8R8G8B8, 2, 2);
  auto& handOver = FrameHandOver::Instance();
  EXPECT_EQ(handOver.HandOver(frame), HandOverResult::Taken);
  frame.Put(1, 1, 0xFF123456);
  EXPECT_EQ(handOver.HandOver(frame), HandOverResult::Taken);
  EXPECT_EQ(handOver.HandOver(frame), HandOverResult::TakenLast);
  EXPECT_EQ(handOver.HandOver(frame), HandOverResult::Refused);
  EXPECT_EQ(handOver.FramesHandedOver(), 3u);
  handOver.SetSceneNameHook(nullptr);

  const std::uint8_t blank[16] = {};
  const std::uint8_t second[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x56, 0x34, 0x12, 0};
  char expected[128];
  std::snprintf(expected, sizeof expected, "1 title %08x\n2 title %08x\n3 title %08x\n", Crc32(blank), Crc32(second),
                Crc32(second));
  EXPECT_EQ(dir.Read("frames.log"), expected);

  auto shot = LoadBitmapFile((dir / "shot.bmp").string());
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->bitCount, 24);
  EXPECT_EQ(shot->Colour(1, 1), 0x123456u);
  EXPECT_EQ(shot->Colour(0, 0), 0u);
}

// On the fast clock a frame is made ready only when the window has taken the
// one before, and always when it is the last; every frame still counts.
TEST_F(HandOverTest, TheFastClockConvertsOnlyFramesTheWindowCanTake) {
  platform::HarnessSettings settings;
  settings.fastClock = true;
  settings.frameLimit = 6;
  Use(settings);
  auto& handOver = FrameHandOver::Instance();
  PixelBuffer frame(PixelFormat::X8R8G8B8, 1, 1);
  auto handOverSerial = [&](std::uint32_t serial) {
    frame.Put(0, 0, serial);
    return handOver.HandOver(frame);
  };
  ShownFrame shown;
  for (std::uint32_t serial = 1; serial <= 3; ++serial) EXPECT_EQ(handOverSerial(serial), HandOverResult::Taken);
  ASSERT_TRUE(handOver.TakeNewer(shown));
  EXPECT_EQ(shown.serial, 1u);  // 2 and 3 came before the window took 1
  EXPECT_EQ(shown.xrgb, std::vector<std::uint32_t>{1});
  EXPECT_FALSE(handOver.TakeNewer(shown));
  handOverSerial(4);
  handOverSerial(5);
  ASSERT_TRUE(handOver.TakeNewer(shown));
  EXPECT_EQ(shown.xrgb, std::vector<std::uint32_t>{4});
  EXPECT_EQ(handOverSerial(6), HandOverResult::TakenLast);  // the window has not taken 5, yet the last is made
  ASSERT_TRUE(handOver.TakeNewer(shown));
  EXPECT_EQ(shown.serial, 6u);
  EXPECT_EQ(shown.xrgb, std::vector<std::uint32_t>{6});
  EXPECT_EQ(handOver.FramesHandedOver(), 6u);

  // A harness that records frames has every one made.
  settings.frameLog = (dir / "frames.log").string();
  Use(settings);
  for (std::uint32_t serial = 1; serial <= 2; ++serial) handOverSerial(serial);
  ASSERT_TRUE(handOver.TakeNewer(shown));
  EXPECT_EQ(shown.xrgb, std::vector<std::uint32_t>{2});
}

// The last frame of the limit ends the trace: the threads that run on until
// the close arrives add no lines.
TEST_F(HandOverTest, NothingIsTracedAfterTheLastFrame) {
  platform::HarnessSettings settings;
  settings.frameLimit = 2;
  settings.trace = (dir / "trace.txt").string();
  Use(settings);
  PixelBuffer frame(PixelFormat::X8R8G8B8, 1, 1);
  auto& handOver = FrameHandOver::Instance();
  platform::TraceLine("before 1");
  handOver.HandOver(frame);
  platform::TraceLine("before 2");
  EXPECT_EQ(handOver.HandOver(frame), HandOverResult::TakenLast);
  platform::TraceLine("after");
  EXPECT_EQ(dir.Read("trace.txt"), "before 1\nbefore 2\n");
}

// The main thread copies frames out while the drawing thread hands newer
// ones over: every frame taken is whole, the frame of its own serial.
TEST_F(HandOverTest, AFrameTakenDuringLaterHandOversIsWhole) {
  Use({});
  constexpr int kFrames = 300;
  auto& handOver = FrameHandOver::Instance();
  std::thread drawing([&] {
    PixelBuffer frame(PixelFormat::X8R8G8B8, 64, 48);
    for (std::uint32_t serial = 1; serial <= kFrames; ++serial) {
      frame.Fill(0, 0, 64, 48, serial);
      handOver.HandOver(frame);
    }
  });
  ShownFrame shown;
  int torn = 0;
  while (shown.serial < kFrames) {
    if (!handOver.TakeNewer(shown)) continue;
    for (std::uint32_t pixel : shown.xrgb) torn += pixel != shown.serial;
  }
  drawing.join();
  EXPECT_EQ(torn, 0);
}

// Lines are readable as soon as they are written, and a new trace file named
// by the harness takes the lines from then on.
TEST_F(HandOverTest, TraceLinesGoToTheFileNamedNow) {
  platform::HarnessSettings settings;
  settings.trace = (dir / "first.txt").string();
  Use(settings);
  platform::TraceLine("one");
  EXPECT_EQ(dir.Read("first.txt"), "one\n");
  settings.trace = (dir / "second.txt").string();
  platform::SetHarnessForTesting(settings);
  platform::TraceLine("two");
  EXPECT_EQ(dir.Read("first.txt"), "one\n");
  EXPECT_EQ(dir.Read("second.txt"), "two\n");
}

// A window of the dummy video driver with a presenter of 64 x 48 frames.
class PresenterTest : public HandOverTest {
 protected:
  void Open(int windowWidth) {
    Use({});
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window = SDL_CreateWindow("test", 0, 0, windowWidth, 48, 0);
    ASSERT_TRUE(window) << SDL_GetError();
    std::string why;
    presenter = Presenter::Open(window, 64, 48, false, &why);
    ASSERT_TRUE(presenter) << why;
  }
  void TearDown() override {
    presenter.reset();
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    HandOverTest::TearDown();
  }
  SDL_Window* window = nullptr;
  std::unique_ptr<Presenter> presenter;
};

TEST_F(PresenterTest, ShowsFramesHandedOverFromAnotherThread) {
  Open(64);

  std::thread drawer([] {
    PixelBuffer frame(PixelFormat::R5G6B5, 64, 48);
    for (int i = 0; i < 3; ++i) {
      frame.Fill(0, 0, 64, 48, 0x001F);  // blue
      frame.Fill(10, 5, 4, 4, 0xF800);   // red
      FrameHandOver::Instance().HandOver(frame);
    }
  });
  drawer.join();
  platform::ServiceTurn();  // the main thread's turn shows the newest frame
  EXPECT_EQ(presenter->ShownSerial(), 3u);

  std::vector<std::uint32_t> pixels(64 * 48);
  ASSERT_EQ(SDL_RenderReadPixels(presenter->Renderer(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), 64 * 4), 0);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(pixels[6 * 64 + 11] & 0xFFFFFF, 0xFF0000u);

  // An expose shows the same frame again without a new hand-over.
  SDL_RenderClear(presenter->Renderer());
  SDL_Event expose{};
  expose.type = SDL_WINDOWEVENT;
  expose.window.event = SDL_WINDOWEVENT_EXPOSED;
  EXPECT_TRUE(presenter->HandleEvent(expose));
  ASSERT_EQ(SDL_RenderReadPixels(presenter->Renderer(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), 64 * 4), 0);
  EXPECT_EQ(pixels[6 * 64 + 11] & 0xFFFFFF, 0xFF0000u);
}

TEST_F(PresenterTest, WiderWindowsShowTheFrameLetterboxed) {
  Open(128);
  PixelBuffer frame(PixelFormat::X8R8G8B8, 64, 48);
  frame.Fill(0, 0, 64, 48, 0xFF0000);
  FrameHandOver::Instance().HandOver(frame);
  platform::ServiceTurn();
  // Read the whole window, not only the letterboxed viewport.
  SDL_RenderSetLogicalSize(presenter->Renderer(), 0, 0);
  SDL_RenderSetViewport(presenter->Renderer(), nullptr);
  std::vector<std::uint32_t> pixels(128 * 48);
  ASSERT_EQ(SDL_RenderReadPixels(presenter->Renderer(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), 128 * 4), 0);
  EXPECT_EQ(pixels[24 * 128 + 10] & 0xFFFFFF, 0u);  // bars left and right
  EXPECT_EQ(pixels[24 * 128 + 64] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[24 * 128 + 120] & 0xFFFFFF, 0u);
}

}  // namespace
