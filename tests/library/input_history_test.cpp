#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "input_scripted.h"
#include "library/input/KeyConfig.h"
#include "library/input/KeyInput.h"

namespace {

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDefaultKeyConfig(KeyConfig);
    KeyInputList.assign(1, cKeyInput{});
    In().SetKeyRepeat(18, 6);
  }
  void TearDown() override { KeyConfig = {}; }
  static cKeyInput& In() { return KeyInputList[0]; }
};

struct RepeatCase {
  const char* name;
  const char* script;
  DWORD delay;
  DWORD interval;
  int frames;
  std::map<int, WORD> passed;  // frame -> direction word after repeat; every other frame reads 0
};

TEST_F(HistoryTest, KeyRepeatPassesHeldDirectionsAtTheRepeatRate) {
  const RepeatCase cases[] = {
      {"held 40 frames", "40 RIGHT", 18, 6, 40, {{0, 2}, {18, 2}, {24, 2}, {30, 2}, {36, 2}}},
      {"axes repeat independently", "10 RIGHT\n1 RIGHT UP\n9 RIGHT", 18, 6, 20, {{0, 2}, {10, 4}, {18, 2}}},
      {"release or turn passes at once", "5 RIGHT\n1\n2 RIGHT\n2 LEFT", 18, 6, 10, {{0, 2}, {6, 2}, {8, 1}}},
      {"both keys of an axis are one state", "3 UP DOWN\n1 UP", 18, 6, 4, {{0, 12}, {3, 4}}},
      {"interval 0 repeats every frame after the delay", "6 DOWN", 3, 0, 6, {{0, 8}, {3, 8}, {4, 8}, {5, 8}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KeyInputList.assign(1, cKeyInput{});
    In().SetKeyRepeat(c.delay, c.interval);
    ScriptedInput script(c.script);
    for (int frame = 0; frame < c.frames; ++frame) {
      ReadInputDevices(KeyInputList);
      int number = In().m_nDirNumber;
      In().ApplyKeyRepeat();
      auto it = c.passed.find(frame);
      EXPECT_EQ(In().m_wDir, it == c.passed.end() ? 0 : it->second) << "frame " << frame;
      EXPECT_EQ(In().m_nDirNumber, number) << "the number is not repeated";
    }
  }
}

TEST_F(HistoryTest, ShiftRegisterKeepsTheRawDirectionsOfFourFrames) {
  ScriptedInput script("1 LEFT\n1 UP\n1 RIGHT DOWN\n1\n1 DOWN");
  for (int frame = 0; frame < 5; ++frame) {
    ReadInputDevices(KeyInputList);
    In().ApplyKeyRepeat();
  }
  EXPECT_EQ(In().m_wDirShift, 0x4A08);
}

struct LatchCase {
  const char* name;
  const char* script;
  WORD mask;
  std::vector<WORD> buttons;  // the button word after the latch, frame by frame
};

TEST_F(HistoryTest, LatchLetsOnePressPassUntilEveryMaskedButtonIsReleased) {
  const LatchCase cases[] = {
      {"mask 3", "1 Z C\n1 Z X\n1 X C\n1 C\n1 X\n1\n1 Z", 3, {5, 0, 4, 4, 2, 0, 1}},
      {"mask 0 is all eight", "1 C\n1 C F\n1\n1 F", 0, {4, 0, 0, 0x80}},
      {"mask 15 ignores 5 to 8", "2 A\n1 Z A", 15, {0x10, 0x10, 0x11}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KeyInputList.assign(1, cKeyInput{});
    ScriptedInput script(c.script);
    std::vector<WORD> seen;
    for (size_t frame = 0; frame < c.buttons.size(); ++frame) {
      ReadInputDevices(KeyInputList);
      In().LatchButtons(c.mask);
      seen.push_back(In().m_wButton);
    }
    EXPECT_EQ(seen, c.buttons);
  }
}

TEST_F(HistoryTest, ClearsSetTheNeutralState) {
  In().m_wDir = 9;
  In().m_nDirNumber = 7;
  In().m_wButton = 3;
  In().ClearDirInput();
  In().ClearButtonInput();
  EXPECT_EQ(In().m_wDir, 0);
  EXPECT_EQ(In().m_nDirNumber, 5);
  EXPECT_EQ(In().m_wButton, 0);
}

TEST_F(HistoryTest, PastInputReadsTheWordOfNFramesAgo) {
  ScriptedInput script("5 LEFT C\n3 UP\n");
  In().ClearInputHistory();
  for (int frame = 0; frame < 8; ++frame) {
    ReadInputDevices(KeyInputList);
    In().RecordInputHistory();
  }
  // n: 0..2 the newest value, 3..7 the older one, 8 and on beyond the record: the newest again.
  const std::pair<int, WORD> dirs[] = {{0, 4}, {2, 4}, {3, 1}, {4, 1}, {7, 1}, {8, 4}, {1000, 4}, {INT_MAX, 4}};
  for (auto [n, word] : dirs) EXPECT_EQ(In().GetPastInput(0, n), word) << n;
  const std::pair<int, WORD> buttons[] = {{0, 0}, {2, 0}, {3, 4}, {7, 4}, {8, 0}};
  for (auto [n, word] : buttons) EXPECT_EQ(In().GetPastInput(1, n), word) << n;
  EXPECT_EQ(In().m_nDirHistoryPos, 2);
  EXPECT_EQ(In().m_DirHistory[1].nFrames, 5);
}

TEST_F(HistoryTest, HistoryRingKeepsTheLast32ValuesAndStopsCountingAtIntMax) {
  for (int frame = 0; frame < 40; ++frame) {
    In().m_wDir = static_cast<WORD>(frame);
    In().RecordInputHistory();
  }
  EXPECT_EQ(In().GetPastInput(0, 0), 39);
  EXPECT_EQ(In().GetPastInput(0, 31), 8);
  EXPECT_EQ(In().GetPastInput(0, 32), 39) << "beyond the ring: the newest";
  In().m_DirHistory[In().m_nDirHistoryPos].nFrames = INT_MAX - 1;
  In().RecordInputHistory();
  In().RecordInputHistory();
  EXPECT_EQ(In().m_DirHistory[In().m_nDirHistoryPos].nFrames, INT_MAX);
  In().ClearInputHistory();
  EXPECT_EQ(In().m_nDirHistoryPos, 0);
  EXPECT_EQ(In().m_DirHistory[5].wValue, 0);
}

void ExpectAllTimelinesTrimmed(const cKeyInput& in) {
  for (int key = 0; key < kKeyTimelineCount; ++key)
    for (int run = 0; run < kKeyTimelineRuns; ++run)
      ASSERT_EQ(in.KeyTimeline(key)[run], (KEYRUN{0, 0})) << "key " << key << " run " << run;
}

TEST_F(HistoryTest, NineteenKeyTimelinesFrameByFrame) {
  ExpectAllTimelinesTrimmed(In());
  ScriptedInput script(R"(
    2
    2 LEFT
    1 LEFT UP Z
    1 UP X Z
    1 RIGHT DOWN
  )");
  // Keys pressed now (newest run state 1), frame by frame: keys 0..9 are the
  // direction timelines (none, L, R, U, D, UL, DL, UR, DR, any), 10..18 the buttons (none, 1..8).
  const std::vector<std::vector<int>> pressed = {
      {0, 10}, {0, 10}, {1, 9, 10}, {1, 9, 10}, {5, 9, 11}, {3, 9, 11, 12}, {8, 9, 10},
  };
  for (size_t frame = 0; frame < pressed.size(); ++frame) {
    ReadInputDevices(KeyInputList);
    In().RecordKeyTimelines();
    std::vector<int> now;
    for (int key = 0; key < kKeyTimelineCount; ++key)
      if (In().KeyTimeline(key)[0].nState) now.push_back(key);
    EXPECT_EQ(now, pressed[frame]) << "frame " << frame;
  }
  const std::map<int, std::vector<KEYRUN>> runs = {
      {0, {{0, 5}, {1, 2}, {0, 0}}},          {1, {{0, 3}, {1, 2}, {0, 2}, {0, 0}}},  {9, {{1, 5}, {0, 2}, {0, 0}}},
      {10, {{1, 1}, {0, 2}, {1, 4}, {0, 0}}}, {11, {{0, 1}, {1, 2}, {0, 4}, {0, 0}}}, {18, {{0, 7}, {0, 0}}},
  };
  for (const auto& [key, expected] : runs)
    for (size_t run = 0; run < expected.size(); ++run)
      EXPECT_EQ(In().KeyTimeline(key)[static_cast<int>(run)], expected[run]) << "key " << key << " run " << run;
  In().TrimKeyTimelines();
  ExpectAllTimelinesTrimmed(In());
}

TEST_F(HistoryTest, TimelineKeepsExactly32RunsDroppingTheOldest) {
  cKeyTimeline timeline;
  for (int frame = 0; frame < 40; ++frame) RecordKeyTimeline(timeline, static_cast<WORD>(frame & 1), 1, true);
  // Run 0 is frame 39 (pressed); run 31 is frame 8; the 8 oldest frames and the starting run are gone.
  for (int run = 0; run < kKeyTimelineRuns; ++run) EXPECT_EQ(timeline[run], (KEYRUN{(run & 1) ? 0 : 1, 1})) << run;
}

TEST_F(HistoryTest, EqualityAndBitTestsDiffer) {
  cKeyTimeline equal;
  cKeyTimeline bits;
  RecordKeyTimeline(equal, 5, 1, false);
  RecordKeyTimeline(bits, 5, 1, true);
  EXPECT_EQ(equal[0], (KEYRUN{0, 1}));
  EXPECT_EQ(bits[0], (KEYRUN{1, 1}));
}

}  // namespace
