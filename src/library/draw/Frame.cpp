#include <cstdlib>

#include "library/draw/Draw.h"

void DDDrawFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, int n, int c) {
  DDBeginRectBatch();
  DDFillRect(dst, x, y, w, n, static_cast<DWORD>(c));
  DDFillRect(dst, x, y + h - n, w, n, static_cast<DWORD>(c));
  DDFillRect(dst, x, y, n, h, static_cast<DWORD>(c));
  DDFillRect(dst, x + w - n, y, n, h, static_cast<DWORD>(c));
  DDEndRectBatch();
}

void DDDrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* window, int n, int c) {
  DDBlt(dst, x, y, w, h, window, 0, 0, 0);
  DDDrawFrame(dst, x - n, y - n, w + 2 * n, h + 2 * n, n, c);
}

void DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int bTransmit,
                  int number, int digits, int bCenter) {
  // A negative number is drawn as its absolute value (no sign cell exists).
  long long value = std::llabs(static_cast<long long>(number));
  int figures[20];
  int count = 0;
  do {
    figures[count++] = static_cast<int>(value % 10);
    value /= 10;
  } while (value != 0);
  int offset = 0;
  if (count < digits) {
    offset = (digits - count) * w;
    if (bCenter) offset /= 2;
  }
  for (int k = count - 1, pen = x + offset; k >= 0; --k, pen += w)
    DDBlt(dst, pen, y, w, h, src, sx + w * figures[k], sy, bTransmit);
}
