#pragma once
// Per-thread message queues and window handles in the shape of the Windows
// message calls the player is written against.
#include <functional>

#include "platform/WinTypes.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
// Sent by the drawing layer to bring its window back after a device loss.
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Show commands, as the shell is given one at start and as dialogs are shown.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

namespace platform {

using WindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// A window belongs to the thread that created it; posts to it land in that
// thread's queue and sends are served by that thread.
class Window {
 public:
  Window(DWORD ownerThread, WindowProc proc) : m_ownerThread(ownerThread), m_proc(std::move(proc)) {}
  DWORD OwnerThread() const { return m_ownerThread; }
  LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam) { return m_proc(this, message, wParam, lParam); }

 private:
  DWORD m_ownerThread;
  WindowProc m_proc;
};

}  // namespace platform

// Ids are never reused; 0 is no thread.
DWORD GetCurrentThreadId();
// Fails (FALSE) until the target thread has made its queue by calling one of
// the peek or get functions, as the thread start handshake relies on, and
// after the thread has ended.
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Serves the sends waiting for the calling thread, then takes (or, with
// PM_NOREMOVE, looks at) its oldest message whose number lies in
// [filterMin, filterMax] (0, 0: any). A cancellation point.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message, serving sends meanwhile (and, on the main thread, its
// whole service turn); returns FALSE for WM_QUIT. A cancellation point.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
LRESULT DispatchMessage(const MSG* msg);
// Calls the window's procedure on its owner thread and returns its result.
// From the owner thread itself the call is direct; from another thread it
// blocks until the owner serves it (in its peek, get, wait and service turns),
// serving the sends to the caller's own windows meanwhile. The wait is a
// cancellation point as long as the owner has not begun to serve the call.
// 0 when there is no window or its owner thread has ended.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform {
// Serves the sends waiting for the calling thread's windows; true when any was.
bool ServeSends();
}  // namespace platform
