#pragma once
// Scripted input for the input tests: the script replaces the keyboard and
// joysticks for the test's duration; afterwards nothing is held.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/input/Input.h"

class ScriptedInput {
 public:
  explicit ScriptedInput(std::string_view text) {
    std::string error;
    auto script = platform::InputScript::Parse(text, error);
    EXPECT_TRUE(script) << error;
    platform::SetInputScriptForTesting(std::move(script));
  }
  ~ScriptedInput() { platform::SetInputScriptForTesting(platform::InputScript{}); }
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;
};
