// The sample project's title and a running stage drawn in every display mode
// that can be reached here: no pixel of the transmit colour reaches the
// screen, and each frame agrees with the Direct3D 32-bit frame except where
// the back ends are meant to differ: DirectDraw draws text through GDI-like
// glyphs without the anti-aliased edges of the Direct3D font, so the edges of
// the status bar's numbers and of the stage caption differ (a few hundred
// pixels); 16-bit modes keep 5 or 6 bits of each channel.
#include <cstdlib>

#include "PlayerRun.h"
#include "platform/HostPath.h"

namespace {

using e2e::PlayerRun;
using platform::display::Bitmap;

struct Mode {
  const char* name;
  int direct3D, windowMode, bpp;
  // Largest per-channel step between this mode's colours and 32-bit ones:
  // 16-bit pixels keep 5 or 6 bits of each channel.
  int tolerance;
};

// A windowed mode takes the desktop's depth (32 bits here); 16 and 8 bits are
// full-screen modes, and 8 bits exist under DirectDraw only.
const Mode kModes[] = {
    {"D3D32_window", 1, 1, 0, 0}, {"D3D32_full", 1, 0, 32, 0}, {"D3D16_full", 1, 0, 16, 8}, {"DD32_window", 0, 1, 0, 0},
    {"DD32_full", 0, 0, 32, 0},   {"DD16_full", 0, 0, 16, 8},  {"DD8_full", 0, 0, 8, 0},
};

struct Scene {
  const char* name;
  const char* argument;
  int shotFrame;
};
// The title once its fade-in is over; the free stage once its captions are over.
const Scene kScenes[] = {{"title", "", 60}, {"stage", "data\\stg4\\Default.stg4", 200}};

// More than the edges of the stage's texts (about 600 pixels), far fewer than
// a sprite, a gauge or a line of text lost or keyed wrongly.
constexpr int kTextEdgePixels = 1000;

bool Within(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance) return false;
  return true;
}

class BackEndModesRun : public PlayerRun {
 protected:
  Bitmap Shot(const Mode& mode, const Scene& scene) {
    std::ofstream(project / "System.ini", std::ios::binary)
        << "Direct3D=" << mode.direct3D << "\nWindowMode=" << mode.windowMode << "\nBpp=" << mode.bpp
        << "\nVSync=0\nShowFps=0\nExit\n";
    const std::string file = std::string(mode.name) + "_" + scene.name + ".bmp";
    env["ZANDREL_FRAMES"] = std::to_string(scene.shotFrame + 5);
    env["ZANDREL_SHOT"] = std::to_string(scene.shotFrame) + ":" + (project / file).string();
    EXPECT_EQ(Run(scene.argument), 0) << mode.name << " " << scene.name << "\n" << Read("Report_Game.txt");
    auto bitmap = platform::display::LoadBitmapFile(platform::FromHostPath(project / file).value());
    EXPECT_TRUE(bitmap.has_value()) << file;
    return bitmap ? *bitmap : Bitmap{};
  }
};

TEST_F(BackEndModesRun, NoTransmitColourReachesTheScreenAndFramesAgreeWithDirect3D32) {
  UseSampleProject();
  const std::uint32_t key =
      platform::display::LoadBitmapFile(platform::FromHostPath(project / "bmp/plt/Palette.bmp").value())->Colour(0, 0);
  for (const Scene& scene : kScenes) {
    const Bitmap reference = Shot(kModes[0], scene);
    ASSERT_EQ(reference.width, 640);
    for (const Mode& mode : kModes) {
      SCOPED_TRACE(std::string(mode.name) + " " + scene.name);
      const Bitmap shot = Shot(mode, scene);
      ASSERT_EQ(shot.width, 640);
      ASSERT_EQ(shot.height, 480);
      int keyed = 0, differing = 0;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          keyed += Within(shot.Colour(x, y), key, mode.tolerance);
          differing += !Within(shot.Colour(x, y), reference.Colour(x, y), mode.tolerance);
        }
      EXPECT_EQ(keyed, 0);
      EXPECT_LE(differing, kTextEdgePixels);
    }
  }
}

}  // namespace
