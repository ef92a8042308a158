#pragma once
// The key configuration, "user_data\KeyConfig.dat": 108 bytes, little-endian,
// read only. The program never writes it.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/WinTypes.h"

constexpr std::int32_t KEYDEVICE_KEYBOARD = 8;
constexpr int kMaxKeyJoysticks = 8;  // devices 0..7 are joysticks
constexpr int kKeyAssignCount = 12;  // left, right, up, down, buttons 1..8

// Joystick codes of the four directions besides the button masks.
constexpr WORD JOYAXIS_LEFT = 0x100;
constexpr WORD JOYAXIS_RIGHT = 0x200;
constexpr WORD JOYAXIS_UP = 0x400;
constexpr WORD JOYAXIS_DOWN = 0x800;

struct KEYASSIGNDATA {
  std::int32_t nDevice = 0;  // KEYDEVICE_KEYBOARD, or a joystick number
  WORD wCode = 0;            // virtual key; joystick button mask or axis code
  WORD wUnused = 0;
};

struct KEYCONFIGDATA {
  KEYASSIGNDATA Key[kKeyAssignCount];  // [0] left [1] right [2] up [3] down [4..11] buttons 1..8
  std::int32_t nKeyCount = 0;          // assignments in use, directions included
  std::int32_t nJoyCount = 0;          // joysticks 0 .. count - 1 are read
  std::int32_t nMode = 0;              // 0: the fixed mapping; else this configuration
};

constexpr size_t kKeyConfigFileSize = 108;

// The configuration of the run (zero-filled until start-up loads it).
extern KEYCONFIGDATA KeyConfig;

// 0 when the file cannot be opened (the configuration is left as it was, so
// the caller applies the defaults), else 1; a file shorter than the record
// fills only the bytes it has.
int LoadKeyConfig(std::string_view path, KEYCONFIGDATA& config);
// The same over the file's bytes; name is used in log lines.
int ReadKeyConfig(std::span<const BYTE> bytes, std::string_view name, KEYCONFIGDATA& config);
void SetDefaultKeyConfig(KEYCONFIGDATA& config);
