#include "platform/input/Input.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdio>
#include <mutex>

#include "platform/Harness.h"

namespace platform {
namespace {

constexpr SDL_JoystickID kNoJoystick = -1;

// SDL axes run from -32768 to 32767; the player expects 0..65535.
constexpr DWORD ScaleAxis(Sint16 value) { return static_cast<DWORD>(value + 32768); }

struct JoystickSlot {
  SDL_Joystick* handle = nullptr;
  SDL_JoystickID id = kNoJoystick;
  JoystickState state;
};

class InputSnapshot {
 public:
  bool KeyDown(int vk) {
    std::lock_guard lock(m_mutex);
    if (auto* script = Script()) return Held(vk, [&](int key) { return script->Current().keys.test(key); });
    return Held(vk, [&](int key) { return m_presses[key] > 0 || m_tappedInStep.test(key); });
  }

  JoystickState Joystick(UINT number) {
    std::lock_guard lock(m_mutex);
    if (auto* script = Script()) return script->Current().joysticks[number];
    return m_joysticks[number].state;
  }

  // A key pressed since the last step reads as down for this step even when
  // it is up again: its down and up may come in one batch of events.
  void Advance() {
    std::lock_guard lock(m_mutex);
    if (auto* script = Script()) script->Advance();
    m_tappedInStep = m_pressedSinceStep;
    m_pressedSinceStep.reset();
  }

  void ReplaceScript(std::optional<InputScript> script) {
    std::lock_guard lock(m_mutex);
    m_script = std::move(script);
    m_scriptChecked = true;
  }

  // Key and mouse presses are counted so that two keys with one virtual key
  // (both Enter keys) read as down until both are up.
  void Press(int vk, bool down) {
    if (vk <= 0) return;
    std::lock_guard lock(m_mutex);
    BYTE& presses = m_presses[vk];
    if (down && presses < 255) ++presses;
    if (down) m_pressedSinceStep.set(vk);
    if (!down && presses > 0) --presses;
  }

  // A key lets go of the virtual key it pressed, though Num Lock may have
  // changed what its place reads as meanwhile.
  void Key(const SDL_Keysym& key, bool down) {
    if (key.scancode < 0 || key.scancode >= SDL_NUM_SCANCODES) return;
    BYTE& heldAs = m_heldAs[key.scancode];
    const int vk = down ? VirtualKeyFromScancode(key.scancode, (key.mod & KMOD_NUM) != 0) : heldAs;
    heldAs = down ? static_cast<BYTE>(vk) : 0;
    Press(vk, down);
  }

  void MoveCursor(int x, int y) {
    std::lock_guard lock(m_mutex);
    m_cursor = POINT{x, y};
  }

  std::optional<POINT> Cursor() {
    std::lock_guard lock(m_mutex);
    return m_cursor;
  }

  void ReleaseAllKeys() {
    std::lock_guard lock(m_mutex);
    m_presses.fill(0);
    m_heldAs.fill(0);
    ForgetTapsLocked();
  }

  void ForgetTaps() {
    std::lock_guard lock(m_mutex);
    ForgetTapsLocked();
  }

  void JoystickAdded(int deviceIndex) {
    SDL_Joystick* handle = SDL_JoystickOpen(deviceIndex);
    if (!handle) return;
    std::lock_guard lock(m_mutex);
    SDL_JoystickID id = SDL_JoystickInstanceID(handle);
    auto free = std::find_if(m_joysticks.begin(), m_joysticks.end(), [](auto& s) { return s.id == kNoJoystick; });
    if (FindSlot(id) || free == m_joysticks.end()) {
      SDL_JoystickClose(handle);  // already open (SDL counts opens), or no number left
      return;
    }
    free->handle = handle;
    free->id = id;
    free->state = {true, ScaleAxis(SDL_JoystickGetAxis(handle, 0)), ScaleAxis(SDL_JoystickGetAxis(handle, 1)), 0};
  }

  void JoystickRemoved(SDL_JoystickID id) {
    std::lock_guard lock(m_mutex);
    if (auto* slot = FindSlot(id)) CloseSlot(*slot);
  }

  void CloseAll() {
    std::lock_guard lock(m_mutex);
    for (auto& slot : m_joysticks)
      if (slot.handle) CloseSlot(slot);
  }

  void Axis(SDL_JoystickID id, int axis, Sint16 value) {
    std::lock_guard lock(m_mutex);
    auto* slot = FindSlot(id);
    if (!slot) return;
    if (axis == 0) slot->state.x = ScaleAxis(value);
    if (axis == 1) slot->state.y = ScaleAxis(value);
  }

  void Button(SDL_JoystickID id, int button, bool down) {
    std::lock_guard lock(m_mutex);
    auto* slot = FindSlot(id);
    if (!slot || button < 0 || button >= 32) return;
    DWORD bit = DWORD{1} << button;
    slot->state.buttons = down ? slot->state.buttons | bit : slot->state.buttons & ~bit;
  }

 private:
  template <typename IsDown>
  static bool Held(int vk, IsDown isDown) {
    if (vk <= 0 || vk >= kVirtualKeyCount) return false;
    if (isDown(vk)) return true;
    switch (vk) {
      case VK_SHIFT:
        return isDown(VK_LSHIFT) || isDown(VK_RSHIFT);
      case VK_CONTROL:
        return isDown(VK_LCONTROL) || isDown(VK_RCONTROL);
      case VK_MENU:
        return isDown(VK_LMENU) || isDown(VK_RMENU);
      default:
        return false;
    }
  }

  // The script named by ZANDREL_INPUT, read on first use. A script that
  // cannot be read holds nothing, so a broken test fails instead of reading the desk.
  InputScript* Script() {
    if (!m_scriptChecked) {
      m_scriptChecked = true;
      if (const std::string& path = Harness().inputScript; !path.empty()) {
        std::string error;
        m_script = InputScript::Load(path, error);
        if (!m_script) {
          std::fprintf(stderr, "ZANDREL_INPUT %s\n", error.c_str());
          m_script.emplace();
        }
      }
    }
    return m_script ? &*m_script : nullptr;
  }

  JoystickSlot* FindSlot(SDL_JoystickID id) {
    for (auto& slot : m_joysticks)
      if (slot.id == id) return &slot;
    return nullptr;
  }

  static void CloseSlot(JoystickSlot& slot) {
    SDL_JoystickClose(slot.handle);
    slot = {};
  }

  void ForgetTapsLocked() {
    m_pressedSinceStep.reset();
    m_tappedInStep.reset();
  }

  std::mutex m_mutex;
  std::array<BYTE, kVirtualKeyCount> m_presses{};
  std::array<BYTE, SDL_NUM_SCANCODES> m_heldAs{};  // the virtual key each held key pressed
  std::bitset<kVirtualKeyCount> m_pressedSinceStep, m_tappedInStep;
  std::optional<POINT> m_cursor;  // none until the pointer has moved over the window
  std::array<JoystickSlot, kMaxJoysticks> m_joysticks{};
  std::optional<InputScript> m_script;
  bool m_scriptChecked = false;
};

InputSnapshot& Snapshot() {
  static InputSnapshot snapshot;
  return snapshot;
}

}  // namespace

void HandleInputEvent(const SDL_Event& event) {
  auto& snapshot = Snapshot();
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (!event.key.repeat) snapshot.Key(event.key.keysym, event.type == SDL_KEYDOWN);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      snapshot.Press(VirtualKeyFromMouseButton(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
      break;
    case SDL_MOUSEMOTION:
      snapshot.MoveCursor(event.motion.x, event.motion.y);
      break;
    case SDL_JOYDEVICEADDED:
      snapshot.JoystickAdded(event.jdevice.which);
      break;
    case SDL_JOYDEVICEREMOVED:
      snapshot.JoystickRemoved(event.jdevice.which);
      break;
    case SDL_JOYAXISMOTION:
      snapshot.Axis(event.jaxis.which, event.jaxis.axis, event.jaxis.value);
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      snapshot.Button(event.jbutton.which, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) snapshot.ReleaseAllKeys();
      break;
    default:
      break;
  }
}

void CloseJoysticks() { Snapshot().CloseAll(); }

InputEvents::InputEvents() {
  // joyGetPosEx reads a joystick whichever window has the focus; so do we.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  m_joysticks = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  if (!m_joysticks) std::fprintf(stderr, "no joysticks: %s\n", SDL_GetError());
  m_registration = RegisterSdlEventHandler(HandleInputEvent);
}

InputEvents::~InputEvents() {
  m_registration = TurnRegistration{};
  CloseJoysticks();
  if (m_joysticks) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void AdvanceInputStep() { Snapshot().Advance(); }

void ForgetTaps() { Snapshot().ForgetTaps(); }

void SetInputScriptForTesting(std::optional<InputScript> script) { Snapshot().ReplaceScript(std::move(script)); }

}  // namespace platform

SHORT GetAsyncKeyState(int virtualKey) {
  return platform::Snapshot().KeyDown(virtualKey) ? static_cast<SHORT>(0x8000) : SHORT{0};
}

BOOL GetCursorPos(POINT* point) {
  const std::optional<POINT> cursor = platform::Snapshot().Cursor();
  if (!cursor || !point) return FALSE;
  *point = *cursor;
  return TRUE;
}

MMRESULT joyGetPosEx(UINT joystick, JOYINFOEX* info) {
  if (!info || joystick >= platform::kMaxJoysticks) return JOYERR_PARMS;
  auto state = platform::Snapshot().Joystick(joystick);
  if (!state.present) return JOYERR_UNPLUGGED;
  info->dwXpos = state.x;
  info->dwYpos = state.y;
  info->dwButtons = state.buttons;
  info->dwButtonNumber = static_cast<DWORD>(std::popcount(state.buttons));
  return JOYERR_NOERROR;
}
