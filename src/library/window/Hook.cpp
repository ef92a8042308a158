#include "library/window/Hook.h"

#include <map>
#include <mutex>

#include "library/window/Window.h"
#include "platform/input/VirtualKeys.h"
#include "platform/overlay/DialogBox.h"

namespace {

// The "cHook" property of the dialog windows, the program's one hook and its Ctrl state.
std::mutex hookMutex;
std::map<HWND, cHook*> hookedWindows;
bool hookInstalled = false;
int ctrlDown = 0;

cHook* HookOf(HWND dialog) {
  std::lock_guard lock(hookMutex);
  auto found = hookedWindows.find(dialog);
  return found == hookedWindows.end() ? nullptr : found->second;
}

bool IsCtrlKey(int key) { return key == VK_CONTROL || key == VK_LCONTROL || key == VK_RCONTROL; }

}  // namespace

cHook::~cHook() {
  std::lock_guard lock(hookMutex);
  auto found = hookedWindows.find(m_hWnd);
  if (found != hookedWindows.end() && found->second == this) hookedWindows.erase(found);
}

BOOL cHook::Hook(HWND dialog, int ctrlFilter) {
  m_hWnd = dialog;
  m_ctrlFilter = ctrlFilter;
  std::lock_guard lock(hookMutex);
  // A window handle may come back for a later dialog: the newest binding holds.
  hookedWindows[dialog] = this;
  if (!hookInstalled) platform::overlay::SetDialogKeyHook(KeyboardHookProc);
  hookInstalled = true;
  return TRUE;
}

bool IsHookKey(int key) {
  return key == VK_SPACE || key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN || key == VK_DELETE ||
         (key >= VK_F1 && key <= VK_F8);
}

// Keys reach the dialog at once (a send to its own thread): its modal loop
// does not take posted messages from the queue.
void KeyboardHookProc(HWND dialog, int key, bool down, bool composing) {
  cHook* hook = HookOf(dialog);
  if (!hook || hook->Window() != dialog) return;
  const WPARAM wParam = static_cast<WPARAM>(key);
  if (!down) {
    if (IsCtrlKey(key)) ctrlDown = 0;
    if (!(hook->CtrlFilter() && ctrlDown)) SendMessage(dialog, WM_KEYUP, wParam, 0);
    return;
  }
  if (key == VK_TAB || (key == VK_RETURN && composing)) return;
  if (key != VK_RETURN && !composing && IsHookKey(key)) {
    SendMessage(dialog, WM_DLGKEY, wParam, 0);
    return;
  }
  if (IsCtrlKey(key)) ctrlDown = 1;
  if (!(hook->CtrlFilter() && ctrlDown)) SendMessage(dialog, WM_KEYDOWN, wParam, 0);
}

void UnHookKeyboard() {
  std::lock_guard lock(hookMutex);
  if (hookInstalled) platform::overlay::SetDialogKeyHook(nullptr);
  hookInstalled = false;
  hookedWindows.clear();
}

int KeyboardHookCtrlDown() { return ctrlDown; }
