#include "library/input/MenuCursor.h"

#include <algorithm>
#include <climits>

#include "library/input/KeyInput.h"

cMenuCursor MenuCursor;

namespace {

// Positions are computed wide: a position handed in from stored data may sit
// at the ends of int, and a step past them must not overflow.
using Wide = long long;

Wide Wrap(Wide position, int count) {
  if (position < 0) return count - 1;
  if (position >= count) return 0;
  return position;
}

// -1 for the first bit, +1 for the second, the first winning.
Wide Step(WORD dir, WORD back, WORD forward) {
  if (dir & back) return -1;
  if (dir & forward) return 1;
  return 0;
}

int Narrow(Wide value) { return static_cast<int>(std::clamp<Wide>(value, INT_MIN, INT_MAX)); }

}  // namespace

CURSORDATA* cMenuCursor::PushCursor(int mode) {
  m_Levels.push_back(CURSORDATA{});
  if (mode == 1 && m_Levels.size() >= 2) Current() = *Below();
  return Below();
}

void cMenuCursor::PopCursor(int mode) {
  if (m_Levels.size() < 2) return;
  CURSORDATA removed = Current();
  m_Levels.pop_back();
  if (mode == 0) Current() = CURSORDATA{};
  if (mode == 2) Current() = removed;
}

void cMenuCursor::MoveCursorGrid(WORD dir, int x0, int y0, int xStep, int yStep, int columns, int rows) {
  if (columns <= 0 || rows <= 0) return;
  CURSORDATA& level = Current();
  Wide column = Wrap(level.nX + Step(dir, KEYBIT_LEFT, KEYBIT_RIGHT), columns);
  Wide row = Wrap(level.nY + Step(dir, KEYBIT_UP, KEYBIT_DOWN), rows);
  level.nX = Narrow(column);
  level.nY = Narrow(row);
  level.nPosX = Narrow(x0 + column * xStep);
  level.nPosY = Narrow(y0 + row * yStep);
}

void cMenuCursor::MoveCursorList(WORD dir, int axis, int& scroll, int origin, int step, int fixed, int visible,
                                 int count, BOOL paging) {
  CURSORDATA& level = Current();
  int& indexField = axis ? level.nY : level.nX;
  Wide index = indexField;
  Wide top = scroll;
  Wide page = visible;
  if (dir & KEYBIT_UP) {
    if (index - top <= 0) --top;
    --index;
  } else if (dir & KEYBIT_DOWN) {
    if (index - top >= page - 1) ++top;
    ++index;
  }
  if (paging && (dir & KEYBIT_RIGHT)) {
    if (top == count - page) {
      index = count - 1;
    } else {
      top += page - 1;
      index += page - 1;
    }
  } else if (paging && (dir & KEYBIT_LEFT)) {
    if (top == 0) {
      index = 0;
    } else {
      top -= page - 1;
      index -= page - 1;
    }
  }
  index = std::max<Wide>(std::min<Wide>(index, count - 1), 0);
  top = std::min<Wide>(std::max<Wide>(top, 0), std::max<Wide>(count - page, 0));
  indexField = Narrow(index);
  scroll = Narrow(top);
  int along = Narrow(origin + (index - top) * step);
  (axis ? level.nPosY : level.nPosX) = along;
  (axis ? level.nPosX : level.nPosY) = fixed;
}
