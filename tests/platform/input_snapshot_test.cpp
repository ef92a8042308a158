#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <thread>

#include "platform/input/Input.h"

namespace {

// The main thread feeds SDL events through the dummy drivers; the reads run
// on another thread, as the game thread reads the snapshot.
class SnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    events.emplace();
    platform::SetInputScriptForTesting(std::nullopt);
  }
  void TearDown() override {
    events.reset();
    SDL_Quit();
    platform::SetInputScriptForTesting(platform::InputScript{});
  }

  // The main thread's turn hands every pending SDL event to the snapshot.
  static void Pump() { platform::ServiceTurn(); }
  static void Key(SDL_Scancode scancode, bool down, bool repeat = false, Uint16 mod = KMOD_NUM) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    event.key.repeat = repeat;
    SDL_PushEvent(&event);
    Pump();
  }
  std::optional<platform::InputEvents> events;

  template <typename Read>
  static auto OnOtherThread(Read read) {
    decltype(read()) result{};
    std::thread reader([&] { result = read(); });
    reader.join();
    return result;
  }
  static bool Down(int vk) {
    return OnOtherThread([vk] { return (GetAsyncKeyState(vk) & 0x8000) != 0; });
  }
};

TEST_F(SnapshotTest, KeyEventsReadAsVirtualKeysOnAnotherThread) {
  Key(SDL_SCANCODE_LEFT, true);
  Key(SDL_SCANCODE_Z, true);
  EXPECT_TRUE(Down(VK_LEFT));
  EXPECT_TRUE(Down('Z'));
  EXPECT_FALSE(Down(VK_RIGHT));
  Key(SDL_SCANCODE_LEFT, false);
  EXPECT_FALSE(Down(VK_LEFT));
  EXPECT_TRUE(Down('Z'));
  // A repeat of a released key does not press it.
  Key(SDL_SCANCODE_Z, false);
  Key(SDL_SCANCODE_Z, true, true);
  EXPECT_FALSE(Down('Z'));
  EXPECT_FALSE(Down(0));
  EXPECT_FALSE(Down(-1));
  EXPECT_FALSE(Down(0x1FF));
}

TEST_F(SnapshotTest, KeysSharingAVirtualKeyAndSidesOfModifiers) {
  Key(SDL_SCANCODE_RETURN, true);
  Key(SDL_SCANCODE_KP_ENTER, true);
  Key(SDL_SCANCODE_RETURN, false);
  EXPECT_TRUE(Down(VK_RETURN)) << "the keypad Enter is still held";
  Key(SDL_SCANCODE_KP_ENTER, false);
  EXPECT_FALSE(Down(VK_RETURN));

  Key(SDL_SCANCODE_RSHIFT, true);
  EXPECT_TRUE(Down(VK_SHIFT));
  EXPECT_TRUE(Down(VK_RSHIFT));
  EXPECT_FALSE(Down(VK_LSHIFT));
  Key(SDL_SCANCODE_LCTRL, true);
  EXPECT_TRUE(Down(VK_CONTROL));
}

// With Num Lock off the keypad's digits are arrows and page keys, as
// Windows reads them, so the keypad moves the hero; a key held while Num
// Lock changes lets go of what it pressed.
TEST_F(SnapshotTest, KeypadFollowsNumLock) {
  const struct {
    SDL_Scancode key;
    int withNumLock, withoutNumLock;
  } cases[] = {{SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP},     {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, VK_DOWN},
               {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT},   {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},
               {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME},   {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
               {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, VK_END},    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
               {SDL_SCANCODE_KP_0, VK_NUMPAD0, VK_INSERT},     {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, VK_CLEAR},
               {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE}};
  for (const auto& c : cases) {
    Key(c.key, true, false, KMOD_NONE);
    EXPECT_TRUE(Down(c.withoutNumLock)) << c.key;
    EXPECT_FALSE(Down(c.withNumLock)) << c.key;
    Key(c.key, false, false, KMOD_NONE);
    Key(c.key, true, false, KMOD_NUM);
    EXPECT_TRUE(Down(c.withNumLock)) << c.key;
    EXPECT_FALSE(Down(c.withoutNumLock)) << c.key;
    Key(c.key, false, false, KMOD_NUM);
    EXPECT_FALSE(Down(c.withNumLock)) << c.key;
  }
  // Keys away from the keypad are the same either way.
  Key(SDL_SCANCODE_Z, true, false, KMOD_NONE);
  EXPECT_TRUE(Down('Z'));
  Key(SDL_SCANCODE_Z, false, false, KMOD_NONE);

  Key(SDL_SCANCODE_KP_6, true, false, KMOD_NONE);
  Key(SDL_SCANCODE_KP_6, false, false, KMOD_NUM);  // Num Lock switched on while held
  EXPECT_FALSE(Down(VK_RIGHT)) << "left held down";
  EXPECT_FALSE(Down(VK_NUMPAD0 + 6));
}

// A press whose key-up comes in the same batch of events (a quick tap, or a
// main thread held up) still reads as down for one input step, not more.
TEST_F(SnapshotTest, KeyTappedBetweenTwoStepsReadsAsDownForOneStep) {
  auto step = [] {
    OnOtherThread([] {
      platform::AdvanceInputStep();
      return 0;
    });
  };
  step();
  step();  // nothing left from earlier presses
  Key(SDL_SCANCODE_ESCAPE, true);
  Key(SDL_SCANCODE_ESCAPE, false);
  EXPECT_FALSE(Down(VK_ESCAPE)) << "up again before the step that reads it";
  step();
  EXPECT_TRUE(Down(VK_ESCAPE));
  EXPECT_TRUE(Down(VK_ESCAPE)) << "every read of the step sees it";
  EXPECT_FALSE(Down(VK_RETURN));
  step();
  EXPECT_FALSE(Down(VK_ESCAPE));

  // A key held across steps reads as held, and up at the step after its release.
  Key(SDL_SCANCODE_Z, true);
  step();
  step();
  EXPECT_TRUE(Down('Z'));
  Key(SDL_SCANCODE_Z, false);
  step();
  EXPECT_FALSE(Down('Z'));

  // Focus loss forgets a tap not yet read.
  Key(SDL_SCANCODE_X, true);
  Key(SDL_SCANCODE_X, false);
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&focus);
  Pump();
  step();
  EXPECT_FALSE(Down('X'));
}

TEST_F(SnapshotTest, MouseButtonsAndFocusLoss) {
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_RIGHT;
  SDL_PushEvent(&click);
  Key(SDL_SCANCODE_SPACE, true);
  EXPECT_TRUE(Down(VK_RBUTTON));
  EXPECT_TRUE(Down(VK_SPACE));
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&focus);
  Pump();
  EXPECT_FALSE(Down(VK_RBUTTON));
  EXPECT_FALSE(Down(VK_SPACE));
}

TEST_F(SnapshotTest, JoystickPositionsAndButtonsFromSdlJoystickEvents) {
  JOYINFOEX info;
  EXPECT_EQ(OnOtherThread([&] { return joyGetPosEx(0, &info); }), JOYERR_UNPLUGGED);
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  Pump();
  SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(joystick, nullptr) << "the snapshot opens a joystick when it is added";
  SDL_JoystickSetVirtualAxis(joystick, 0, -32768);
  SDL_JoystickSetVirtualAxis(joystick, 1, 32767);
  SDL_JoystickSetVirtualButton(joystick, 2, 1);
  Pump();
  ASSERT_EQ(OnOtherThread([&] { return joyGetPosEx(0, &info); }), JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 0u);
  EXPECT_EQ(info.dwYpos, 65535u);
  EXPECT_EQ(info.dwButtons, 4u);
  EXPECT_EQ(info.dwButtonNumber, 1u);
  EXPECT_EQ(joyGetPosEx(1, &info), JOYERR_UNPLUGGED);
  EXPECT_EQ(joyGetPosEx(16, &info), JOYERR_PARMS);
  EXPECT_EQ(joyGetPosEx(0, nullptr), JOYERR_PARMS);

  SDL_JoystickSetVirtualButton(joystick, 2, 0);
  SDL_JoystickSetVirtualAxis(joystick, 0, 0);
  Pump();
  ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 32768u);
  EXPECT_EQ(info.dwButtons, 0u);

  SDL_JoystickDetachVirtual(device);
  Pump();
  EXPECT_EQ(OnOtherThread([&] { return joyGetPosEx(0, &info); }), JOYERR_UNPLUGGED);
}

}  // namespace
