#include "library/text/BmpText.h"

#include "library/draw/Draw.h"
#include "library/text/TextLayout.h"

int DDDrawBmpText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                  std::string_view text) {
  if (lpDTCon) DDBeginSpriteBatch(0);
  LayoutBmpText(x, y, cellWidth, cellHeight, nScreenWidth, text,
                [&](int px, int py, int sx, int sy) { DDBlt(dst, px, py, cellWidth, cellHeight, sheet, sx, sy, 1); });
  return lpDTCon ? DDEndSpriteBatch() : 0;
}

int DDDrawBmpTextf(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                   const char* format, ...) {
  std::string text;
  va_list args;
  va_start(args, format);
  StrAppendFormatV(text, format, args);
  va_end(args);
  return DDDrawBmpText(dst, x, y, cellWidth, cellHeight, sheet, text);
}
