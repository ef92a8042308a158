#pragma once
// The stage's composed surfaces: the two shot sheets built from the shot
// source, where every shot graphic's two frames sit centred in 32 x 32 cells.
struct DDSURFACEDATA;

constexpr int kShotSourceSlot = 20;  // and 21 mirrored
constexpr int kShotSheetSlot = 63;   // and 64 mirrored
constexpr int kShotSheetWidth = 256, kShotSheetHeight = 960;

// Composes slots 63 and 64 of the user surfaces from slots 20 and 21.
void BuildShotSheets(DDSURFACEDATA* userSD, int count);
// Composes them again after the display lost them; true when it did.
bool RestoreShotSheets(DDSURFACEDATA* userSD, int count);
