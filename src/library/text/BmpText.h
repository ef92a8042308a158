#pragma once
// Text copied from a bitmap sheet of 16 columns of character cells (the
// frame-rate overlay), half-width katakana folded into the rows ASCII leaves free.
#include "library/draw/DrawTypes.h"
#include "library/util/Text.h"

// Under Direct3D the result of the batch flush; under DirectDraw 0.
int DDDrawBmpText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                  std::string_view text);
int DDDrawBmpTextf(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                   const char* format, ...) ZANDREL_PRINTF(7, 8);
