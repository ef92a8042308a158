#include "platform/Harness.h"

#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::optional<long> ParseLong(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

HarnessSettings FromEnvironment() {
  return ParseHarnessSettings([](const char* name) -> std::string {
    const char* value = std::getenv(name);
    return value ? value : "";
  });
}

std::mutex settingsMutex;
std::optional<HarnessSettings> settings;

}  // namespace

HarnessSettings ParseHarnessSettings(const std::function<std::string(const char* name)>& lookup) {
  HarnessSettings s;
  s.headless = lookup("ZANDREL_HEADLESS") == "1";
  s.frameLimit = ParseLong(lookup("ZANDREL_FRAMES"));
  s.fastClock = lookup("ZANDREL_FAST") == "1";
  s.inputScript = lookup("ZANDREL_INPUT");
  s.answerScript = lookup("ZANDREL_ANSWERS");
  auto frameAndFile = [&](const char* name, std::optional<long>& frame, std::string& file) {
    std::string value = lookup(name);
    if (auto colon = value.find(':'); colon != std::string::npos) {
      frame = ParseLong(value.substr(0, colon));
      file = value.substr(colon + 1);
    }
  };
  frameAndFile("ZANDREL_SHOT", s.shotFrame, s.shotFile);
  frameAndFile("ZANDREL_WINDOW_SHOT", s.windowShotFrame, s.windowShotFile);
  s.frameLog = lookup("ZANDREL_FRAME_LOG");
  s.trace = lookup("ZANDREL_TRACE");
  s.failStep = lookup("ZANDREL_FAIL");
  s.runtimeDir = lookup("ZANDREL_RUNTIME_DIR");
  if (s.runtimeDir.empty()) s.runtimeDir = lookup("XDG_RUNTIME_DIR");
  if (auto show = ParseLong(lookup("ZANDREL_SHOW"))) s.showCommand = static_cast<int>(*show);
  s.soundFont = lookup("ZANDREL_SOUNDFONT");
  return s;
}

const HarnessSettings& Harness() {
  std::lock_guard lock(settingsMutex);
  if (!settings) settings = FromEnvironment();
  return *settings;
}

void SetHarnessForTesting(const HarnessSettings& replacement) {
  std::lock_guard lock(settingsMutex);
  settings = replacement;
}

bool FailureInjected(std::string_view step) { return !step.empty() && Harness().failStep == step; }

}  // namespace platform
