#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/input/Input.h"
#include "support/TempDir.h"

namespace {

platform::InputScript Parse(std::string_view text) {
  std::string error;
  auto script = platform::InputScript::Parse(text, error);
  EXPECT_TRUE(script) << error;
  return script.value_or(platform::InputScript{});
}

std::string ParseError(std::string_view text) {
  std::string error;
  EXPECT_FALSE(platform::InputScript::Parse(text, error)) << text;
  return error;
}

bool Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

class ScriptTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::SetInputScriptForTesting(platform::InputScript{}); }
};

TEST_F(ScriptTest, EachStepHoldsUntilTheNextInputRead) {
  platform::SetInputScriptForTesting(Parse("# menu\n2 LEFT z  # two steps\n\n1 f1 0x20\n"));
  EXPECT_FALSE(Down(VK_LEFT)) << "nothing before the first step";
  const bool left[] = {true, true, false, false, false};
  const bool f1[] = {false, false, true, false, false};
  for (int step = 0; step < 5; ++step) {
    platform::AdvanceInputStep();
    for (int read = 0; read < 3; ++read) {  // every read between two steps sees the same step
      EXPECT_EQ(Down(VK_LEFT), left[step]) << step;
      EXPECT_EQ(Down('Z'), left[step]) << step;
      EXPECT_EQ(Down(VK_F1), f1[step]) << step;
      EXPECT_EQ(Down(VK_SPACE), f1[step]) << step;
    }
  }
}

TEST_F(ScriptTest, JoysticksArePluggedOnlyOnTheLinesThatNameThem) {
  platform::SetInputScriptForTesting(Parse("1 joy0=0,65535,0x81 joy3=1,2,3\n1 joy3=5,5,0\n"));
  JOYINFOEX info;
  platform::AdvanceInputStep();
  ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 0u);
  EXPECT_EQ(info.dwYpos, 65535u);
  EXPECT_EQ(info.dwButtons, 0x81u);
  EXPECT_EQ(info.dwButtonNumber, 2u);
  EXPECT_EQ(joyGetPosEx(1, &info), JOYERR_UNPLUGGED);
  platform::AdvanceInputStep();
  EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_UNPLUGGED);
  ASSERT_EQ(joyGetPosEx(3, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 5u);
}

TEST_F(ScriptTest, GenericModifiersReadEitherSide) {
  platform::SetInputScriptForTesting(Parse("1 LSHIFT RMENU\n1 CONTROL\n"));
  platform::AdvanceInputStep();
  EXPECT_TRUE(Down(VK_SHIFT));
  EXPECT_TRUE(Down(VK_MENU));
  EXPECT_FALSE(Down(VK_RSHIFT));
  platform::AdvanceInputStep();
  EXPECT_TRUE(Down(VK_CONTROL));
  EXPECT_FALSE(Down(VK_LCONTROL)) << "a generic key holds no side";
}

TEST_F(ScriptTest, BadScriptsNameTheirLine) {
  EXPECT_EQ(ParseError("1 LEFT\n0 RIGHT\n"), "line 2: step count \"0\" is not a number from 1 to 2147483647");
  EXPECT_EQ(ParseError("LEFT\n"), "line 1: step count \"LEFT\" is not a number from 1 to 2147483647");
  EXPECT_EQ(ParseError("2147483648\n"), "line 1: step count \"2147483648\" is not a number from 1 to 2147483647");
  EXPECT_EQ(ParseError("\n\n3 KEY_THAT_IS_NOT\n"),
            "line 3: \"KEY_THAT_IS_NOT\" is neither a key name nor joyN=X,Y,BUTTONS");
  for (const char* joystick : {"joy16=0,0,0", "joy0=65536,0,0", "joy0=0,0", "joy0=0,0,0,0", "joy=1,1,1", "joy0=a,0,0"})
    EXPECT_NE(ParseError(std::string("1 ") + joystick).find("neither a key name"), std::string::npos) << joystick;
  EXPECT_NE(ParseError(std::string(platform::InputScript::kMaxBytes + 1, '\n')).find("longer than"), std::string::npos);
  std::string many;
  for (size_t i = 0; i <= platform::InputScript::kMaxLines; ++i) many += "1\n";
  EXPECT_EQ(ParseError(many), "line 65537: more than 65536 steps lines");
}

TEST_F(ScriptTest, ScriptFileIsReadAndItsErrorsNameIt) {
  testsupport::TempDir dir;
  dir.Write("input.txt", "1 UP\r\n2 DOWN\r\n");
  std::string error;
  auto script = platform::InputScript::Load((dir / "input.txt").string(), error);
  ASSERT_TRUE(script) << error;
  script->Advance();
  EXPECT_TRUE(script->Current().keys.test(VK_UP));
  dir.Write("bad.txt", "1 UP\nx\n");
  EXPECT_FALSE(platform::InputScript::Load((dir / "bad.txt").string(), error));
  EXPECT_EQ(error, (dir / "bad.txt").string() + ": line 2: step count \"x\" is not a number from 1 to 2147483647");
  EXPECT_FALSE(platform::InputScript::Load("/nonexistent/zandrel-input.txt", error));
  EXPECT_EQ(error, "/nonexistent/zandrel-input.txt: cannot be opened");
}

struct KeyCase {
  SDL_Scancode scancode;
  int vk;
};

TEST(VirtualKeyTest, ScancodeTableCoversEveryKeyThePlayerReads) {
  const KeyCase cases[] = {
      {SDL_SCANCODE_A, 'A'},
      {SDL_SCANCODE_Z, 'Z'},
      {SDL_SCANCODE_1, '1'},
      {SDL_SCANCODE_9, '9'},
      {SDL_SCANCODE_0, '0'},
      {SDL_SCANCODE_LEFT, VK_LEFT},
      {SDL_SCANCODE_UP, VK_UP},
      {SDL_SCANCODE_RIGHT, VK_RIGHT},
      {SDL_SCANCODE_DOWN, VK_DOWN},
      {SDL_SCANCODE_F1, VK_F1},
      {SDL_SCANCODE_F12, VK_F12},
      {SDL_SCANCODE_SPACE, VK_SPACE},
      {SDL_SCANCODE_RETURN, VK_RETURN},
      {SDL_SCANCODE_KP_ENTER, VK_RETURN},
      {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
      {SDL_SCANCODE_BACKSPACE, VK_BACK},
      {SDL_SCANCODE_TAB, VK_TAB},
      {SDL_SCANCODE_LSHIFT, VK_LSHIFT},
      {SDL_SCANCODE_RCTRL, VK_RCONTROL},
      {SDL_SCANCODE_KP_0, VK_NUMPAD0},
      {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9},
      {SDL_SCANCODE_KP_PLUS, VK_ADD},
      {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
      {SDL_SCANCODE_DELETE, VK_DELETE},
      {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
      {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
      {SDL_SCANCODE_CAPSLOCK, 0},
      {SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::VirtualKeyFromScancode(c.scancode), c.vk) << c.scancode;
  EXPECT_EQ(platform::VirtualKeyFromScancode(-1), 0);
  EXPECT_EQ(platform::VirtualKeyFromScancode(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(platform::VirtualKeyFromMouseButton(SDL_BUTTON_LEFT), VK_LBUTTON);
  EXPECT_EQ(platform::VirtualKeyFromMouseButton(SDL_BUTTON_MIDDLE), VK_MBUTTON);
  EXPECT_EQ(platform::VirtualKeyFromMouseButton(9), 0);
}

TEST(VirtualKeyTest, NamesAndCodes) {
  const std::pair<const char*, int> names[] = {
      {"left", VK_LEFT},    {"Z", 'Z'},         {"7", '7'},    {"F10", VK_F10},         {"numpad3", VK_NUMPAD0 + 3},
      {"ENTER", VK_RETURN}, {"esc", VK_ESCAPE}, {"0x5a", 'Z'}, {"LBUTTON", VK_LBUTTON}, {"oem_minus", VK_OEM_MINUS},
  };
  for (auto [name, vk] : names) EXPECT_EQ(platform::VirtualKeyFromName(name), vk) << name;
  for (const char* bad : {"", "F0", "F13", "NUMPAD10", "0x100", "0x0", "0x", "LEFTY", "!"})
    EXPECT_FALSE(platform::VirtualKeyFromName(bad)) << bad;
}

}  // namespace
