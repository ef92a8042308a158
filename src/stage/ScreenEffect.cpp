#include "stage/ScreenEffect.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "gamedata/EffectRun.h"
#include "library/draw/Draw.h"
#include "library/util/Convert.h"
#include "records/StageData.h"
#include "stage/SpriteSource.h"
#include "stage/StageDraw.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kBlack = 16;  // the palette colour of uncovered screen
constexpr int kWork67 = 67, kWork68 = 68;
const double kSqrt2 = std::sqrt(2.0);

// What a handler works on: the scene, its progress record and the entry's
// parameters P1..P5 (P1 the duration in tenths of a second).
struct Run {
  cStagePlayScene& scene;
  EFFECTPROGRESS& p;
  int bHold;
  int P(int n) const { return p.lpEntry ? p.lpEntry->m_nParam[n - 1] : 0; }
  double& v() { return p.Values.dCurrent; }
  int& slot(int n) { return p.Values.nSlot[n]; }
  // Advances the value from a to b unless held; 1 once the effect has ended.
  int Step(int a, int b) { return bHold ? 0 : StepScrEffectProgress(p, a, b, p.Values.dStep); }
  int HeroX() { return scene.HasHero() ? scene.Hero().ScreenCentreX() : kScreenW / 2; }
  int HeroY() { return scene.HasHero() ? scene.Hero().ScreenCentreY() : kScreenH / 2; }
};

// The frame goes to a work surface and is drawn back transformed.
template <typename Draw>
void Transform(int workSlot, bool fill, Draw draw) {
  DDSURFACEDATA* work = workSlot < 0 ? WorkSurface(0) : UserSurface(workSlot);
  if (!work) return;
  DDBlt(work, 0, 0, kScreenW, kScreenH, &BackBuffer, 0, 0, 0);
  if (fill) DDFillRect(&BackBuffer, 0, 0, kScreenW, kScreenH, kBlack);
  DDSetAlphaOp(1);
  draw(work);
  DDResetAlphaOp();
}

int ScrEffectNone(Run&) {
  if (lpDTCon && lpDTCon->bVirBackBuffer) DDSetVirBackBuffer(0);
  return 0;
}

int ScrEffectMove(Run& r) {
  Transform(kWork67, true,
            [&](DDSURFACEDATA* w) { DDBlt(&BackBuffer, r.slot(0), r.slot(1), kScreenW, kScreenH, w, 0, 0, 0); });
  if (r.bHold) return 0;
  // Both axes divide in doubles; a duration of 0 meets the one conversion helper.
  const double d = r.P(1);
  r.slot(0) = DoubleToInt(static_cast<double>(r.P(4) - r.P(2)) / d * r.v() + r.P(2));
  r.slot(1) = DoubleToInt(r.v() * (r.P(5) - r.P(3)) / d + r.P(3));
  return r.Step(0, r.P(1));
}

// The swing of a shake: between -amplitude and +amplitude, the first slot the direction.
void Swing(Run& r) {
  double& s = r.p.Values.dSecond;
  const double c = ShakeStep(r.P(2), r.P(3), r.P(1));
  const int amplitude = r.P(2);
  if (r.slot(0) == 1) {
    s -= c;
    if (s <= -amplitude) s = -amplitude, r.slot(0) = 0;
  } else {
    s += c;
    if (s >= amplitude) s = amplitude, r.slot(0) = 1;
  }
}

int ScrEffectShakeH(Run& r) {
  const double s = r.p.Values.dSecond;
  Transform(kWork67, true, [&](DDSURFACEDATA* w) {
    if (s > 0) DDFillRect(&BackBuffer, 0, 0, DoubleToInt(s + 1), kScreenH, kBlack);
    if (s < 0) DDFillRect(&BackBuffer, DoubleToInt(s + kScreenW), 0, DoubleToInt(1 - s), kScreenH, kBlack);
    DDBlt(&BackBuffer, DoubleToInt(s), 0, kScreenW, kScreenH, w, 0, 0, 0);
  });
  if (r.bHold) return 0;
  Swing(r);
  return r.Step(0, r.P(1));
}

int ScrEffectShakeV(Run& r) {
  const double s = r.p.Values.dSecond;
  Transform(kWork67, true,
            [&](DDSURFACEDATA* w) { DDBlt(&BackBuffer, 0, DoubleToInt(s), kScreenW, kScreenH, w, 0, 0, 0); });
  if (r.bHold) return 0;
  Swing(r);
  return r.Step(0, r.P(1));
}

template <int Vertical>
int ScrEffectSplit(Run& r) {
  const int band = Vertical ? SplitBand(kScreenW, r.P(4)) : SplitBand(kScreenH, r.P(4));
  Transform(kWork67, true, [&](DDSURFACEDATA* w) {
    DDDrawSplit(&BackBuffer, 0, 0, kScreenW, kScreenH, band, DoubleToInt(r.v()), w, 0, 0, 0, Vertical);
  });
  return r.Step(r.P(2), r.P(3));
}

template <int Vertical>
int ScrEffectWave(Run& r) {
  Transform(kWork67, true, [&](DDSURFACEDATA* w) {
    DDDrawWave(&BackBuffer, 0, 0, kScreenW, kScreenH, r.P(4), r.v(), r.slot(0), r.P(5), w, 0, 0, 0, Vertical);
  });
  if (!r.bHold && ++r.slot(0) >= 360) r.slot(0) = 0;
  return r.Step(r.P(2), r.P(3));
}

// The background layers hide the stage while the visible flag (second slot) is 0.
int ScrEffectBlink(Run& r) {
  if (r.slot(1) == 0 && StageData) {
    DrawBgLayers(r.scene, *StageData, &BackBuffer, 0);
    DrawBgLayers(r.scene, *StageData, &BackBuffer, 1);
  }
  if (r.slot(0) >= r.P(2)) {
    r.slot(0) = 0;
    r.slot(1) = !r.slot(1);
  }
  if (!r.bHold) ++r.slot(0);
  return r.Step(0, r.P(1));
}

int ScrEffectRotate(Run& r) {
  Transform(kWork68, true, [&](DDSURFACEDATA* w) {
    DDBltRotate(&BackBuffer, 320, 240, kScreenW, kScreenH, 320, 240, DoubleToInt(r.v()), w, 0, 0, 0);
  });
  return r.Step(r.P(2), r.P(3));
}

int ScrEffectCircle(Run& r) {
  const int cx = r.HeroX(), cy = r.HeroY();
  Transform(kWork67, true, [&](DDSURFACEDATA* w) {
    DDBltCircle(&BackBuffer, cx, cy, cx >= 320 ? cx : kScreenW - cx, cy >= 240 ? cy : kScreenH - cy, DoubleToInt(r.v()),
                r.P(4), w, cx, cy, 0);
  });
  return r.Step(r.P(2), r.P(3));
}

int ScrEffectZoom(Run& r) {
  const double z = r.v() * 0.0015625;
  const int hx = r.HeroX(), hy = r.HeroY();
  Transform(-1, false, [&](DDSURFACEDATA* w) {
    if (z >= 1) {
      const ZoomSource s = ZoomSourceRect(z, hx, hy);
      DDBltStretch(&BackBuffer, 0, 0, kScreenW, kScreenH, w, s.x, s.y, s.w, s.h, 1);
      return;
    }
    DDFillRect(&BackBuffer, 0, 0, kScreenW, kScreenH, kBlack);
    DDBltStretch(&BackBuffer, DoubleToInt((kScreenW - kScreenW * z) / 2), DoubleToInt((kScreenH - kScreenH * z) / 2),
                 DoubleToInt(kScreenW * z), DoubleToInt(kScreenH * z), w, 0, 0, kScreenW, kScreenH, 1);
  });
  return r.Step(r.P(2), r.P(3));
}

int ScrEffectLens(Run& r) {
  const int ex = r.HeroX() + r.P(4), ey = r.HeroY() + r.P(5);
  const int fx = ex >= 320 ? ex : kScreenW - ex, fy = ey >= 240 ? ey : kScreenH - ey;
  const double radius = kSqrt2 * std::max(fx, fy);
  if (DDSURFACEDATA* work = UserSurface(kWork68)) {
    const int side = DoubleToInt(radius) * (nBpp == 16 ? 4 : 2);
    DDFillRect(work, 0, 0, side, side, 0);
  }
  Transform(kWork68, true, [&](DDSURFACEDATA* w) {
    DDBltLens(&BackBuffer, ex, ey, DoubleToInt(radius), DoubleToInt(r.v()), w, ex, ey, 0, 0);
  });
  return r.Step(r.P(2), r.P(3));
}

int ScrEffectMosaic(Run& r) {
  Transform(kWork68, true,
            [&](DDSURFACEDATA* w) { DDMosaic(&BackBuffer, 0, 0, kScreenW, kScreenH, DoubleToInt(r.v()), w, 0, 0, 0); });
  return r.Step(r.P(2), r.P(3));
}

using ScrEffectHandler = int (*)(Run&);
const std::array<ScrEffectHandler, SCREFFECT_KINDS> ScrEffectFunc = {
    ScrEffectNone,     ScrEffectMove,    ScrEffectShakeH,  ScrEffectShakeV, ScrEffectSplit<0>,
    ScrEffectSplit<1>, ScrEffectWave<0>, ScrEffectWave<1>, ScrEffectBlink,  ScrEffectRotate,
    ScrEffectCircle,   ScrEffectZoom,    ScrEffectLens,    ScrEffectMosaic,
};

}  // namespace

ZoomSource ZoomSourceRect(double z, int heroX, int heroY) {
  auto axis = [](double size, int centre, int screen) {
    int at = DoubleToInt(centre - size / 2);
    if (at + DoubleToInt(size) > screen - 1) at = DoubleToInt(screen - size);
    return std::max(at, 0);
  };
  const double sw = kScreenW / z, sh = kScreenH / z;
  return {axis(sw, heroX, kScreenW), axis(sh, heroY, kScreenH), DoubleToInt(sw), DoubleToInt(sh)};
}

int SplitBand(int screen, int parts) { return parts > 0 ? (screen + parts - 1) / parts : 0; }

double ShakeStep(int amplitude, int count, int tenths) {
  return static_cast<double>(count) * amplitude * 4 / (static_cast<double>(tenths) * 6);
}

void DrawScrEffect(cStagePlayScene& scene, int bHold) {
  EFFECTPROGRESS& p = scene.m_ScrEffect;
  if (p.nIndex == 0) return;
  const int kind = p.lpEntry ? p.lpEntry->m_nKind : SCREFFECT_NONE;
  // A kind the editor does not write runs as no effect.
  const ScrEffectHandler handler =
      kind >= 0 && kind < SCREFFECT_KINDS ? ScrEffectFunc[static_cast<size_t>(kind)] : ScrEffectNone;
  Run run{scene, p, bHold};
  if (handler(run) != 1) return;
  p.nIndex = 0;
  DDSetVirBackBuffer(0);
}
