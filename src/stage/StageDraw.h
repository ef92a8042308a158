#pragma once
// Drawing the stage: background layers, the map's blocks around the view and
// the objects between them.
#include "records/StageData.h"
#include "stage/StagePlayScene.h"

struct DDSURFACEDATA;

constexpr int kBgLayerFirstSlot = 55;
constexpr int kBgLayerSlots = 8;
constexpr int kBackgroundColour = 16;

// Automatic background scrolling, once per drawn frame (also while paused).
void ScrollBgLayers(cStageData& stage);
// Pass 0 behind everything, 1 in front of the objects.
void DrawBgLayers(const cStagePlayScene& scene, cStageData& stage, DDSURFACEDATA* target, int pass);
void DrawBlocks(cStagePlayScene& scene, DDSURFACEDATA* target, int pass);
// The time left in large digits at the top, and the low-time sound once a
// second while it is at or below the stage's warning time.
void DrawTimeLimit(cStagePlayScene& scene, const cStageData& stage, DDSURFACEDATA* target, int bTimeWarn);
// The objects of one frame by their Z order, between the back and the front
// blocks and layers.
void DrawStage(cStagePlayScene& scene, cStageData& stage, DDSURFACEDATA* target, int frozen, DDSURFACEDATA* gaugeSheet);
