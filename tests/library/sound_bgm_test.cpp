#include <gtest/gtest.h>

#include "library/sound/Bgm.h"
#include "library/sound/Sound.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/Harness.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio_fixtures.h"
#include "support/TempDir.h"

using namespace audiotest;

namespace {

class BgmTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  std::shared_ptr<platform::audio::RecordingSynth> synth = std::make_shared<platform::audio::RecordingSynth>();
  std::array<std::string, 5> ogg = DefaultBgmOgg, midi = DefaultBgmMid;
  cBgmPlayer player;

  void SetUp() override {
    platform::HarnessSettings settings;
    settings.headless = true;
    settings.trace = (dir / "trace.txt").string();
    platform::SetHarnessForTesting(settings);
    platform::audio::SetStreamSynthForTesting(synth);
    ASSERT_EQ(ReportInit("Report_Game.txt"), 1);
    dir.Write("bgm/Title.ogg", EncodeOgg(44100, 1, 4410));
    dir.Write("bgm/Stage.mid", Smf(0, 1, 96, Track(Bytes({0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0}))));
    dir.Write("bgm/Odd.xyz", "neither");
  }
  void TearDown() override {
    player.UnInit();
    platform::audio::SetStreamSynthForTesting(nullptr);
    platform::SetHarnessForTesting({});
  }
  std::string Trace() { return dir.Read("trace.txt"); }
};

TEST_F(BgmTest, FileNamesDecideTheEntryType) {
  EXPECT_EQ(player.SetBgmFile(0, "x.ogg"), 1) << "off: nothing changes";
  ASSERT_EQ(player.Init(1, ogg, midi, 5), 1);
  struct Case {
    std::string path;
    int result, type;
    std::string oggName, midiName;
  } cases[] = {
      {"bgm\\Title.xyz", 0, BGMTYPE_NONE, "bgm\\Title.xyz", "bgm\\Title.xyz"},
      {"a.MID", 1, BGMTYPE_MID, "bgm\\Title.xyz", "a.mid"},
      {"b.OGG", 1, BGMTYPE_OGG, "b.OGG", "a.mid"},
      {"c.Mid", 0, BGMTYPE_NONE, "c.Mid", "c.Mid"},
      {"bgm\\noext", 0, BGMTYPE_NONE, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(player.SetBgmFile(2, c.path), c.result);
    EXPECT_EQ(player.EntryType(2), c.type);
    EXPECT_EQ(ogg[2], c.oggName);
    EXPECT_EQ(midi[2], c.midiName);
  }
}

TEST_F(BgmTest, OggFirstThenMidiForUnknownExtensions) {
  ASSERT_EQ(player.Init(1, ogg, midi, 5), 1);
  player.SetBgmFile(0, "bgm\\Odd.xyz");
  EXPECT_EQ(player.PlayBgm(0, 0, 1, 1), 0) << "not ogg, and MIDI takes only .mid";
  EXPECT_EQ(player.CurrentEntry(), -1);
  EXPECT_EQ(player.ChannelType(0), 0);
  EXPECT_NE(dir.Read("Report_Game.txt").find("Ogg bgm\\Odd.xyz: not an Ogg Vorbis file"), std::string::npos);

  ogg[1] = "bgm\\Title.ogg";  // a type 0 entry whose ogg loads: the MIDI name is never tried
  midi[1] = "bgm\\Stage.mid";
  EXPECT_EQ(player.PlayBgm(0, 1, 1, 0), 1);
  EXPECT_EQ(player.ChannelType(0), BGMTYPE_OGG);
  RenderStereo(4096);
  EXPECT_TRUE(synth->Events().empty());

  ogg[2] = "bgm\\missing.ogg";
  midi[2] = "bgm\\Stage.mid";
  EXPECT_EQ(player.PlayBgm(0, 2, 0, 0), 1);
  EXPECT_EQ(player.ChannelType(0), BGMTYPE_MID);
  RenderStereo(512);
  EXPECT_FALSE(synth->Events().empty()) << "the MIDI tune plays";
  EXPECT_EQ(Trace(),
            "music play 0 loop 1 none\nmusic play 1 loop 1 ogg bgm\\Title.ogg\n"
            "music play 2 loop 0 mid bgm\\Stage.mid\n");
}

TEST_F(BgmTest, TheCurrentEntryRestartsOnlyWhenForced) {
  ASSERT_EQ(player.Init(1, ogg, midi, 5), 1);
  player.SetBgmFile(4, "bgm\\Stage.mid");
  ASSERT_EQ(player.PlayBgm(0, 4, 0, 0), 1);
  // A tenth of a second: the note is on, and the tune (half a second) has not
  // ended, so no stop from the player's thread can come in between.
  RenderStereo(4410);
  const size_t played = synth->Events().size();
  ASSERT_EQ(played, 1u);
  EXPECT_EQ(player.PlayBgm(0, 4, 0, 0), 1);
  RenderStereo(512);
  EXPECT_EQ(synth->Events().size(), played) << "not restarted";
  EXPECT_EQ(player.PlayBgm(0, 4, 0, 1), 1);
  RenderStereo(512);
  EXPECT_GT(synth->Events().size(), played) << "forced: from the start";

  player.SetBgmFile(3, "bgm\\Gone.mid");
  EXPECT_EQ(player.PlayBgm(0, 3, 0, 0), 0);
  dir.Write("bgm/Gone.mid", dir.Read("bgm/Stage.mid"));
  EXPECT_EQ(player.PlayBgm(0, 3, 0, 0), 1) << "after a failure the same entry is tried again";
}

TEST_F(BgmTest, AnOggTuneStopsTheMidiOneAndStopEndsBoth) {
  ASSERT_EQ(player.Init(1, ogg, midi, 5), 1);
  player.SetBgmFile(4, "bgm\\Stage.mid");
  player.SetBgmFile(0, "bgm\\Title.ogg");
  player.PlayBgm(0, 4, 1, 1);
  RenderStereo(512);
  player.PlayBgm(0, 0, 1, 1);
  const size_t atSwitch = synth->Events().size();
  EXPECT_TRUE(synth->Events().back().bytes.empty()) << "the MIDI tune let its notes go";
  auto sound = RenderLeft(4096);
  EXPECT_GT(Loudest(sound, 0, 4096), 10000);
  EXPECT_EQ(synth->Events().size(), atSwitch) << "the MIDI tune stays stopped";
  player.StopBgm();
  EXPECT_EQ(Loudest(RenderLeft(1024), 0, 1024), 0);
  EXPECT_NE(Trace().find("music stop\n"), std::string::npos);
}

TEST_F(BgmTest, NoOggPlayerMeansNoMusicAtAll) {
  platform::HarnessSettings settings = platform::Harness();
  settings.failStep = "music";
  platform::SetHarnessForTesting(settings);
  dir.Write("EC_Game.txt", "");
  EcLogInit(1, "EC_Game.txt");
  EXPECT_EQ(player.Init(1, ogg, midi, 5), 0);
  EcLogInit(0, "EC_Game.txt");
  EXPECT_FALSE(player.IsOn());
  EXPECT_EQ(dir.Read("EC_Game.txt"), Sjis("m_Vox.Init失敗！") + "\r\n");
  EXPECT_NE(dir.Read("Report_Game.txt").find(Sjis("oggの初期化に失敗！")), std::string::npos);
  player.SetBgmFile(4, "bgm\\Stage.mid");
  EXPECT_EQ(player.PlayBgm(0, 4, 0, 1), 1);
  RenderStereo(512);
  EXPECT_TRUE(synth->Events().empty());
}

TEST_F(BgmTest, SoundRequestsAreTraced) {
  platform::audio::SetPullOnlyOutputForTesting(true);
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  dir.Write("wave/a.wav", Wave16(1, 44100, {1, 2}));
  SoundList.resize(4);
  auto definitions = MakeSoundDefList(std::vector<std::string>(17, "wave/a.wav"), std::vector<std::string>{});
  DS_LoadSounds(SoundList, definitions, 0);
  DS_PlayCursorSe(4, 2, 3);
  DS_UnInit();
  SoundList.clear();
  EXPECT_EQ(Trace(), "sound 3\n");
}

}  // namespace
