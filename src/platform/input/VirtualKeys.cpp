#include "platform/input/VirtualKeys.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>

namespace platform {
namespace {

struct ScancodeKey {
  SDL_Scancode scancode;
  int vk;
};

// The keys that are not in one of the contiguous runs handled below.
constexpr ScancodeKey kSingleKeys[] = {
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_LSHIFT, VK_LSHIFT},
    {SDL_SCANCODE_RSHIFT, VK_RSHIFT},
    {SDL_SCANCODE_LCTRL, VK_LCONTROL},
    {SDL_SCANCODE_RCTRL, VK_RCONTROL},
    {SDL_SCANCODE_LALT, VK_LMENU},
    {SDL_SCANCODE_RALT, VK_RMENU},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
};

constexpr ScancodeKey kKeypadWithoutNumLock[] = {
    {SDL_SCANCODE_KP_0, VK_INSERT}, {SDL_SCANCODE_KP_1, VK_END},         {SDL_SCANCODE_KP_2, VK_DOWN},
    {SDL_SCANCODE_KP_3, VK_NEXT},   {SDL_SCANCODE_KP_4, VK_LEFT},        {SDL_SCANCODE_KP_5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_RIGHT},  {SDL_SCANCODE_KP_7, VK_HOME},        {SDL_SCANCODE_KP_8, VK_UP},
    {SDL_SCANCODE_KP_9, VK_PRIOR},  {SDL_SCANCODE_KP_PERIOD, VK_DELETE},
};

// A run of scancodes that maps onto a run of virtual keys.
struct ScancodeRun {
  SDL_Scancode first;
  SDL_Scancode last;
  int firstVk;
};

constexpr ScancodeRun kRuns[] = {
    {SDL_SCANCODE_A, SDL_SCANCODE_Z, 'A'},
    {SDL_SCANCODE_1, SDL_SCANCODE_9, '1'},  // SDL puts 0 after 9, Windows before 1
    {SDL_SCANCODE_F1, SDL_SCANCODE_F12, VK_F1},
    {SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9, VK_NUMPAD0 + 1},
};

std::array<BYTE, SDL_NUM_SCANCODES> BuildScancodeTable() {
  std::array<BYTE, SDL_NUM_SCANCODES> table{};
  for (const auto& run : kRuns)
    for (int sc = run.first; sc <= run.last; ++sc) table[sc] = static_cast<BYTE>(run.firstVk + (sc - run.first));
  for (const auto& key : kSingleKeys) table[key.scancode] = static_cast<BYTE>(key.vk);
  return table;
}

struct NamedKey {
  std::string_view name;
  int vk;
};

// Names of the keys that are not a letter, a digit, F1..F12 or NUMPAD0..9.
constexpr NamedKey kNamedKeys[] = {
    {"LBUTTON", VK_LBUTTON},
    {"RBUTTON", VK_RBUTTON},
    {"MBUTTON", VK_MBUTTON},
    {"XBUTTON1", VK_XBUTTON1},
    {"XBUTTON2", VK_XBUTTON2},
    {"BACK", VK_BACK},
    {"BACKSPACE", VK_BACK},
    {"TAB", VK_TAB},
    {"RETURN", VK_RETURN},
    {"ENTER", VK_RETURN},
    {"SHIFT", VK_SHIFT},
    {"CONTROL", VK_CONTROL},
    {"CTRL", VK_CONTROL},
    {"MENU", VK_MENU},
    {"ALT", VK_MENU},
    {"PAUSE", VK_PAUSE},
    {"ESCAPE", VK_ESCAPE},
    {"ESC", VK_ESCAPE},
    {"SPACE", VK_SPACE},
    {"PRIOR", VK_PRIOR},
    {"NEXT", VK_NEXT},
    {"END", VK_END},
    {"HOME", VK_HOME},
    {"LEFT", VK_LEFT},
    {"UP", VK_UP},
    {"RIGHT", VK_RIGHT},
    {"DOWN", VK_DOWN},
    {"INSERT", VK_INSERT},
    {"DELETE", VK_DELETE},
    {"MULTIPLY", VK_MULTIPLY},
    {"ADD", VK_ADD},
    {"SUBTRACT", VK_SUBTRACT},
    {"DECIMAL", VK_DECIMAL},
    {"DIVIDE", VK_DIVIDE},
    {"LSHIFT", VK_LSHIFT},
    {"RSHIFT", VK_RSHIFT},
    {"LCONTROL", VK_LCONTROL},
    {"RCONTROL", VK_RCONTROL},
    {"LMENU", VK_LMENU},
    {"RMENU", VK_RMENU},
    {"OEM_1", VK_OEM_1},
    {"OEM_PLUS", VK_OEM_PLUS},
    {"OEM_COMMA", VK_OEM_COMMA},
    {"OEM_MINUS", VK_OEM_MINUS},
    {"OEM_PERIOD", VK_OEM_PERIOD},
    {"OEM_2", VK_OEM_2},
    {"OEM_3", VK_OEM_3},
    {"OEM_4", VK_OEM_4},
    {"OEM_5", VK_OEM_5},
    {"OEM_6", VK_OEM_6},
    {"OEM_7", VK_OEM_7},
};

std::optional<int> NumberedKey(std::string_view name, std::string_view prefix, int first, int count) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
  int number = 0;
  auto digits = name.substr(prefix.size());
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || number < first || number >= first + count)
    return std::nullopt;
  return number;
}

}  // namespace

int VirtualKeyFromScancode(int sdlScancode) {
  static const auto table = BuildScancodeTable();
  if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
  return table[sdlScancode];
}

int VirtualKeyFromScancode(int sdlScancode, bool numLock) {
  if (!numLock)
    for (const auto& key : kKeypadWithoutNumLock)
      if (key.scancode == sdlScancode) return key.vk;
  return VirtualKeyFromScancode(sdlScancode);
}

int VirtualKeyOfLabel(int sdlScancode, int sdlKeycode) {
  if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return 'A' + (sdlKeycode - SDLK_a);
  return VirtualKeyFromScancode(sdlScancode);
}

int VirtualKeyFromMouseButton(int sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return VK_LBUTTON;
    case SDL_BUTTON_RIGHT:
      return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
      return VK_MBUTTON;
    case SDL_BUTTON_X1:
      return VK_XBUTTON1;
    case SDL_BUTTON_X2:
      return VK_XBUTTON2;
    default:
      return 0;
  }
}

std::optional<int> VirtualKeyFromName(std::string_view name) {
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  if (upper.size() > 2 && upper.starts_with("0X")) {
    int code = 0;
    auto [end, error] = std::from_chars(upper.data() + 2, upper.data() + upper.size(), code, 16);
    if (error != std::errc{} || end != upper.data() + upper.size() || code <= 0 || code >= kVirtualKeyCount)
      return std::nullopt;
    return code;
  }
  if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0]))) return upper[0];
  if (auto f = NumberedKey(upper, "F", 1, 12)) return VK_F1 + *f - 1;
  if (auto pad = NumberedKey(upper, "NUMPAD", 0, 10)) return VK_NUMPAD0 + *pad;
  for (const auto& key : kNamedKeys)
    if (key.name == upper) return key.vk;
  return std::nullopt;
}

}  // namespace platform
