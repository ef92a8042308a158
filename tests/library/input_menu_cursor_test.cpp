#include <gtest/gtest.h>

#include <vector>

#include "input_scripted.h"
#include "library/input/KeyConfig.h"
#include "library/input/KeyInput.h"
#include "library/input/MenuCursor.h"

namespace {

class MenuCursorTest : public ::testing::Test {
 protected:
  void SetUp() override { cursor.ResetCursor(); }
  cMenuCursor cursor;
};

struct GridCase {
  CURSORDATA start;
  WORD dir;
  int columns;
  int rows;
  CURSORDATA end;
};

TEST_F(MenuCursorTest, GridMovesWrapsAndPlacesThePixelPosition) {
  // Origin (100, 50), steps (40, 16).
  const GridCase cases[] = {
      {{2, 0}, KEYBIT_RIGHT, 3, 2, {0, 0, 100, 50}},  // right off the last column
      {{0, 0}, KEYBIT_UP, 3, 2, {0, 1, 100, 66}},     // up off the first row
      {{0, 1}, KEYBIT_DOWN, 3, 2, {0, 0, 100, 50}},
      {{0, 0}, KEYBIT_LEFT, 3, 2, {2, 0, 180, 50}},
      {{1, 0}, KEYBIT_LEFT | KEYBIT_RIGHT, 3, 2, {0, 0, 100, 50}},  // left wins
      {{1, 0}, KEYBIT_UP | KEYBIT_DOWN, 3, 2, {1, 1, 140, 66}},     // up wins
      {{1, 1}, KEYBIT_DOWN | KEYBIT_RIGHT, 3, 3, {2, 2, 180, 82}},
      {{1, 1}, 0, 3, 2, {1, 1, 140, 66}},                 // no move still places
      {{7, -9}, 0, 3, 2, {0, 1, 100, 66}},                // out of the grid: wrapped
      {{1, 1, 5, 5}, KEYBIT_RIGHT, -1, 2, {1, 1, 5, 5}},  // negative counts move nothing
      {{1, 1, 5, 5}, KEYBIT_DOWN, 3, -1, {1, 1, 5, 5}},
      {{0, 0, 5, 5}, KEYBIT_UP, 1, 0, {0, 0, 5, 5}},           // an empty grid has no row to go to
      {{2147483647, 0}, KEYBIT_RIGHT, 3, 2, {0, 0, 100, 50}},  // no overflow at the end of int
  };
  for (const auto& c : cases) {
    cursor.Current() = c.start;
    cursor.MoveCursorGrid(c.dir, 100, 50, 40, 16, c.columns, c.rows);
    EXPECT_EQ(cursor.Current(), c.end) << "from " << c.start.nX << "," << c.start.nY << " dir " << c.dir;
  }
}

struct ListCase {
  int index;
  int scroll;
  WORD dir;
  int count;
  int visible;
  BOOL paging;
  int endIndex;
  int endScroll;
};

TEST_F(MenuCursorTest, ListScrollsPagesAndClamps) {
  const ListCase cases[] = {
      {3, 0, KEYBIT_DOWN, 10, 4, 0, 4, 1},  // down at the window's bottom scrolls
      {2, 0, KEYBIT_DOWN, 10, 4, 0, 3, 0},
      {4, 4, KEYBIT_UP, 10, 4, 0, 3, 3},  // up at the window's top scrolls
      {0, 0, KEYBIT_UP, 10, 4, 0, 0, 0},  // no wrap at either end
      {9, 6, KEYBIT_DOWN, 10, 4, 0, 9, 6},
      {7, 6, KEYBIT_RIGHT, 10, 4, 1, 9, 6},  // paging at the last page: the last item
      {1, 0, KEYBIT_RIGHT, 10, 4, 1, 4, 3},  // a page is visible - 1 items
      {5, 5, KEYBIT_RIGHT, 10, 4, 1, 8, 6},  // paged past the end: the scroll clamps
      {2, 0, KEYBIT_LEFT, 10, 4, 1, 0, 0},   // at the first page: the first item
      {6, 4, KEYBIT_LEFT, 10, 4, 1, 3, 1},
      {6, 4, KEYBIT_LEFT, 10, 4, 0, 6, 4},  // without paging left and right do nothing
      {1, 0, KEYBIT_DOWN, 3, 4, 1, 2, 0},   // fewer items than rows: the scroll stays 0
      {2, 0, KEYBIT_DOWN, 3, 4, 1, 2, 0},
      {12, 0, 0, 3, 4, 1, 2, 0},           // an index past the list is clamped
      {0, 0, KEYBIT_DOWN, 0, 4, 1, 0, 0},  // an empty list
  };
  for (const auto& c : cases) {
    for (int axis : {0, 1}) {
      CURSORDATA& level = cursor.Current();
      level = {};
      (axis ? level.nY : level.nX) = c.index;
      int scroll = c.scroll;
      cursor.MoveCursorList(c.dir, axis, scroll, 160, 16, 152, c.visible, c.count, c.paging);
      int index = axis ? cursor.Current().nY : cursor.Current().nX;
      int along = axis ? cursor.Current().nPosY : cursor.Current().nPosX;
      int across = axis ? cursor.Current().nPosX : cursor.Current().nPosY;
      SCOPED_TRACE(testing::Message() << "index " << c.index << " scroll " << c.scroll << " dir " << c.dir << " axis "
                                      << axis);
      EXPECT_EQ(index, c.endIndex);
      EXPECT_EQ(scroll, c.endScroll);
      EXPECT_EQ(along, 160 + (c.endIndex - c.endScroll) * 16);
      EXPECT_EQ(across, 152);
      EXPECT_EQ(axis ? cursor.Current().nX : cursor.Current().nY, 0) << "the other index is left alone";
    }
  }
}

TEST_F(MenuCursorTest, PushAndPopKeepThePositionAsTheModeSays) {
  cursor.Current() = {1, 2, 30, 40};
  EXPECT_EQ(cursor.Below(), nullptr);
  CURSORDATA* below = cursor.PushCursor(0);
  ASSERT_NE(below, nullptr);
  EXPECT_EQ(*below, (CURSORDATA{1, 2, 30, 40}));
  EXPECT_EQ(cursor.Current(), CURSORDATA{});
  cursor.PopCursor(1);  // keep
  EXPECT_EQ(cursor.Current(), (CURSORDATA{1, 2, 30, 40}));

  cursor.PushCursor(1);  // the submenu opens where the menu stood
  EXPECT_EQ(cursor.Current(), (CURSORDATA{1, 2, 30, 40}));
  cursor.Current().nY = 5;
  cursor.PopCursor(2);  // the menu takes the submenu's position
  EXPECT_EQ(cursor.Current(), (CURSORDATA{1, 5, 30, 40}));

  cursor.PushCursor(1);
  cursor.PopCursor(0);  // restart at the top
  EXPECT_EQ(cursor.Current(), CURSORDATA{});
  EXPECT_EQ(cursor.Depth(), 1);
  cursor.PopCursor(0);  // the last level stays
  EXPECT_EQ(cursor.Depth(), 1);
}

TEST_F(MenuCursorTest, DeepStacksKeepEveryLevelThroughGrowth) {
  for (int level = 1; level < 40; ++level) {
    cursor.Current().nX = level;
    cursor.PushCursor(0);
  }
  EXPECT_EQ(cursor.Depth(), 40);
  for (int level = 39; level >= 1; --level) {
    ASSERT_NE(cursor.Below(), nullptr);
    EXPECT_EQ(cursor.Below()->nX, level);
    cursor.PopCursor(1);
  }
  EXPECT_EQ(cursor.Below(), nullptr);
}

// A menu frame as the scenes run it: read, repeat, latch, move.
class ScriptedMenuTest : public MenuCursorTest {
 protected:
  void SetUp() override {
    MenuCursorTest::SetUp();
    SetDefaultKeyConfig(KeyConfig);
    KeyInputList.assign(1, cKeyInput{});
    KeyInputList[0].SetKeyRepeat(18, 6);
  }
  void TearDown() override { KeyConfig = {}; }
  cKeyInput& Frame() {
    ReadInputDevices(KeyInputList);
    KeyInputList[0].ApplyKeyRepeat();
    KeyInputList[0].LatchButtons(3);
    return KeyInputList[0];
  }
};

TEST_F(ScriptedMenuTest, HeldDirectionMovesTheGridAtTheRepeatRate) {
  ScriptedInput script("30 DOWN\n1\n1 DOWN\n");
  std::vector<int> rows;
  for (int frame = 0; frame < 32; ++frame) {
    cursor.MoveCursorGrid(Frame().m_wDir, 48, 96, 0, 16, 1, 4);
    rows.push_back(cursor.Current().nY);
  }
  // Held from frame 0: moves on frames 0, 18 and 24; released on frame 30;
  // the fresh press on frame 31 moves at once and wraps to the top.
  std::vector<int> expected(32, 1);
  for (int f = 18; f < 24; ++f) expected[f] = 2;
  for (int f = 24; f < 31; ++f) expected[f] = 3;
  expected[31] = 0;
  EXPECT_EQ(rows, expected);
}

TEST_F(ScriptedMenuTest, SubmenuOnAListReturnsToItsMenu) {
  // Top menu: down twice, confirm; the submenu list: down four times, cancel back.
  ScriptedInput script("1 DOWN\n1\n1 DOWN\n1 Z\n1\n1 DOWN\n1\n1 DOWN\n1\n1 DOWN\n1\n1 DOWN\n1 X\n");
  int listTop = 0;
  for (int frame = 0; frame < 13; ++frame) {
    cKeyInput& in = Frame();
    if (cursor.Depth() == 1) {
      cursor.MoveCursorGrid(in.m_wDir, 264, 192, 0, 16, 1, 4);
      if (in.m_wButton & 1) cursor.PushCursor(0);
    } else {
      cursor.MoveCursorList(in.m_wDir, 1, listTop, 160, 16, 152, 3, 10, TRUE);
      if (in.m_wButton & 2) cursor.PopCursor(1);
    }
    if (frame == 11) {
      EXPECT_EQ(cursor.Current(), (CURSORDATA{0, 4, 152, 160 + 2 * 16}));
      EXPECT_EQ(listTop, 2);
    }
  }
  EXPECT_EQ(cursor.Depth(), 1);
  EXPECT_EQ(cursor.Current(), (CURSORDATA{0, 2, 264, 224}));
}

}  // namespace
