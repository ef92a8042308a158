#include <gtest/gtest.h>

#include "library/sound/Sound.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Clock.h"
#include "platform/Harness.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio_fixtures.h"
#include "support/TempDir.h"

using namespace audiotest;

namespace {

class SoundEffects : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override {
    platform::audio::SetPullOnlyOutputForTesting(true);
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    dir.Write("EC_Game.txt", "");  // the second log is made once per process
    EcLogInit(1, "EC_Game.txt");
    dir.Write("wave/ramp.wav", Wave16(1, platform::audio::kMixRate, {100, 200, 300, 400}));
    dir.Write("wave/float.wav", Riff(FormatChunk(3, 1, 8000, 32) + Chunk("data", "abcd")));
  }
  void TearDown() override {
    DS_UnInit();
    SoundList.clear();
    EcLogInit(0, "EC_Game.txt");
    platform::SetHarnessForTesting({});
  }
  cCheckedVector<SOUNDDEFDATA> Definitions(std::initializer_list<SOUNDDEFDATA> list) { return {list}; }
};

TEST_F(SoundEffects, CopiesPlayInTurnEachFromTheStart) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA sound;
  ASSERT_TRUE(DS_CreateSound(sound, "wave\\RAMP.wav", 3, 0));
  EXPECT_EQ(sound.count, 3);
  EXPECT_EQ(sound.name, "wave\\RAMP.wav");
  for (int i = 0; i < 3; ++i) DS_Play(sound, 0);
  EXPECT_EQ(RenderLeft(2), (std::vector<std::int16_t>{300, 600}));
  DS_Play(sound, 0);  // copy 0 again, restarted; copies 1 and 2 run on
  EXPECT_EQ(sound.next, 1);
  EXPECT_EQ(RenderLeft(3), (std::vector<std::int16_t>{100 + 600, 200 + 800, 300}));
}

TEST_F(SoundEffects, VolumeIsClampedAndRelativeAddsTheCurrent) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA sound;
  ASSERT_TRUE(DS_CreateSound(sound, "wave/ramp.wav", 2, -9800));
  EXPECT_EQ(DS_GetVolume(sound, 1), -9800);
  EXPECT_EQ(DS_SetVolume(sound, 0, -500, 1), -10000);
  EXPECT_EQ(DS_GetVolume(sound, 0), -10000);
  EXPECT_EQ(DS_SetVolume(sound, 0, 200, 0), 0);
  EXPECT_EQ(DS_GetVolume(sound, 0), 0);
  EXPECT_EQ(DS_SetVolume(sound, 2, -100, 0), 0) << "no such copy";
  EXPECT_EQ(DS_GetVolume(sound, -1), 0);
}

TEST_F(SoundEffects, MasterVolumeOverridesEachSoundsOwn) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  auto definitions = Definitions({{"wave/ramp.wav", 1, -700, 1}, {"wave/ramp.wav", 2, 0, 1}});
  cCheckedVector<SOUNDDATA> sounds(2);
  EXPECT_EQ(DS_LoadSounds(sounds, definitions, -3000), 1);
  EXPECT_EQ(DS_GetVolume(sounds[0], 0), -3000);
  EXPECT_EQ(DS_GetVolume(sounds[1], 1), -3000);

  cCheckedVector<SOUNDDATA> own(2);
  DS_LoadSounds(own, definitions, 0);
  EXPECT_EQ(DS_GetVolume(own[0], 0), -700);
  EXPECT_EQ(DS_GetVolume(own[1], 0), 0);
  DS_UnInit();  // while the remembered table still exists
}

TEST_F(SoundEffects, LoadingAgainSkipsLoadedSoundsAndFailuresLeaveNothing) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  auto definitions = Definitions({{"wave/ramp.wav", 2, 0, 1},
                                  {"wave/missing.wav", 3, 0, 1},
                                  {"wave/float.wav", 1, 0, 1},
                                  {"wave/ramp.wav", 0, 0, 1}});
  SoundList.resize(4);
  DS_LoadSounds(SoundList, definitions, 0);
  const platform::audio::SoundBuffer* first = SoundList[0].buffers[0].get();
  EXPECT_TRUE(SoundList[1].buffers.empty());
  EXPECT_EQ(SoundList[1].count, 0);
  EXPECT_TRUE(SoundList[2].buffers.empty());
  EXPECT_EQ(SoundList[3].count, 1) << "a definition without copies still gets one";
  DS_Play(SoundList[1], 0);  // not loaded: nothing

  DS_LoadSounds(SoundList, definitions, 0);
  EXPECT_EQ(SoundList[0].buffers[0].get(), first);

  std::string ec = dir.Read("EC_Game.txt");
  EXPECT_NE(ec.find("wave/missing.wav" + Sjis("読み込み失敗！") + "\r\n"), std::string::npos);
  EXPECT_NE(ec.find("wave/float.wav" + Sjis("読み込み失敗！") + "\r\n"), std::string::npos);
  EXPECT_NE(dir.Read("Report_Game.txt").find("WAVE wave/float.wav: offset 12: not PCM (format tag 3)\r\n"),
            std::string::npos);
}

TEST_F(SoundEffects, CursorSoundPlaysOncePerAxisAsked) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  auto definitions = Definitions({{"wave/ramp.wav", 4, 0, 1}});
  SoundList.resize(1);
  DS_LoadSounds(SoundList, definitions, 0);
  DS_PlayCursorSe(1 | 4, 3, 0);
  EXPECT_EQ(SoundList[0].next, 2);
  DS_PlayCursorSe(8, 1, 0);  // up/down while only left/right is asked
  DS_PlayCursorSe(0, 3, 0);
  EXPECT_EQ(SoundList[0].next, 2);
  EXPECT_EQ(RenderLeft(1), (std::vector<std::int16_t>{200}));
}

TEST_F(SoundEffects, NothingRunsBeforeInitAndInjectedFailureIsReported) {
  SOUNDDATA sound;
  EXPECT_TRUE(DS_CreateSound(sound, "wave/ramp.wav", 1, 0));
  EXPECT_TRUE(sound.buffers.empty());
  EXPECT_EQ(DS_GetVolume(sound, 0), 0);

  platform::HarnessSettings settings;
  settings.failStep = "sound";
  platform::SetHarnessForTesting(settings);
  EXPECT_FALSE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_EQ(dir.Read("EC_Game.txt"), "DIRECTSOUNDCREATE_ERR!\r\n");
}

TEST_F(SoundEffects, NoDeviceIsNoFailure) {
  platform::audio::SetPullOnlyOutputForTesting(false);
  platform::HarnessSettings settings;
  settings.headless = true;
  platform::SetHarnessForTesting(settings);
  EXPECT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA sound;
  ASSERT_TRUE(DS_CreateSound(sound, "wave/ramp.wav", 1, 0));
  DS_Play(sound, 0);
  // The silent output pulls the mix on its own: the short sound ends unheard.
  for (int i = 0; i < 500 && sound.buffers[0]->IsPlaying(); ++i) Sleep(2);
  EXPECT_FALSE(sound.buffers[0]->IsPlaying());
  DS_FreeSound(sound);
}

TEST(SoundTable, SystemSoundsThenDatabaseSoundsFromEntryOne) {
  std::vector<std::string> system(17);
  system[0] = "wave/ok.wav";
  system[16] = "wave/last.wav";
  auto none = MakeSoundDefList(system, std::vector<std::string>{});
  EXPECT_EQ(none.size(), 17u);
  auto onlyNone = MakeSoundDefList(system, std::vector<std::string>{"unused"});
  EXPECT_EQ(onlyNone.size(), 17u);
  auto table = MakeSoundDefList(std::span(system).first(3), std::vector<std::string>{"unused", "a.wav", "b.wav"});
  ASSERT_EQ(table.size(), 19u);
  EXPECT_EQ(table[0].file, "wave/ok.wav");
  EXPECT_EQ(table[16].file, "");
  EXPECT_EQ(table[17].file, "a.wav");
  EXPECT_EQ(table[18].file, "b.wav");
  EXPECT_EQ(table[18].copies, 1);
  EXPECT_EQ(table[18].volume, 0);
}

}  // namespace
