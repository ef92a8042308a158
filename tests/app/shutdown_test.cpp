#include <gtest/gtest.h>

#include "app/StartUp.h"
#include "library/window/Hook.h"
#include "library/window/Window.h"
#include "platform/input/VirtualKeys.h"
#include "platform/overlay/DialogBox.h"

namespace {

// A start that failed before making anything: shutdown releases only what
// exists, and the dialogs' keyboard hook goes with it.
TEST(ShutdownTest, UnInitGameReleasesTheDialogsKeyboardHook) {
  int dialogKeys = 0;
  platform::overlay::DialogTemplate layout;
  layout.caption = "test";
  layout.width = 100, layout.height = 50;
  platform::overlay::DialogBox box(layout, [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_DLGKEY) ++dialogKeys;
    return 0;
  });
  cHook hook;
  ASSERT_TRUE(hook.Hook(box.Handle(), 0));
  box.Key(VK_F5, true, false);
  ASSERT_EQ(dialogKeys, 1) << "the hook passes F5 to its dialog";

  UnInitGame();
  box.Key(VK_F5, true, false);
  EXPECT_EQ(dialogKeys, 1) << "the hook still takes keys after shutdown";
}

}  // namespace
