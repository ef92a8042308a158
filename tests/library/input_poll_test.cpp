#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input_scripted.h"
#include "library/input/KeyConfig.h"
#include "library/input/KeyInput.h"

namespace {

struct Words {
  WORD dir;
  WORD button;
  int number;
  bool operator==(const Words&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Words& w) {
  return out << "{dir " << w.dir << ", button " << w.button << ", number " << w.number << "}";
}

class PollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDefaultKeyConfig(KeyConfig);
    KeyInputList.assign(1, cKeyInput{});
    KeyInputList[0].ResetJoyButtonMap();
  }
  void TearDown() override { KeyConfig = {}; }

  // Runs one frame's input read per script step and collects the words.
  static std::vector<Words> Frames(int count) {
    std::vector<Words> frames;
    for (int i = 0; i < count; ++i) {
      ReadInputDevices(KeyInputList);
      const cKeyInput& in = KeyInputList[0];
      frames.push_back({in.m_wDir, in.m_wButton, in.m_nDirNumber});
    }
    return frames;
  }
};

TEST_F(PollTest, FixedMappingReadsArrowsAndZxcvasdf) {
  ScriptedInput script(R"(
    1 LEFT Z
    1 RIGHT UP X F
    1 DOWN LEFT C V A S D
    1 LEFT RIGHT          # both keys of an axis: both bits, number 5
    1 UP DOWN
    1
  )");
  std::vector<Words> expected = {
      {1, 0x01, 4}, {6, 0x82, 3}, {9, 0x7C, 7}, {3, 0, 5}, {12, 0, 5}, {0, 0, 5},
  };
  EXPECT_EQ(Frames(6), expected);
}

TEST_F(PollTest, JoystickDirectionHidesKeyboardDirectionsAndButtonsHideKeyboardButtons) {
  ScriptedInput script(R"(
    1 LEFT Z joy0=65535,0,0        # joystick up-right wins, keyboard Z still counts
    1 LEFT Z joy0=32768,32768,0x2  # neutral stick: keyboard direction; joystick button 2 hides Z
    1 LEFT Z joy0=32768,32768,0    # neutral and no button: the keyboard in charge
    1 joy0=10000,55535,0x101       # thresholds are inclusive; button 9 maps to nothing
    1 joy0=10001,55534,0
  )");
  std::vector<Words> expected = {
      {6, 1, 3}, {1, 2, 4}, {1, 1, 4}, {9, 1, 7}, {0, 0, 5},
  };
  EXPECT_EQ(Frames(5), expected);
}

TEST_F(PollTest, JoystickButtonMapDecidesWhichGameButtonAJoystickButtonDrives) {
  ScriptedInput script("3 joy0=32768,32768,0x8\n");
  KeyInputList[0].m_JoyButtonMap[0] = 0x8;
  KeyInputList[0].m_JoyButtonMap[3] = 0;
  EXPECT_EQ(Frames(1)[0].button, 1);
  KeyInputList[0].ResetJoyButtonMap();
  EXPECT_EQ(Frames(1)[0].button, 8);
}

TEST_F(PollTest, MissingJoystickIsTriedAgainEvery121Frames) {
  // Absent on the first frame, present with button 1 from then on.
  ScriptedInput script("1\n400 joy0=32768,32768,1\n");
  std::vector<int> joystickFrames;
  auto frames = Frames(300);
  for (int i = 0; i < 300; ++i)
    if (frames[i].button) joystickFrames.push_back(i);
  ASSERT_FALSE(joystickFrames.empty());
  EXPECT_EQ(joystickFrames.front(), 121);
  EXPECT_EQ(joystickFrames.size(), 300u - 121u);
  EXPECT_EQ(KeyInputList[0].m_bJoyOk, 1);
}

TEST_F(PollTest, FixedPollOnlyServesModeZeroAndConfiguredOnlyTheOthers) {
  ScriptedInput script("5 LEFT Z\n");
  cKeyInput& in = KeyInputList[0];
  in.m_wDir = 0x40;
  KeyConfig.nMode = 1;
  platform::AdvanceInputStep();
  EXPECT_EQ(in.PollInput(0, 3, 60), 0);
  EXPECT_EQ(in.m_wDir, 0x40);
  KeyConfig.nMode = 0;
  EXPECT_EQ(in.PollInputByConfig(1, 60), 0);
  EXPECT_EQ(in.m_wDir, 0x40);
  EXPECT_EQ(in.PollInput(0, POLL_JOYSTICK, 60), 1);  // no keyboard flag: the words stay
  EXPECT_EQ(in.m_wDir, 0x40);
  EXPECT_EQ(in.PollInput(0, POLL_KEYBOARD, 60), 1);
  EXPECT_EQ(in.m_wDir, KEYBIT_LEFT);
}

class ConfiguredPollTest : public PollTest {
 protected:
  void SetUp() override {
    PollTest::SetUp();
    // Directions: left on joystick 0's axis, right on L, up on I, down on joystick 1's axis;
    // buttons: J, joystick 1 button mask 4, then K and M.
    KeyConfig = {
        {{0, JOYAXIS_LEFT}, {8, 'L'}, {8, 'I'}, {1, JOYAXIS_DOWN}, {8, 'J'}, {1, 0x4}, {8, 'K'}, {8, 'M'}}, 8, 2, 1};
  }
};

TEST_F(ConfiguredPollTest, ReadsEveryAssignmentFromItsDevice) {
  ScriptedInput script(R"(
    1 L I J K M joy0=32768,32768,0 joy1=32768,32768,0
    1 L joy0=0,32768,0 joy1=32768,65535,4   # left wins over right; joystick button mask
    1 joy0=32768,32768,0x100 joy1=32768,32768,0x800  # axis codes also test the buttons
    1 Z X LEFT UP                           # the fixed keys mean nothing here
  )");
  std::vector<Words> expected = {
      {6, 0x0D, 3},
      {9, 0x02, 7},
      {9, 0, 7},
      {0, 0, 5},
  };
  EXPECT_EQ(Frames(4), expected);
}

TEST_F(ConfiguredPollTest, KeyCountLimitsTheButtons) {
  ScriptedInput script("2 J K M joy0=32768,32768,0 joy1=0,0,4\n");
  KeyConfig.nKeyCount = 6;
  EXPECT_EQ(Frames(1)[0].button, 0x03);
  KeyConfig.nKeyCount = 4;
  EXPECT_EQ(Frames(1)[0].button, 0);
}

TEST_F(ConfiguredPollTest, OutOfRangeValuesNeverReadPastTheTables) {
  ScriptedInput script("1 J K M L I joy0=0,0,0xFFFF joy1=0,0,0xFFFF joy9=0,0,0xFFFF\n");
  KeyConfig.nKeyCount = 1000;
  KeyConfig.nJoyCount = -5;                            // no joystick is read
  KeyConfig.Key[2] = {KEYDEVICE_KEYBOARD, 0xFFFF, 0};  // no such virtual key
  KeyConfig.Key[11] = {9, 0xFFFF, 0};                  // no such device
  KeyConfig.Key[10] = {-2147483647 - 1, 0xFFFF, 0};
  EXPECT_EQ(Frames(1)[0], (Words{KEYBIT_RIGHT, 0x0D, 6}));
}

TEST(DirectionNumberTest, LeftWinsOverRightAndUpOverDown) {
  const std::pair<WORD, int> cases[] = {{0, 5}, {1, 4}, {2, 6}, {3, 4},  {4, 2},  {8, 8},   {12, 2},
                                        {5, 1}, {6, 3}, {9, 7}, {10, 9}, {15, 1}, {0xF0, 5}};
  for (auto [dir, number] : cases) EXPECT_EQ(DirBitsToNumber(dir), number) << dir;
}

TEST(JoyAxisTest, AxisCodesTestTheirThresholdsAndNothingElse) {
  JOYINFOEX joy;
  joy.dwXpos = 10000;
  joy.dwYpos = 55535;
  EXPECT_TRUE(CheckJoyAxis(joy, JOYAXIS_LEFT));
  EXPECT_FALSE(CheckJoyAxis(joy, JOYAXIS_RIGHT));
  EXPECT_FALSE(CheckJoyAxis(joy, JOYAXIS_UP));
  EXPECT_TRUE(CheckJoyAxis(joy, JOYAXIS_DOWN));
  EXPECT_FALSE(CheckJoyAxis(joy, JOYAXIS_LEFT | JOYAXIS_DOWN));
  EXPECT_FALSE(CheckJoyAxis(joy, 0));
}

}  // namespace
