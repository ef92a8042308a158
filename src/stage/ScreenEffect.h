#pragma once
// The screen effects: one of thirteen transformations of the finished stage
// picture (move, shake, split, wave, blink, rotate, circle, zoom, lens,
// mosaic), driven by the scene's effect progress record.
#include "stage/StagePlayScene.h"

enum SCREFFECTKIND : int {
  SCREFFECT_NONE,
  SCREFFECT_MOVE,
  SCREFFECT_SHAKE_H,
  SCREFFECT_SHAKE_V,
  SCREFFECT_SPLIT_H,
  SCREFFECT_SPLIT_V,
  SCREFFECT_WAVE_H,
  SCREFFECT_WAVE_V,
  SCREFFECT_BLINK,
  SCREFFECT_ROTATE,
  SCREFFECT_CIRCLE,
  SCREFFECT_ZOOM,
  SCREFFECT_LENS,
  SCREFFECT_MOSAIC,
  SCREFFECT_KINDS
};

// One drawn frame of the running screen effect over the back buffer; with
// bHold the picture is drawn but nothing advances. At its end the effect
// word returns to 0 and the virtual back buffer is switched off.
void DrawScrEffect(cStagePlayScene& scene, int bHold);

// The source rectangle of the zoom at magnification z >= 1 around the hero's
// screen centre, kept inside the screen.
struct ZoomSource {
  int x = 0, y = 0, w = 0, h = 0;
};
ZoomSource ZoomSourceRect(double z, int heroX, int heroY);
// The band of the split effects: the screen's rows (or columns) over the
// parts, rounded up; 0 for no parts (a plain copy).
int SplitBand(int screen, int parts);
// The shake's swing per frame: count swings of the amplitude each way over
// the duration in tenths of a second.
double ShakeStep(int amplitude, int count, int tenths);
