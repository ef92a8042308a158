#include "library/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "library/input_scripted.h"
#include "library/util/Log.h"
#include "library/window/Controls.h"
#include "library/window/MsgNames.h"
#include "platform/Harness.h"
#include "platform/input/Input.h"
#include "platform/input/VirtualKeys.h"
#include "platform/overlay/DialogBox.h"
#include "platform/overlay/DialogItems.h"
#include "support/TempDir.h"

namespace {

using platform::overlay::DialogBox;
using platform::overlay::DialogTemplate;
using platform::overlay::ItemKind;

TEST(WindowLayout, MainWindowFrameAndTrackingLimits) {
  cWindow window;
  window.SetLayout(640, 480, 100, 100, 640, 480, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                   0, 0, 0, 0, 0);
  EXPECT_EQ(window.m_layout.client, (RECT{0, 0, 640, 480}));
  EXPECT_EQ(window.m_frame.top, SM_CYCAPTION_DOTS + SM_CYDLGFRAME_DOTS);
  window.AddStyle(WS_THICKFRAME);
  EXPECT_EQ(window.m_frame.left, SM_CXFRAME_DOTS);
  EXPECT_EQ(window.m_frame.right, SM_CXFRAME_DOTS);
  EXPECT_EQ(window.m_frame.top, SM_CYCAPTION_DOTS + SM_CYFRAME_DOTS);
  EXPECT_EQ(window.m_frame.bottom, SM_CYFRAME_DOTS);
  MINMAXINFO info{};
  window.OnGetMinMaxInfo(&info);
  EXPECT_EQ(info.ptMinTrackSize, (POINT{100 + 2 * SM_CXFRAME_DOTS, 100 + SM_CYCAPTION_DOTS + 2 * SM_CYFRAME_DOTS}));
  EXPECT_EQ(info.ptMaxTrackSize, (POINT{640 + 2 * SM_CXFRAME_DOTS, 480 + SM_CYCAPTION_DOTS + 2 * SM_CYFRAME_DOTS}));
}

TEST(WindowLayout, ScrollBarsBarsAndHeaderRowsShrinkTheView) {
  cWindow window;
  window.SetLayout(200, 100, 0, 0, 400, 300, 0, 0, 1, 1, 0, 3);
  EXPECT_EQ(window.m_layout.client, (RECT{0, 0, 200 + SM_CXVSCROLL_DOTS, 100 + SM_CYHSCROLL_DOTS + kBarHeight + 28}));
  EXPECT_EQ(window.m_view, (RECT{0, 28, 200, 100}));
}

TEST(WindowLayout, PlaceWindowKeepsTheWindowOnTheWorkArea) {
  struct Case {
    int placeX, placeY;
    POINT expected;
  } cases[] = {{kNoPlacement, 50, {7, 9}}, {5000, 5000, {1024 - 100, 768 - 80}}, {-20, 10, {0, 10}}};
  for (const Case& c : cases) {
    cWindow window;
    window.SetLayout(100, 80, 0, 0, 640, 480, 0, 0, 0, 0, 0, 0);
    window.MoveWindowTo(7, 9);
    window.m_placeX = c.placeX, window.m_placeY = c.placeY;
    window.PlaceWindow(RECT{0, 0, 1024, 768});
    EXPECT_EQ(window.GetWindowPos(), c.expected) << c.placeX;
  }
}

TEST(WindowMouse, ButtonEdgesLatchOverUpdates) {
  ScriptedInput input("3 LBUTTON\n1\n");
  cWindow window;
  std::vector<int> pressed, released;
  for (int update = 0; update < 4; ++update) {
    platform::AdvanceInputStep();
    window.UpdateMouseButtons(7);
    pressed.push_back(window.m_mouse.leftPressed);
    released.push_back(window.m_mouse.leftReleased);
  }
  EXPECT_EQ(pressed, (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(released, (std::vector<int>{0, 0, 0, 1}));
}

void MovePointer(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x, event.motion.y = y;
  platform::HandleInputEvent(event);
}

// The view starts below one header row (28 dots) and is 200 x 100.
TEST(WindowMouse, PositionInTheViewOrNothingOutsideIt) {
  cWindow window;
  window.SetLayout(200, 100, 0, 0, 640, 480, 0, 0, 1, 0, 0, 0);
  MovePointer(50, 40);
  EXPECT_TRUE(window.UpdateMousePos(0, 7));
  EXPECT_EQ(window.m_mouse.x, 50);
  EXPECT_EQ(window.m_mouse.y, 12);
  for (POINT outside : {POINT{50, 20}, POINT{200, 40}, POINT{-1, 40}, POINT{50, 128}}) {
    MovePointer(outside.x, outside.y);
    EXPECT_FALSE(window.UpdateMousePos(0, 7)) << outside.x << "," << outside.y;
    EXPECT_EQ(window.m_mouse.y, 12);
  }
  MovePointer(50, 20);
  EXPECT_TRUE(window.UpdateMousePos(1, 7));
  EXPECT_EQ(window.m_mouse.y, -8);
}

TEST(WindowMessages, StandardNamesAndOthersInDecimal) {
  EXPECT_EQ(MsgNameCount(), 192u);
  const std::pair<UINT, const char*> cases[] = {
      {0x0000, "WM_NULL"}, {0x0111, "WM_COMMAND"}, {0x0400, "WM_USER"}, {0x0200, "WM_MOUSEMOVE"},
      {0x0004, "4"},       {0x0401, "1025"},       {2024, "2024"}};
  for (const auto& [message, name] : cases) EXPECT_EQ(GetMsgName(message), name) << message;
}

TEST(WindowMessages, TheTraceNamesEachMessageButWM_GETTEXT) {
  // The second log's state is the process's own: it is switched on in a child process only.
  EXPECT_EXIT(
      {
        testsupport::TempDir dir(true);
        dir.Write("EC_Game.txt", "");
        EcLogInit(1, "EC_Game.txt");
        cWindow window;
        window.m_strTitle = "main";
        window.m_bTrace = 1;
        window.DefMsgProc(nullptr, 0x0000, MakeWParam(1, 2), -1);
        window.DefMsgProc(nullptr, 0x000D, 0, 0);  // WM_GETTEXT
        const std::string log = dir.Read("EC_Game.txt");
        const bool traced = log.find("main | msg:WM_NULL | wp:131073(2,1) | lp:-1(65535,65535)") != std::string::npos;
        std::exit(traced && log.find("WM_GETTEXT") == std::string::npos ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A control that records the keys its dialog hands it.
class KeyRecorder final : public cCtrl {
 public:
  KeyRecorder() : cCtrl(0) {}
  void OnKeyDown(int key, LPARAM, int) override { keys.push_back(key); }
  std::vector<int> keys;
};

// A modal dialog with two radio buttons, a check box, an edit box and OK, run
// on a dialog box of the toolkit that the test drives directly.
class TestDialog final : public cDialog {
 public:
  TestDialog() { Setup(0, nullptr, 0, nullptr); }

  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    messages.emplace_back(message, wParam);
    return ModalDialogMsgProc(window, message, wParam, lParam);
  }
  void OnInit(WPARAM wParam, LPARAM lParam) override {
    cDialog::OnInit(wParam, lParam);
    radioOn.Attach(this, 20, &mode, 1);
    radioOff.Attach(this, 21, &mode, 0);
    check.Attach(this, 22, &flag);
    keys.Attach(this, 24);
    for (cCtrl* control : std::initializer_list<cCtrl*>{&radioOn, &radioOff, &check, &keys}) AddCtrl(control);
    AllDataToCtrl();
    // Attached last, so the text it shows is the one attaching left.
    EDITCTRLDATA binding{23, &text, 0, 3, 2, 0};
    edit.Attach(this, binding);
    AddCtrl(&edit);
  }
  void OnCommand(WPARAM wParam, LPARAM lParam) override {
    ++commands;
    cDialog::OnCommand(wParam, lParam);
    // A command sent while one is handled is refused by the guard.
    if (LowWord(wParam) == 25) nestedResult = SendMessage(m_hWnd, WM_COMMAND, wParam, lParam);
  }

  int mode = 1, flag = 0;
  std::string text = "abcdefgh";
  cRadioCtrl radioOn, radioOff;
  cCheckCtrl check;
  cEditCtrl edit;
  KeyRecorder keys;
  std::vector<std::pair<UINT, WPARAM>> messages;
  int commands = 0;
  LRESULT nestedResult = -1;
};

DialogTemplate TestTemplate() {
  DialogTemplate layout;
  layout.width = 100, layout.height = 100;
  layout.items = {{23, ItemKind::Edit, "", 0, 0, 50, 12},
                  {20, ItemKind::RadioButton, "on", 0, 20, 30, 10},
                  {21, ItemKind::RadioButton, "off", 0, 30, 30, 10},
                  {22, ItemKind::CheckBox, "c", 0, 40, 30, 10},
                  {24, ItemKind::Text, "", 0, 50, 30, 10},
                  {25, ItemKind::Button, "b", 0, 60, 30, 10}};
  return layout;
}

class WindowDialog : public ::testing::Test {
 protected:
  WindowDialog()
      : box(TestTemplate(), [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return dialog.MsgProc(window, message, wParam, lParam);
        }) {
    box.Init();
  }

  TestDialog dialog;
  DialogBox box;
};

TEST_F(WindowDialog, RadioAndCheckBindingsMoveValuesBothWays) {
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 20, BM_GETCHECK, 0, 0), 1);
  EXPECT_EQ(SendDlgItemMessage(box.Handle(), 21, BM_GETCHECK, 0, 0), 0);
  dialog.mode = 7;
  dialog.AllCtrlToData();
  EXPECT_EQ(dialog.mode, 1);  // only the checked button writes
  box.Click(21);
  box.Click(22);
  dialog.AllCtrlToData();
  EXPECT_EQ(dialog.mode, 0);
  EXPECT_EQ(dialog.flag, 1);
}

TEST_F(WindowDialog, EditLimiterBreaksLongLinesAndRefusesExtraLines) {
  // Attaching cuts the bound text to what fits: three bytes on a line, two lines.
  EXPECT_EQ(box.ItemText(23), "abc");
  box.SetFocus(23);
  box.SetSelection(23, 3, 3);
  box.Type("d");
  EXPECT_EQ(box.ItemText(23), "abc\r\nd");
  EXPECT_EQ(box.Item(23)->selectionEnd, 6);
  box.Type("efg");
  EXPECT_EQ(box.ItemText(23), "abc\r\ndef");  // a third line is refused
  box.SetSelection(23, 1, 1);
  box.Type("X");  // the end of the first line moves on to the second, which overflows
  EXPECT_EQ(box.ItemText(23), "abc\r\ndef");
  EXPECT_EQ(box.Item(23)->selectionEnd, 2);  // the selection of the refused change, kept within the text
}

TEST_F(WindowDialog, CommandsReachTheFirstControlOfTheirIdAndDoNotNest) {
  box.Click(25);
  EXPECT_EQ(dialog.commands, 1);
  EXPECT_EQ(dialog.nestedResult, 0);
}

TEST_F(WindowDialog, HookGivesKeysToTheDialogAndItsControls) {
  dialog.messages.clear();
  box.Key(VK_UP, true, false);
  std::vector<std::pair<UINT, WPARAM>> expected{
      {WM_DLGKEY, VK_UP}, {WM_KEYDOWN, VK_UP}, {WM_VSCROLL, 0 /* SB_LINEUP */}};
  EXPECT_EQ(dialog.messages, expected);
  EXPECT_EQ(dialog.keys.keys, (std::vector<int>{VK_UP}));

  dialog.messages.clear();
  box.Key(VK_F5, true, true);      // during a composition F5 is a plain key down
  box.Key(VK_RETURN, true, true);  // Enter belongs to the composition
  box.Key(VK_TAB, true, false);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], std::make_pair(WM_KEYDOWN, static_cast<WPARAM>(VK_F5)));

  dialog.messages.clear();
  box.Key(VK_CONTROL, true, false);
  box.Key('A', true, false);
  box.Key(VK_CONTROL, false, false);
  std::vector<std::pair<UINT, WPARAM>> ctrlA{{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'A'}, {WM_KEYUP, VK_CONTROL}};
  EXPECT_EQ(dialog.messages, ctrlA);
}

// Moved far off the game area, the box is held on it; the stored position is
// where it really is: the game area's corner (10, 20) plus 640 - 168 and
// 480 - 179 dots (100 x 100 units with a title bar).
TEST_F(WindowDialog, AMoveStoresWhereTheWindowIs) {
  box.Place(POINT{10, 20}, POINT{5000, 5000});
  EXPECT_EQ(dialog.m_x, 10 + 640 - 168);
  EXPECT_EQ(dialog.m_y, 20 + 480 - 179);
  EXPECT_EQ(dialog.GetWindowPos(), (POINT{dialog.m_x, dialog.m_y}));
}

// The pointer in a dialog's client area, below its 20-dot title bar.
TEST_F(WindowDialog, ThePointerIsReadInTheDialogsClientArea) {
  box.Place(POINT{0, 0}, POINT{100, 50});
  MovePointer(130, 95);
  EXPECT_FALSE(dialog.UpdateMousePos(0, 7));  // its view is empty
  EXPECT_TRUE(dialog.UpdateMousePos(1, 7));
  EXPECT_EQ(dialog.m_mouse.x, 30);
  EXPECT_EQ(dialog.m_mouse.y, 25);
}

// A modal dialog that notes, when it starts, how the group of its parameter shows.
class GroupWatcher final : public cDialog {
 public:
  explicit GroupWatcher(CtrlGroup* group) {
    Setup(kTemplateId, nullptr, 0, group);
    live = this;
    m_pProc = &Proc;
  }
  static LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return live->ModalDialogMsgProc(window, message, wParam, lParam);
  }
  void OnInit(WPARAM wParam, LPARAM lParam) override {
    cDialog::OnInit(wParam, lParam);
    onInit();
  }

  static constexpr WORD kTemplateId = 901;
  static inline GroupWatcher* live = nullptr;
  std::function<void()> onInit;
};

TEST_F(WindowDialog, AModalRunHidesAndDisablesItsGroupUntilItEnds) {
  platform::HarnessSettings headless;
  headless.headless = true;
  platform::SetHarnessForTesting(headless);
  RegisterDialogTemplate(GroupWatcher::kTemplateId, TestTemplate());
  CtrlGroup group{{&dialog}, {&dialog.check}};
  struct State {
    bool boxShown, boxEnabled, itemVisible, itemEnabled;
    bool operator==(const State&) const = default;
  };
  auto state = [&] {
    const platform::overlay::DialogItem* check = box.Item(22);
    return State{box.Shown(), box.Enabled(), check->visible, check->enabled};
  };
  const State normal{true, true, true, true};
  const struct {
    int flags;
    State during;
  } cases[] = {
      {0, normal}, {2, {false, true, false, true}}, {4, {true, false, true, false}}, {6, {false, false, false, false}}};
  for (const auto& c : cases) {
    GroupWatcher watcher(&group);
    State during{};
    watcher.onInit = [&] { during = state(); };
    watcher.DoModal(c.flags);
    EXPECT_EQ(during, c.during) << c.flags;
    EXPECT_EQ(state(), normal) << c.flags;
  }
  platform::SetHarnessForTesting({});
}

// A dialog whose view has a vertical scroll bar (its item 0) that counts its redraws.
class ScrolledDialog final : public cDialog {
 public:
  ScrolledDialog() {
    Setup(0, nullptr, 0, nullptr);
    SetLayout(0, 0, 0, 0, 640, 480, 0, 0, 0, 0, 0, 2);
  }
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    return ModalDialogMsgProc(window, message, wParam, lParam);
  }
  void OnDraw() override { ++draws; }
  int draws = 0;
};

// Range 0 to 100 with a page of 10: the position runs from 0 to 91.
TEST(WindowScroll, TheViewBarMovesByEachRequestWithinItsRange) {
  DialogTemplate layout;
  layout.width = 100, layout.height = 100;
  layout.items = {{0, ItemKind::ScrollBar, "", 90, 0, 10, 100}};
  ScrolledDialog dialog;
  DialogBox box(layout, [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dialog.MsgProc(window, message, wParam, lParam);
  });
  box.Init();
  ASSERT_TRUE(dialog.m_vScroll.Attached());
  SCROLLINFO range;
  range.fMask = SIF_RANGE | SIF_PAGE;
  range.nMax = 100, range.nPage = 10;
  ASSERT_TRUE(SetScrollInfo(box.Handle(), 0, SB_CTL, range));
  const auto bar = reinterpret_cast<LPARAM>(box.Handle());
  const struct {
    WORD request;
    int position;
  } steps[] = {{SB_LINEDOWN, 1},  {SB_PAGEDOWN, 11}, {SB_LINEUP, 10}, {SB_BOTTOM, 91},
               {SB_PAGEDOWN, 91}, {SB_PAGEUP, 81},   {SB_TOP, 0},     {SB_LINEUP, 0}};
  int moves = 0, position = 0;
  for (const auto& step : steps) {
    SendMessage(box.Handle(), WM_VSCROLL, step.request, bar);
    moves += step.position != position;
    position = step.position;
    EXPECT_EQ(box.Item(0)->scroll.pos, step.position) << step.request;
  }
  EXPECT_EQ(dialog.draws, moves);
  box.Scroll(0, 40);  // the box dragged
  EXPECT_EQ(box.Item(0)->scroll.pos, 40);
  box.Key(VK_NEXT, true, false);  // Page Down is a page down of the vertical bar
  EXPECT_EQ(box.Item(0)->scroll.pos, 50);
}

TEST_F(WindowDialog, CloseEndsWithZeroAndEmptiesTheControlList) {
  box.PressEscape();
  EXPECT_TRUE(box.Ended());
  EXPECT_EQ(box.Result(), 0);
  EXPECT_TRUE(dialog.Controls().empty());
}

}  // namespace
