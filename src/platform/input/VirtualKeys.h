#pragma once
// Windows virtual-key codes, the numbers the player's code and the key
// configuration file name keys by, and their mapping from SDL scancodes.
//
// The mapping follows the key's position on a US layout (scancodes name
// positions, not characters):
//   letters A-Z            -> 'A'..'Z' (0x41..0x5A)
//   digits 0-9 (top row)   -> '0'..'9' (0x30..0x39)
//   keypad 0-9             -> VK_NUMPAD0..VK_NUMPAD9 (0x60..0x69) with Num Lock on; with it off, as
//                             Windows reports them: VK_INSERT, VK_END, VK_DOWN, VK_NEXT, VK_LEFT,
//                             VK_CLEAR, VK_RIGHT, VK_HOME, VK_UP, VK_PRIOR, and keypad . -> VK_DELETE
//   keypad * + - . /       -> VK_MULTIPLY, VK_ADD, VK_SUBTRACT, VK_DECIMAL, VK_DIVIDE
//   keypad Enter           -> VK_RETURN, as Windows reports it
//   F1-F12                 -> VK_F1..VK_F12 (0x70..0x7B)
//   arrows                 -> VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN
//   left/right Shift, Ctrl, Alt -> VK_LSHIFT/VK_RSHIFT, VK_LCONTROL/VK_RCONTROL, VK_LMENU/VK_RMENU;
//                             the generic VK_SHIFT, VK_CONTROL and VK_MENU read as down while either side is
//   Space, Enter, Escape, Backspace, Tab, Insert, Delete, Home, End, Page Up/Down, Pause,
//   and the punctuation keys (VK_OEM_1..VK_OEM_7, VK_OEM_PLUS, _COMMA, _MINUS, _PERIOD)
//   mouse buttons (SDL buttons) -> VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2
// Every other scancode maps to 0 (no key).
#include <optional>
#include <string_view>

#include "platform/WinTypes.h"

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_XBUTTON1 = 0x05;
constexpr int VK_XBUTTON2 = 0x06;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;

// Virtual keys are 0..255; anything outside is no key.
constexpr int kVirtualKeyCount = 256;

namespace platform {

// The virtual key of a scancode (0 when the table has none), Num Lock on.
int VirtualKeyFromScancode(int sdlScancode);
// The same with Num Lock on or off: off, the keypad is a second set of arrows and page keys.
int VirtualKeyFromScancode(int sdlScancode, bool numLock);
// The virtual key of a key as the active layout names it: a letter key by the
// letter printed on it (a German keyboard's Y stands where a US one has Z),
// every other key by its place. Dialogs read it; the game reads places.
int VirtualKeyOfLabel(int sdlScancode, int sdlKeycode);
// The virtual key of an SDL mouse button (SDL_BUTTON_LEFT ...), 0 for others.
int VirtualKeyFromMouseButton(int sdlButton);
// A virtual key by its name without the "VK_" prefix, any letter case
// ("LEFT", "z", "F1", "NUMPAD0", "LBUTTON"), or as a number ("0x25").
std::optional<int> VirtualKeyFromName(std::string_view name);
// True for VK_SHIFT, VK_CONTROL and VK_MENU, which read as either side.
constexpr bool IsGenericModifier(int vk) { return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU; }

}  // namespace platform
