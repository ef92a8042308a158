#pragma once
// The test harness's environment variables, read once, in this one place.
// None of them changes what the player does when it is not set.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct HarnessSettings {
  bool headless = false;           // ZANDREL_HEADLESS=1
  std::optional<long> frameLimit;  // ZANDREL_FRAMES=N
  bool fastClock = false;          // ZANDREL_FAST=1
  std::string inputScript;         // ZANDREL_INPUT=FILE
  std::string answerScript;        // ZANDREL_ANSWERS=FILE
  std::optional<long> shotFrame;   // ZANDREL_SHOT=N:FILE
  std::string shotFile;
  std::optional<long> windowShotFrame;  // ZANDREL_WINDOW_SHOT=N:FILE
  std::string windowShotFile;
  std::string frameLog;            // ZANDREL_FRAME_LOG=FILE
  std::string trace;               // ZANDREL_TRACE=FILE
  std::string failStep;            // ZANDREL_FAIL=STEP
  std::string runtimeDir;          // ZANDREL_RUNTIME_DIR, else $XDG_RUNTIME_DIR, else "" (RuntimeFolder)
  std::optional<int> showCommand;  // ZANDREL_SHOW=N
  std::string soundFont;           // ZANDREL_SOUNDFONT=FILE (MIDI music)
};

// Parses a settings block from a lookup of variable names (tests pass their
// own); an unset variable looks up as "".
HarnessSettings ParseHarnessSettings(const std::function<std::string(const char* name)>& lookup);

const HarnessSettings& Harness();
// Tests replace the settings for their own duration.
void SetHarnessForTesting(const HarnessSettings& settings);

// True when ZANDREL_FAIL names this start-up step.
bool FailureInjected(std::string_view step);

}  // namespace platform
