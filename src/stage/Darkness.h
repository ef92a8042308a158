#pragma once
// Darkness of a dark stage: a mask twice the screen's size, dark but for a
// hole of the hero's light radius in its centre, and its window around the
// hero drawn over the stage every frame.
#include "stage/Chara.h"

struct DDSURFACEDATA;

constexpr int kDarknessMaskSlot = 65;
constexpr int kDarknessCircleSlot = 66;

// Builds the mask (and, for round light, the circle) for the hero's sight
// shape and light radius; false when the mask cannot be made.
bool SetupDarkness(DDSURFACEDATA* mask, DDSURFACEDATA* circle, const cPlayer& hero);
// The hero's light radius from its sight range, and on a dark stage the mask
// built again for it.
void RefreshHeroLight(cPlayer& hero);
// The mask's 640 x 480 window that puts the hole on the hero, keyed over `target`.
void DrawDarkness(const cPlayer& hero, DDSURFACEDATA* target, DDSURFACEDATA* mask);
