#include "library/input/KeyInput.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "library/input/KeyConfig.h"

cCheckedVector<cKeyInput> KeyInputList;

namespace {

constexpr int kRetryWaitFactor = 2;
constexpr DWORD kAxisLow = 10000;
constexpr DWORD kAxisHigh = 55535;

bool KeyDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// Adds one direction to the word and moves the number by its step on the 3 x 3 grid.
void AddDirection(WORD bit, WORD& word, int& number) {
  static constexpr int kSteps[] = {0, -1, +1, 0, -3, 0, 0, 0, +3};
  word |= bit;
  number += kSteps[bit];
}

}  // namespace

int DirBitsToNumber(WORD dir) {
  int number = 5;
  if (dir & KEYBIT_LEFT)
    number -= 1;
  else if (dir & KEYBIT_RIGHT)
    number += 1;
  if (dir & KEYBIT_UP)
    number -= 3;
  else if (dir & KEYBIT_DOWN)
    number += 3;
  return number;
}

bool CheckJoyAxis(const JOYINFOEX& joy, WORD code) {
  switch (code) {
    case JOYAXIS_LEFT:
      return joy.dwXpos <= kAxisLow;
    case JOYAXIS_RIGHT:
      return joy.dwXpos >= kAxisHigh;
    case JOYAXIS_UP:
      return joy.dwYpos <= kAxisLow;
    case JOYAXIS_DOWN:
      return joy.dwYpos >= kAxisHigh;
    default:
      return false;
  }
}

void cKeyInput::ResetJoyButtonMap() {
  for (size_t i = 0; i < m_JoyButtonMap.size(); ++i) m_JoyButtonMap[i] = static_cast<WORD>(1u << i);
}

bool cKeyInput::ReadJoystick(UINT joystick, int retryWait, JOYINFOEX& joy) {
  if (!m_bJoyOk && m_nJoyRetry > 0) {
    --m_nJoyRetry;
    return false;
  }
  joy.dwSize = sizeof(JOYINFOEX);
  joy.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
  if (joyGetPosEx(joystick, &joy) != JOYERR_NOERROR) {
    m_bJoyOk = 0;
    m_nJoyRetry =
        static_cast<int>(std::clamp<long long>(static_cast<long long>(retryWait) * kRetryWaitFactor, 0, INT_MAX));
    return false;
  }
  m_bJoyOk = 1;
  return true;
}

WORD cKeyInput::JoyButtons(DWORD buttons) const {
  WORD word = 0;
  for (size_t i = 0; i < m_JoyButtonMap.size(); ++i)
    if (buttons & m_JoyButtonMap[i]) word |= static_cast<WORD>(1u << i);
  return word;
}

int cKeyInput::PollInput(UINT joystick, int flags, int retryWait) {
  if (KeyConfig.nMode != 0) return 0;
  bool joyDirection = false;
  bool joyButton = false;
  JOYINFOEX joy;
  if ((flags & POLL_JOYSTICK) && ReadJoystick(joystick, retryWait, joy)) {
    m_nDirNumber = 5;
    m_wDir = 0;
    if (CheckJoyAxis(joy, JOYAXIS_LEFT))
      AddDirection(KEYBIT_LEFT, m_wDir, m_nDirNumber);
    else if (CheckJoyAxis(joy, JOYAXIS_RIGHT))
      AddDirection(KEYBIT_RIGHT, m_wDir, m_nDirNumber);
    if (CheckJoyAxis(joy, JOYAXIS_UP))
      AddDirection(KEYBIT_UP, m_wDir, m_nDirNumber);
    else if (CheckJoyAxis(joy, JOYAXIS_DOWN))
      AddDirection(KEYBIT_DOWN, m_wDir, m_nDirNumber);
    m_wButton = JoyButtons(joy.dwButtons);
    joyDirection = m_nDirNumber != 5;
    joyButton = m_wButton != 0;
  }
  if (!(flags & POLL_KEYBOARD)) return 1;
  if (!joyDirection) {
    // Both keys of an axis held cancel out in the number but both bits stay.
    m_nDirNumber = 5;
    m_wDir = 0;
    static constexpr std::pair<int, WORD> kArrows[] = {
        {VK_LEFT, KEYBIT_LEFT}, {VK_RIGHT, KEYBIT_RIGHT}, {VK_UP, KEYBIT_UP}, {VK_DOWN, KEYBIT_DOWN}};
    for (auto [vk, bit] : kArrows)
      if (KeyDown(vk)) AddDirection(bit, m_wDir, m_nDirNumber);
  }
  if (!joyButton) {
    static constexpr int kButtonKeys[] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};
    m_wButton = 0;
    for (size_t i = 0; i < std::size(kButtonKeys); ++i)
      if (KeyDown(kButtonKeys[i])) m_wButton |= static_cast<WORD>(1u << i);
  }
  return 1;
}

int cKeyInput::PollInputByConfig(int /*players: the configuration holds one player's block*/, int retryWait) {
  const KEYCONFIGDATA& config = KeyConfig;
  if (config.nMode == 0) return 0;
  // Counts beyond what the record holds are taken at their bound, so no
  // assignment indexes past the tables below.
  int joyCount = std::clamp(config.nJoyCount, 0, kMaxKeyJoysticks);
  int keyCount = std::clamp(config.nKeyCount, 0, kKeyAssignCount);
  std::array<JOYINFOEX, kMaxKeyJoysticks> joys{};
  std::array<bool, kMaxKeyJoysticks> joyRead{};
  for (int j = 0; j < joyCount; ++j) joyRead[j] = ReadJoystick(static_cast<UINT>(j), retryWait, joys[j]);

  auto isDown = [&](const KEYASSIGNDATA& key, bool direction) {
    if (key.nDevice == KEYDEVICE_KEYBOARD) return KeyDown(key.wCode);
    if (key.nDevice < 0 || key.nDevice >= joyCount || !joyRead[key.nDevice]) return false;
    const JOYINFOEX& joy = joys[key.nDevice];
    return (direction && CheckJoyAxis(joy, key.wCode)) || (joy.dwButtons & key.wCode) != 0;
  };

  m_nDirNumber = 5;
  m_wDir = 0;
  m_wButton = 0;
  if (isDown(config.Key[0], true))
    AddDirection(KEYBIT_LEFT, m_wDir, m_nDirNumber);
  else if (isDown(config.Key[1], true))
    AddDirection(KEYBIT_RIGHT, m_wDir, m_nDirNumber);
  if (isDown(config.Key[2], true))
    AddDirection(KEYBIT_UP, m_wDir, m_nDirNumber);
  else if (isDown(config.Key[3], true))
    AddDirection(KEYBIT_DOWN, m_wDir, m_nDirNumber);
  for (int j = 0; j + 4 < keyCount; ++j)
    if (isDown(config.Key[4 + j], false)) m_wButton |= static_cast<WORD>(1u << j);
  return 1;
}

void ReadInputDevices(cCheckedVector<cKeyInput>& list) {
  platform::AdvanceInputStep();
  cKeyInput& input = list.VecAt(0);
  constexpr int kRetryWait = 60;
  if (KeyConfig.nMode != 0)
    input.PollInputByConfig(1, kRetryWait);
  else
    input.PollInput(JOYSTICKID1, POLL_JOYSTICK | POLL_KEYBOARD, kRetryWait);
}
