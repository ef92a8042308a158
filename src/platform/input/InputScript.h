#pragma once
// Scripted input for tests (ZANDREL_INPUT). A script is text, one line per
// run of identical steps:
//
//   COUNT [KEY ...] [joyN=X,Y,BUTTONS ...]   # comment
//
// COUNT (1 or more) is how many steps the line lasts; every KEY named is held
// during them (a virtual-key name such as LEFT, Z, SPACE, F1, NUMPAD0, LBUTTON,
// or a code such as 0x25); joyN=X,Y,BUTTONS connects joystick N (0..15) with
// that position (0..65535) and button bits. A joystick not named on a line is
// unplugged for its steps. Blank lines and text after '#' are ignored. Before
// the first step and after the last one nothing is held.
#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

constexpr int kMaxJoysticks = 16;

struct JoystickState {
  bool present = false;
  DWORD x = 32768;
  DWORD y = 32768;
  DWORD buttons = 0;
};

// What is held at one step of a script.
struct InputState {
  std::bitset<256> keys;
  std::array<JoystickState, kMaxJoysticks> joysticks;
};

class InputScript {
 public:
  // Bounds that keep a hostile script from taking unbounded memory.
  static constexpr size_t kMaxBytes = 1 << 20;
  static constexpr size_t kMaxLines = 65536;

  // nullopt with error = "line N: reason" when the text is not a script.
  static std::optional<InputScript> Parse(std::string_view text, std::string& error);
  // Reads and parses a host file; error names the file.
  static std::optional<InputScript> Load(const std::string& path, std::string& error);

  void Advance();
  const InputState& Current() const;

 private:
  struct Run {
    long count = 0;
    InputState state;
  };
  std::vector<Run> m_runs;
  size_t m_run = 0;
  long m_stepsIntoRun = 0;  // 0 before the first step
};

}  // namespace platform
