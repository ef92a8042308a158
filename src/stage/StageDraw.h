#pragma once
// Drawing the stage: background layers, the map's blocks around the view, the
// objects between them, the status bar, the time limit and the footer.
#include <array>

#include "records/StageData.h"
#include "stage/StagePlayScene.h"

struct DDSURFACEDATA;
class cStageShell;
class cSystemData;

constexpr int kBgLayerFirstSlot = 55;
constexpr int kBgLayerSlots = 8;
constexpr int kBackgroundColour = 16;
constexpr int kStatusItems = 5;

// Automatic background scrolling, once per drawn frame (also while paused).
void ScrollBgLayers(cStageData& stage);
// Pass 0 behind everything, 1 in front of the objects.
void DrawBgLayers(const cStagePlayScene& scene, cStageData& stage, DDSURFACEDATA* target, int pass);
void DrawBlocks(cStagePlayScene& scene, DDSURFACEDATA* target, int pass);
// The time left in large digits at the top, and the low-time sound once a
// second while it is at or below the stage's warning time.
void DrawTimeLimit(cStagePlayScene& scene, const cStageData& stage, DDSURFACEDATA* target, int bTimeWarn);

// One frame of `StageData` into the back buffer. bPlaying: the play state
// draws; bFrozen: animations and counts stand still; bTimeWarn: the low-time
// sound may play; bFooter: the footer text is shown. The hero's loss is
// concluded here once its vanish is over, so the scene's state may change.
void DrawStage(cStagePlayScene& scene, cStageShell& shell, int bPlaying, int bFrozen, int bTimeWarn, int bFooter);
// The hero with its gauges, or its vanish and, at the vanish's end, the loss.
void DrawHero(cStagePlayScene& scene, cStageShell& shell, DDSURFACEDATA* target, int bFrozen);

// The left x of each status item on the bar, -1 for a hidden one: the shown
// items spread with equal gaps over the bar.
std::array<int, kStatusItems> StatusItemLeft(const cSystemData& system);
void DrawStatus(cStagePlayScene& scene, DDSURFACEDATA* target);
// UI text n centred on the footer line (y 456) of the screen.
void DrawFooterText(DDSURFACEDATA* target, int uiText);
// The system text of the footer line, or -1 for none.
int FooterText(bool directStart, bool testPlay);
