// Whole-program runs of the sample project's presentation: the first story
// stage opens from a circle around the hero over its sign picture, and a coin
// taken on the free stage sends its icon rising over the hero and shows the
// count of coins in a message, and the hero's hit flashes the screen red.
// Pixels are probed in screenshots of frames worked out from the trace; runs
// repeat each other frame for frame.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "platform/HostPath.h"
#include "records/FlowEnums.h"
#include "records/StageData.h"

namespace {

using namespace e2e;
using platform::display::Bitmap;

constexpr int kMargin = 320;  // the map's 10-cell margin, in dots
constexpr int kScrEffectCircle = 10;

bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 8) return false;
  return true;
}

// The traced play frames of a run: the hero's position and the lines between.
struct PlayTrace {
  std::vector<HeroAt> hero;
  std::vector<std::string> lines;
};

class PresentationRun : public PlayerRun {
 protected:
  std::optional<Bitmap> Picture(const std::string& relative) {
    return platform::display::LoadBitmapFile(platform::FromHostPath(project / relative).value());
  }
  // The stage loaded with the project's database sizes, so that its flows
  // keep their references into the databases.
  cStageData LoadStage(const std::string& name) {
    cStageData stage;
    const fs::path previous = fs::current_path();
    fs::current_path(project.Path());
    cLoadContext ctx;
    EXPECT_EQ(LoadDatabase(db, ctx), 1);
    FillLoadContext(db, ctx);
    EXPECT_EQ(stage.LoadFromFile("data\\stg4\\" + name + ".stg4_696", ctx), 1) << name;
    fs::current_path(previous);
    return stage;
  }
  // Runs the stage for `frames` frames, with a screenshot of handed-over frame `shot` (0: none).
  void RunStage(const std::string& name, int frames, int shot) {
    fs::remove(project / "frames.log");
    fs::remove(project / "trace.txt");
    fs::remove(project / "shot.bmp");
    env["ZANDREL_FRAMES"] = std::to_string(frames);
    if (shot > 0)
      env["ZANDREL_SHOT"] = std::to_string(shot) + ":" + (project / "shot.bmp").string();
    else
      env.erase("ZANDREL_SHOT");
    ASSERT_EQ(Run("data\\stg4\\" + name + ".stg4"), 0) << Read("Report_Game.txt");
  }
  Bitmap Shot() {
    std::optional<Bitmap> shot = Picture("shot.bmp");
    EXPECT_TRUE(shot.has_value());
    return shot ? *shot : Bitmap{};
  }
  // The colour the palette bitmap's swatch gives palette number n.
  std::uint32_t PaletteColour(int n) { return Picture("bmp/plt/Palette.bmp")->Colour(n % 16, 8 + n / 16); }

  cDatabase db;
};

// Play frame p (from 1) of a run of `total` frames whose trace holds `played`
// play frames: play runs to the end, so it is handed over as this frame.
int HandedOver(int total, int played, int p) { return total - played + p; }

TEST_F(PresentationRun, TheFirstStoryStageOpensFromACircleAroundTheHero) {
  UseSampleProject();
  const cStageData stage = LoadStage("s01-1");
  // The hero's before-stage flow: the sign picture and the screen effect.
  const cCharaDef& hero = stage.m_PlacedCharas.front();
  const cFlowCommand* circle = nullptr;
  const cFlowCommand* sign = nullptr;
  for (const cFlow& flow : hero.m_vFlows)
    for (const cFlowCommand& c : flow.m_vCommands)
      if (flow.m_nTrigger == TRG_BEFORE_STAGE_START && c.m_bNonBlocking) {
        if (c.m_nType == CMD_SCREEN_EFFECT) circle = &c;
        if (c.m_nType == CMD_PICTURE) sign = &c;
      }
  ASSERT_NE(circle, nullptr);
  ASSERT_NE(sign, nullptr);
  const cDbScrEffect& entry = db.ScrEffect.VecAt(circle->m_vParams.VecAt(0));
  ASSERT_EQ(entry.m_nKind, kScrEffectCircle);
  const int tenths = entry.m_nParam[0], from = entry.m_nParam[1], to = entry.m_nParam[2], band = entry.m_nParam[3];
  ASSERT_LT(from, to);
  // The radius drawn in play frame p: the value starts at `from` and grows
  // by |to - from| / (tenths x 6) after each drawn frame.
  const double step = std::abs(to - from) / (tenths * 6.0);
  auto radius = [&](int p) {
    double v = from;
    for (int i = 1; i < p; ++i) v += step;
    return static_cast<int>(v);
  };

  constexpr int kFrames = 400;
  RunStage("s01-1", kFrames, 0);
  const std::string frameLog = Read("frames.log");
  const std::vector<HeroAt> track = HeroTrack(Read("trace.txt"));
  const int played = static_cast<int>(track.size());
  ASSERT_GT(played, tenths * 6 + 20);
  ASSERT_EQ(FrameCrcs(frameLog).size(), static_cast<size_t>(kFrames));

  // The hero stands where it was placed; the view rests on the stage's
  // top-left corner. Its screen centre: the graphic's left (position less
  // the offset that centres the body in the 32-dot cell) plus 16.
  const HeroAt at = track.front();
  for (const HeroAt& later : track) ASSERT_EQ(later.x, at.x);
  const BoxSize body = stage.m_HeroBox[0];
  const int gfxX = (32 - body.cx) >> 1;
  const int gfxY = stage.m_nHeroBoxAlign[0] ? 32 - body.cy : (32 - body.cy) >> 1;
  const int cx = static_cast<int>(at.x - kMargin - gfxX) + 16;
  const int cy = static_cast<int>(at.y - kMargin - gfxY) + 16;
  SCOPED_TRACE("circle centre " + std::to_string(cx) + "," + std::to_string(cy));

  // The screen after the circle: the stage with the sign at its stage cell.
  RunStage("s01-1", kFrames, HandedOver(kFrames, played, tenths * 6 + 10));
  EXPECT_EQ(Read("frames.log"), frameLog);
  const Bitmap after = Shot();
  ASSERT_EQ(after.width, 640);
  const std::optional<Bitmap> signBitmap = Picture("bmp/picture/Picture.bmp");
  ASSERT_TRUE(signBitmap.has_value());
  const int signX = sign->m_vParams.VecAt(2) * 32, signY = sign->m_vParams.VecAt(3) * 32;
  int signPixels = 0;
  for (int y = 0; y < signBitmap->height; ++y)
    for (int x = 0; x < signBitmap->width; ++x)
      signPixels += Near(after.Colour(signX + x, signY + y), signBitmap->Colour(x, y));
  EXPECT_EQ(signPixels, signBitmap->width * signBitmap->height);

  // Probes between the status bar and the footer, away from the patrolling
  // enemy and the coins of the first platform: black at least a band outside the circle,
  // the stage at least a band inside it.
  const std::uint32_t black = PaletteColour(16);
  const int firstPlatform = stage.m_PlacedItems.front().m_nMapX * 32;
  auto probed = [&](int x, int y) {
    return y >= 40 && y < 450 && !(x >= firstPlatform - 64 && x < firstPlatform + 160);  // 450: the footer
  };
  for (int p : {1, 16, 31}) {
    const int r = radius(p);
    SCOPED_TRACE("play frame " + std::to_string(p) + ", radius " + std::to_string(r));
    RunStage("s01-1", kFrames, HandedOver(kFrames, played, p));
    EXPECT_EQ(Read("frames.log"), frameLog);
    const Bitmap shot = Shot();
    ASSERT_EQ(shot.width, 640);
    int inside = 0, outside = 0;
    for (int y = 0; y < 480; y += 12)
      for (int x = 0; x < 640; x += 12) {
        if (!probed(x, y)) continue;
        const double d = std::hypot(x - cx, y - cy);
        if (d >= r + band + 2) {
          ASSERT_TRUE(Near(shot.Colour(x, y), black)) << x << "," << y;
          ++outside;
        } else if (d <= r - band - 2) {
          ASSERT_TRUE(Near(shot.Colour(x, y), after.Colour(x, y))) << x << "," << y;
          ++inside;
        }
      }
    EXPECT_GT(outside, 100);
    if (r <= 2 * band) continue;
    EXPECT_GT(inside, 20);
    // The row of the centre, exactly: bands of `band` rows are laid from
    // r - band upward by `band`; the one holding the centre row has its chord
    // at m = its first row + band / 2, half width floor(sqrt(r^2 - m^2)) (at
    // most r - 1), drawn from cx - hc for 2 hc columns.
    int h = r - band;
    while (h > 0) h -= band;
    const int m = h + (band >> 1);
    const int hc = std::min(static_cast<int>(std::floor(std::sqrt(static_cast<double>(r) * r - m * m))), r - 1);
    EXPECT_TRUE(Near(shot.Colour(cx + hc - 1, cy), after.Colour(cx + hc - 1, cy)));
    EXPECT_TRUE(Near(shot.Colour(cx + hc, cy), black));
    EXPECT_FALSE(Near(after.Colour(cx + hc, cy), black));
  }
  // What the probes call black outside the circle is not the stage itself.
  int blackAfter = 0;
  for (int y = 0; y < 480; y += 12)
    for (int x = 0; x < 640; x += 12) blackAfter += probed(x, y) && Near(after.Colour(x, y), black);
  EXPECT_LT(blackAfter, 40);
}

// Right held on the free stage: the spring throws the hero onto the upper
// platform's coins. The first coin's icon rises over the hero for 30 frames,
// a quarter of a dot a frame, from where it first appeared; the coins' count
// shows in a message one cell in from the screen's top-left corner for a second.
TEST_F(PresentationRun, ACoinShowsItsRisingIconAndTheCountOfCoins) {
  UseSampleProject();
  const cStageData stage = LoadStage("Default");
  // The coin: the item whose commands show a message.
  const cItemDef* coin = nullptr;
  const cFlowCommand* message = nullptr;
  for (const cItemDef& item : stage.m_PaletteItems)
    for (const cFlowCommand& c : item.m_vCommands)
      if (c.m_nType == ITEMCMD_MESSAGE) coin = &item, message = &c;
  ASSERT_NE(message, nullptr);
  ASSERT_TRUE(coin->m_bShowGraphic);
  const int messageFrames = message->m_vParams.VecAt(7) * 6;
  const int messageX = message->m_vParams.VecAt(1) * 32 + message->m_vParams.VecAt(3);
  const int messageY = message->m_vParams.VecAt(2) * 32 + message->m_vParams.VecAt(4);

  UseInput("1000 RIGHT\n");
  constexpr int kFrames = 700;
  RunStage("Default", kFrames, 0);
  const std::string frameLog = Read("frames.log");
  const std::string trace = Read("trace.txt");
  const std::vector<HeroAt> track = HeroTrack(trace);
  const int played = static_cast<int>(track.size());
  // The coin is taken in the play frame whose trace line follows "set C1 1".
  const size_t taken = trace.find("\nset C1 1\n");
  ASSERT_NE(taken, std::string::npos) << "no coin taken";
  int pickup = 0;
  ASSERT_EQ(std::sscanf(trace.c_str() + trace.find("Frame ", taken), "Frame %d", &pickup), 1);
  ASSERT_LT(pickup + messageFrames + 5, played);
  // Trace frame numbers count from 1 with the first play frame.
  const HeroAt hero = track[static_cast<size_t>(pickup - 1)];

  // The icon: the item's 16 x 16 image of the mini sheet, above the hero
  // (the view never scrolls vertically on a 15-row stage).
  const Bitmap minis = *Picture("bmp/Item_Mini.bmp");
  const std::uint32_t key = PaletteColour(0);
  const int a = coin->m_nGraphic;
  const int iconSx = a / 15 * 32, iconSy = a % 15 * 16;
  const BoxSize body = stage.m_HeroBox[0];
  const int gfxY = stage.m_nHeroBoxAlign[0] ? 32 - body.cy : (32 - body.cy) >> 1;
  const int iconTop = static_cast<int>(hero.y) - kMargin - gfxY - 16;
  // The columns where the whole icon shows at row y.
  auto iconAt = [&](const Bitmap& shot, int y) {
    std::vector<int> found;
    for (int x = 0; x + 16 <= 640; ++x) {
      bool all = true;
      for (int py = 0; py < 16 && all; ++py)
        for (int px = 0; px < 16 && all; ++px) {
          const std::uint32_t want = minis.Colour(iconSx + px, iconSy + py);
          if (want != key) all = Near(shot.Colour(x + px, y + py), want);
        }
      if (all) found.push_back(x);
    }
    return found;
  };
  // The message's window: the dark blue rows of the window sheet (the sky
  // behind it is bright blue).
  const std::uint32_t windowBlue = PaletteColour(19), windowLine = PaletteColour(18);
  auto windowPixels = [&](const Bitmap& shot) {
    int n = 0;
    for (int y = messageY; y < messageY + 16; ++y)
      for (int x = messageX; x < messageX + 40; ++x)
        n += Near(shot.Colour(x, y), windowBlue) || Near(shot.Colour(x, y), windowLine);
    return n;
  };
  RunStage("Default", kFrames, HandedOver(kFrames, played, pickup - 1));
  const Bitmap before = Shot();
  EXPECT_EQ(windowPixels(before), 0);
  EXPECT_TRUE(iconAt(before, iconTop).empty());
  // After k draws, 30 - k frames are left and the icon has risen (30 - frames) >> 2.
  std::vector<int> columns;
  for (int k : {1, 13, 30}) {
    SCOPED_TRACE("icon draw " + std::to_string(k));
    RunStage("Default", kFrames, HandedOver(kFrames, played, pickup + k - 1));
    EXPECT_EQ(Read("frames.log"), frameLog);
    const Bitmap shot = Shot();
    const std::vector<int> found = iconAt(shot, iconTop - (k >> 2));
    ASSERT_FALSE(found.empty());
    columns.push_back(found.front());
    EXPECT_GT(windowPixels(shot), 16 * 40 / 2);
  }
  // Fixed on the screen: the same column while the view scrolls on.
  EXPECT_EQ(columns[0], columns[1]);
  EXPECT_EQ(columns[1], columns[2]);
}

// Right held on the free stage until the hopping enemy meets the hero: the
// hit starts the hero's damage flow, whose screen colour flashes red at 60 %
// over 0.2 s (12 frames). The status bar, drawn after the screen effect and
// before the colour, shows the tint unshaken: alpha 255 - k / 12 x 153 in
// the k-th frame of a ramp, so about a quarter of red half way in.
TEST_F(PresentationRun, TheHerosHitFlashesTheScreenRed) {
  UseSampleProject();
  const cStageData stage = LoadStage("Default");
  const cFlow* hit = nullptr;
  for (const cFlow& flow : stage.m_PlacedCharas.front().m_vFlows)
    if (flow.m_nTrigger == TRG_DAMAGED) hit = &flow;
  ASSERT_NE(hit, nullptr);
  ASSERT_EQ(hit->m_vCommands.front().m_nType, CMD_SCREEN_COLOR);
  const cCheckedVector<int>& colour = hit->m_vCommands.front().m_vParams;
  ASSERT_EQ(colour.VecAt(0), 255);
  ASSERT_EQ(colour.VecAt(5), 2);  // tenths of a ramp

  UseInput("1000 RIGHT\n");
  constexpr int kFrames = 700;
  RunStage("Default", kFrames, 0);
  const std::string trace = Read("trace.txt");
  const int played = static_cast<int>(HeroTrack(trace).size());
  const size_t started = trace.find("trigger " + std::to_string(TRG_DAMAGED) + "\n");
  ASSERT_NE(started, std::string::npos) << "the hero was not hit";
  int damaged = 0;
  ASSERT_EQ(std::sscanf(trace.c_str() + trace.find("Frame ", started), "Frame %d", &damaged), 1);
  ASSERT_LT(damaged + 40, played);

  // The flow's commands run in the step after the hit: the ramp starts in the
  // frame of the hit or the next, so frames 6 and 7 after it are 5 to 7 frames in.
  auto red = [&](int p) {
    RunStage("Default", kFrames, HandedOver(kFrames, played, p));
    return static_cast<int>((Shot().Colour(1, 10) >> 16) & 255);
  };
  EXPECT_LT(red(damaged - 1), 10);
  for (int k : {6, 7}) {
    const int r = red(damaged + k);
    EXPECT_GE(r, 255 * (255 - 191) / 255 - 8) << k;
    EXPECT_LE(r, 255 * (255 - 165) / 255 + 8) << k;
  }
  EXPECT_LT(red(damaged + 40), 10);  // two ramps and their clear frames are over
}

}  // namespace
