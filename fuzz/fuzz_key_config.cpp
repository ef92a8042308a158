// The key configuration file as any bytes, then both polls over it with every
// key and joystick held, so that no value of the file reaches past a table.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "library/input/KeyConfig.h"
#include "library/input/KeyInput.h"

namespace {

platform::InputScript EverythingHeld() {
  std::string line = "1000000000";
  for (int vk = 1; vk < kVirtualKeyCount; ++vk) {
    char hex[4];
    line += " 0x";
    line.append(hex, std::to_chars(hex, hex + sizeof hex, vk, 16).ptr);
  }
  for (int j = 0; j < platform::kMaxJoysticks; ++j) line += " joy" + std::to_string(j) + "=0,65535,0xFFFFFFFF";
  std::string error;
  return *platform::InputScript::Parse(line, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool scripted = [] {
    platform::SetInputScriptForTesting(EverythingHeld());
    platform::AdvanceInputStep();
    return true;
  }();
  (void)scripted;
  KEYCONFIGDATA config;
  if (!ReadKeyConfig(std::span(data, size), "KeyConfig.dat", config)) return 0;
  KeyConfig = config;
  cKeyInput input;
  input.ResetJoyButtonMap();
  for (int frame = 0; frame < 3; ++frame) {
    input.PollInputByConfig(1, 60);
    input.PollInput(0, 3, 60);
  }
  return 0;
}
