#pragma once
// The cursor of the menus: a stack of levels, one per open menu level, each
// with a grid or list position and the pixel position the menu draws it at.
// It moves on the direction word after key repeat, so a held direction moves
// it at the repeat rate.
#include "library/util/CheckedVector.h"
#include "platform/WinTypes.h"

struct CURSORDATA {
  int nX = 0;  // column
  int nY = 0;  // row
  int nPosX = 0;
  int nPosY = 0;
  constexpr bool operator==(const CURSORDATA&) const = default;
};

class cMenuCursor {
 public:
  // The top level, and the level under it (null with one level). They are
  // found from the stack each time, so they never point into a moved vector.
  CURSORDATA& Current() { return m_Levels.VecAt(static_cast<int>(m_Levels.size()) - 1); }
  CURSORDATA* Below() { return m_Levels.size() < 2 ? nullptr : &m_Levels.VecAt(static_cast<int>(m_Levels.size()) - 2); }
  int Depth() const { return static_cast<int>(m_Levels.size()); }

  // One zeroed level, as every scene starts.
  void ResetCursor() { m_Levels.assign(1, CURSORDATA{}); }
  // Mode 1 opens the new level at the position of the one below; returns the level below.
  CURSORDATA* PushCursor(int mode);
  // Ignored on the last level. The level below becomes current: mode 0 zeroes
  // it, mode 2 gives it the removed level's values, other modes keep it.
  void PopCursor(int mode);

  // Wraps around in both axes; nothing moves with a column or row count of 0 or less.
  void MoveCursorGrid(WORD dir, int x0, int y0, int xStep, int yStep, int columns, int rows);
  // A list along x (axis 0, the column is the index) or y (axis 1, the row);
  // scroll is the index of the first visible item and belongs to the caller.
  void MoveCursorList(WORD dir, int axis, int& scroll, int origin, int step, int fixed, int visible, int count,
                      BOOL paging);

 private:
  cCheckedVector<CURSORDATA> m_Levels;
};

// The one cursor of all menus; the application's start-up gives it its first
// level (ResetCursor), and every scene resets it again.
extern cMenuCursor MenuCursor;
