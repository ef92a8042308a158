#pragma once
// The stage's surfaces: the slots of the user surface table that stage play
// draws from, the background layers named by the stage, the special-bitmap,
// sword and effect surfaces built from the databases, and the two shot sheets
// composed from the shot source, where every shot graphic's two frames sit
// centred in 32 x 32 cells.
#include <array>
#include <vector>

struct DDSURFACEDATA;
struct SURFACEDESCDATA;
class cDatabase;
class cStageData;

constexpr int kShotSourceSlot = 20;  // and 21 mirrored
constexpr int kShotSheetSlot = 63;   // and 64 mirrored
constexpr int kShotSheetWidth = 256, kShotSheetHeight = 960;
constexpr int kStatusWindowSlot = 46;  // "bmp\StatusWindow.bmp"
constexpr int kAccessorySlot = 49;     // icons, gauges and the menu cursor
constexpr int kWordSlot = 51;          // captions and large digits

// 1 when a run-time surface goes to system memory: under DirectDraw, once
// less than a fifth of the video memory is free.
int LowVideoMemory();

// The user surface of a slot when it holds a picture, else null.
DDSURFACEDATA* StageSurface(int slot);

// Slots 2..47, 49..51 and 55..70 of the user surface table.
extern const std::array<int, 65> kStageSurfaceTable;
// Slots 55..62: the stage's eight background-layer bitmaps.
extern const std::array<int, 8> kBgLayerTable;

// Names the background slots after the stage's first eight layers: a layer that
// shows a bitmap gives its file, any other layer an empty name (nothing loads).
void PrepareBgLayerNames(const cStageData& stage, SURFACEDESCDATA* surfaceDesc);

// A fresh entry loads every stage slot, composes the shot sheets and rebuilds
// the three database lists; a re-entry loads only the background slots.
// False when a slot that must load did not.
bool LoadStageResources(DDSURFACEDATA* userSD, const cDatabase& db, bool reentry);
// Releases the stage slots and the three database lists.
void ReleaseStageResources(DDSURFACEDATA* userSD);

// Rebuild SpecialBmpSD, SwordSD and EffectSD from their databases; a missing
// file is only logged and leaves its surfaces empty.
void LoadStageBmps(const cDatabase& db);
void LoadStageSwords(const cDatabase& db);
void LoadStageEffects(const cDatabase& db);

// Composes slots 63 and 64 of the user surfaces from slots 20 and 21.
void BuildShotSheets(DDSURFACEDATA* userSD, int count);
// Composes them again after the display lost them; true when it did.
bool RestoreShotSheets(DDSURFACEDATA* userSD, int count);
