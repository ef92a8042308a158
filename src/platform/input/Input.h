#pragma once
// The keyboard, mouse-button and joystick snapshot. The main thread keeps it
// from SDL events; any thread reads it through the two Windows-shaped calls
// below. With ZANDREL_INPUT set, a script replaces the snapshot (InputScript.h).
#include <cstdint>
#include <optional>

#include "platform/MainThread.h"
#include "platform/WinTypes.h"
#include "platform/input/InputScript.h"
#include "platform/input/VirtualKeys.h"

union SDL_Event;

using SHORT = std::int16_t;
using MMRESULT = UINT;

// The high bit (0x8000) is set while the key is down.
SHORT GetAsyncKeyState(int virtualKey);

// The pointer where it was last seen over the game's window, in the game
// area's dots: the program's screen coordinates, in which that window's
// client corner stands at (0, 0). FALSE until the pointer has moved over it.
BOOL GetCursorPos(POINT* point);

constexpr MMRESULT JOYERR_NOERROR = 0;
constexpr MMRESULT JOYERR_PARMS = 165;
constexpr MMRESULT JOYERR_UNPLUGGED = 167;
constexpr DWORD JOY_RETURNX = 0x01;
constexpr DWORD JOY_RETURNY = 0x02;
constexpr DWORD JOY_RETURNBUTTONS = 0x80;
constexpr UINT JOYSTICKID1 = 0;

// Positions run from 0 to 65535 with 32768 in the middle; buttons are bits,
// SDL button n in bit n.
struct JOYINFOEX {
  DWORD dwSize = sizeof(JOYINFOEX);
  DWORD dwFlags = 0;
  DWORD dwXpos = 0;
  DWORD dwYpos = 0;
  DWORD dwButtons = 0;
  DWORD dwButtonNumber = 0;  // how many buttons are down
};

// JOYERR_UNPLUGGED when joystick number joystick is not connected.
MMRESULT joyGetPosEx(UINT joystick, JOYINFOEX* info);

namespace platform {

// Main thread: takes one SDL event into the snapshot (focus loss lets go of
// every key, since their key-up events go to another window).
void HandleInputEvent(const SDL_Event& event);
// Main thread, before SDL quits: closes the joysticks the snapshot opened.
void CloseJoysticks();

// Main thread, once SDL's events are up: opens the joystick subsystem and
// feeds the snapshot from every SDL event the main thread serves, until destroyed.
class InputEvents {
 public:
  InputEvents();
  ~InputEvents();
  InputEvents(const InputEvents&) = delete;
  InputEvents& operator=(const InputEvents&) = delete;

 private:
  bool m_joysticks = false;
  TurnRegistration m_registration;
};

// One input read of a frame (and each poll of a modal loop): with a script,
// moves it one step on; live, a key pressed and let go since the step before
// reads as down until the next step, so a short tap is never lost.
void AdvanceInputStep();

// A box or dialog has ended: the taps it took (the Escape that cancelled it)
// were its own and do not reach the game's next read as presses.
void ForgetTaps();

// Tests: replaces the script from ZANDREL_INPUT (nullopt: the live snapshot).
void SetInputScriptForTesting(std::optional<InputScript> script);

}  // namespace platform
