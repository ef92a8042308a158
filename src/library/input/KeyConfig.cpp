#include "library/input/KeyConfig.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "library/util/Log.h"
#include "platform/HostPath.h"
#include "platform/input/VirtualKeys.h"

KEYCONFIGDATA KeyConfig;

namespace {

std::int32_t ReadInt32(std::span<const BYTE> bytes, size_t offset) {
  return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                   static_cast<DWORD>(bytes[offset + 3]) << 24);
}

WORD ReadWord(std::span<const BYTE> bytes, size_t offset) {
  return static_cast<WORD>(bytes[offset] | bytes[offset + 1] << 8);
}

void LogBadEntry(std::string_view name, size_t offset, const char* what, long value) {
  ReportLog("%.*s: offset %zu: %s %ld out of range, never used", static_cast<int>(name.size()), name.data(), offset,
            what, value);
}

// Values outside their ranges are kept, as read, and logged: the poll bounds
// every one of them, so such an entry simply never reads as down.
void ReportOutOfRange(const KEYCONFIGDATA& config, std::string_view name) {
  if (config.nKeyCount < 0 || config.nKeyCount > kKeyAssignCount) LogBadEntry(name, 96, "key count", config.nKeyCount);
  if (config.nJoyCount < 0 || config.nJoyCount > kMaxKeyJoysticks)
    LogBadEntry(name, 100, "joystick count", config.nJoyCount);
  int inUse = std::clamp(config.nKeyCount, 4, kKeyAssignCount);
  for (int i = 0; i < inUse; ++i) {
    const KEYASSIGNDATA& key = config.Key[i];
    size_t offset = static_cast<size_t>(i) * 8;
    if (key.nDevice == KEYDEVICE_KEYBOARD) {
      if (key.wCode >= kVirtualKeyCount) LogBadEntry(name, offset + 4, "virtual key", key.wCode);
    } else if (key.nDevice < 0 || key.nDevice >= std::min(config.nJoyCount, kMaxKeyJoysticks)) {
      LogBadEntry(name, offset, "device", key.nDevice);
    }
  }
}

void PutInt32(std::span<BYTE> bytes, size_t offset, std::int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(static_cast<DWORD>(value) >> (8 * i));
}

// The configuration as the file stores it, so that a short file can overwrite
// just the bytes it holds.
std::array<BYTE, kKeyConfigFileSize> FileImage(const KEYCONFIGDATA& config) {
  std::array<BYTE, kKeyConfigFileSize> bytes{};
  for (int i = 0; i < kKeyAssignCount; ++i) {
    size_t offset = static_cast<size_t>(i) * 8;
    PutInt32(bytes, offset, config.Key[i].nDevice);
    PutInt32(bytes, offset + 4, config.Key[i].wCode | config.Key[i].wUnused << 16);
  }
  PutInt32(bytes, 96, config.nKeyCount);
  PutInt32(bytes, 100, config.nJoyCount);
  PutInt32(bytes, 104, config.nMode);
  return bytes;
}

}  // namespace

int ReadKeyConfig(std::span<const BYTE> file, std::string_view name, KEYCONFIGDATA& config) {
  // A shorter file fills only the bytes it has; the rest keep their values.
  std::array<BYTE, kKeyConfigFileSize> bytes = FileImage(config);
  std::copy_n(file.begin(), std::min(file.size(), bytes.size()), bytes.begin());
  for (int i = 0; i < kKeyAssignCount; ++i) {
    size_t offset = static_cast<size_t>(i) * 8;
    config.Key[i] = {ReadInt32(bytes, offset), ReadWord(bytes, offset + 4), ReadWord(bytes, offset + 6)};
  }
  config.nKeyCount = ReadInt32(bytes, 96);
  config.nJoyCount = ReadInt32(bytes, 100);
  config.nMode = ReadInt32(bytes, 104);
  ReportOutOfRange(config, name);
  return 1;
}

int LoadKeyConfig(std::string_view path, KEYCONFIGDATA& config) {
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(platform::OpenFile(path, "rb"), &std::fclose);
  if (!file) return 0;
  std::array<BYTE, kKeyConfigFileSize> bytes;
  size_t read = std::fread(bytes.data(), 1, bytes.size(), file.get());
  return ReadKeyConfig(std::span(bytes.data(), read), path, config);
}

void SetDefaultKeyConfig(KEYCONFIGDATA& config) {
  static constexpr WORD kDefaultKeys[kKeyAssignCount] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'Z', 'X',
                                                         'C',     'V',      'A',   'S',     'D', 'F'};
  for (int i = 0; i < kKeyAssignCount; ++i) config.Key[i] = {KEYDEVICE_KEYBOARD, kDefaultKeys[i], 0};
  config.nKeyCount = kKeyAssignCount;
  config.nJoyCount = 1;
  config.nMode = 0;
}
