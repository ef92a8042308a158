#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "library/sound/Midi.h"
#include "library/util/Log.h"
#include "library/util/Text.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio_fixtures.h"
#include "support/TempDir.h"

using namespace audiotest;
using platform::audio::RecordingSynth;

namespace {

std::vector<std::uint8_t> Image(const std::string& file) { return cMidiFile::CheckMidiHeader(Bytes(file), "t.mid"); }

std::string ImageHeader(unsigned division, std::size_t trackLength) {
  return "MThd" + Be32(6) + Be16(0) + Be16(1) + Be16(division) + "MTrk" + Be32(static_cast<std::uint32_t>(trackLength));
}

std::string ImageOf(unsigned division, const std::string& events) {
  return ImageHeader(division, events.size()) + events;
}

TEST(MidiVarLen, WritesAndReadsEveryWidth) {
  struct Case {
    DWORD value;
    std::string bytes;
  } cases[] = {{0, Bytes({0x00})},
               {127, Bytes({0x7F})},
               {128, Bytes({0x81, 0x00})},
               {0x3FFF, Bytes({0xFF, 0x7F})},
               {0x4000, Bytes({0x81, 0x80, 0x00})},
               {0x1FFFFF, Bytes({0xFF, 0xFF, 0x7F})},
               {0x200000, Bytes({0x81, 0x80, 0x80, 0x00})},
               {0x0FFFFFFF, Bytes({0xFF, 0xFF, 0xFF, 0x7F})}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(WriteVarLen(out, c.value), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(out, Bytes(c.bytes));
    DWORD read = 1;
    EXPECT_EQ(ReadVarLen(out, read), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(read, c.value);
  }
  DWORD value;
  EXPECT_EQ(ReadVarLen(Bytes(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x7F})), value), 0) << "five bytes";
  EXPECT_EQ(ReadVarLen(Bytes(Bytes({0x81})), value), 0) << "cut off";
}

class MidiFileTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  void SetUp() override { ASSERT_EQ(ReportInit("Report_Game.txt"), 1); }
  std::string Log() { return dir.Read("Report_Game.txt"); }
};

TEST_F(MidiFileTest, FormatZeroGetsExplicitStatusAndKeepsMetaAndSysEx) {
  const std::string tempo = Bytes({0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
  const std::string sysex = Bytes({0xF0, 0x03, 0x7E, 0x7F, 0xF7});
  const std::string marker = Bytes({0xFF, 0x06, 0x01, 'A'});
  const std::string file = Smf(0, 1, 480,
                               Track(Bytes({0}) + tempo + Bytes({0, 0x90, 0x3C, 0x40, 0x60, 0x3E, 0x40, 0}) + sysex +
                                     Bytes({0x10}) + marker + Bytes({0x05, 0x3C, 0x00, 0, 0xC1, 0x05, 0x7F, 0x06}) +
                                     Bytes({0, 0xFF, 0x2F, 0x00}) + "ignored after the end"));
  const std::string events = Bytes({0}) + tempo + Bytes({0, 0x90, 0x3C, 0x40, 0x60, 0x90, 0x3E, 0x40, 0}) + sysex +
                             Bytes({0x10}) + marker + Bytes({5, 0x90, 0x3C, 0x00, 0, 0xC1, 0x05, 0x7F, 0xC1, 0x06}) +
                             Bytes({0, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Image(file), Bytes(ImageOf(480, events)));
}

TEST_F(MidiFileTest, FormatOneTracksMergeByTimeThenTrackNumber) {
  const std::string conductor = Track(Bytes({0, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0, 0xFF, 0x2F, 0x00}));
  const std::string first = Track(Bytes({0, 0x90, 60, 1, 10, 0x80, 60, 0, 10, 0xFF, 0x2F, 0x00}));
  const std::string second = Track(Bytes({0, 0x91, 62, 2, 5, 0x81, 62, 0, 0x30, 0xFF, 0x2F, 0x00}));
  const std::string unknown = "XFIH" + Be32(3) + "abc";
  const std::string file = Smf(1, 3, 96, conductor + unknown + first + second);
  const std::string events = Bytes({0, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0,  0x90, 60, 1,    0,    0x91, 62,
                                    2, 5,    0x81, 62,   0,    5,    0x80, 60, 0,    43, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Image(file), Bytes(ImageOf(96, events)));
}

TEST_F(MidiFileTest, RefusesDamagedFilesWithAReason) {
  const std::string good = Track(Bytes({0, 0x90, 60, 1, 0, 0xFF, 0x2F, 0x00}));
  struct Case {
    const char* name;
    std::string file;
    std::string logged;
  } cases[] = {
      {"not MThd", "RIFF" + std::string(30, '\0'), Sjis("Init 標準MIDIでない(4)")},
      {"short", "MThd", Sjis("Init 標準MIDIでない(4)")},
      {"header length 7", Smf(0, 1, 96, good).replace(7, 1, "\x07"), Sjis("Init 標準MIDIでない(6)")},
      {"no MTrk at 14", Smf(0, 1, 96, "XXXX" + Be32(0) + good), Sjis("Init 標準MIDIでない(4)")},
      {"format 2", Smf(2, 1, 96, good), Sjis("Init 対応フォーマットが2でない")},
      {"format 3", Smf(3, 1, 96, good), Sjis("Init 対応フォーマットが0または1でない")},
      {"no track", Smf(0, 0, 96, good), "Init offset 10: no track"},
      {"track beyond the file", Smf(0, 1, 96, "MTrk" + Be32(100) + Bytes({0, 0x90, 60, 1})),
       "Init offset 14: chunk longer than the file"},
      {"fewer tracks", Smf(1, 2, 96, good), "Init offset 30: fewer tracks than the header says"},
      {"truncated event", Smf(0, 1, 96, Track(Bytes({0, 0x90, 60}))), "Init offset 24: event cut off"},
      {"SysEx past its track", Smf(0, 1, 96, Track(Bytes({0, 0xF0, 0x20, 1}))), "Init offset 24: event cut off"},
      {"running status first", Smf(0, 1, 96, Track(Bytes({0, 60, 1}))), "Init offset 23: running status"},
      {"long delta", Smf(0, 1, 96, Track(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 1, 1}))),
       "Init offset 22: bad delta time"},
      {"too long a song", Smf(0, 1, 96, Track(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 1, 1, 1, 0x90, 1, 1}))),
       "Init offset 29: track longer than 0x0FFFFFFF ticks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(cMidiFile::CheckMidiHeader(Bytes(c.file), c.name).empty());
    EXPECT_NE(Log().find("Midi " + std::string(c.name) + " " + c.logged), std::string::npos)
        << Log().substr(Log().rfind("Midi"));
  }
}

TEST_F(MidiFileTest, TrackLengthPastTheFileEndsAtItsEndOfTrackEvent) {
  const std::string first = "MTrk" + Be32(0x7FFFFFFF) + Bytes({0, 0x90, 60, 1, 10, 0xFF, 0x2F, 0x00});
  const std::string second = "MTrk" + Be32(0xFFFFFFFF) + Bytes({5, 0x91, 62, 2, 0, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Image(Smf(1, 2, 96, first + second)),
            Bytes(ImageOf(96, Bytes({0, 0x90, 60, 1, 5, 0x91, 62, 2, 5, 0xFF, 0x2F, 0x00}))));
}

TEST_F(MidiFileTest, TrackWithoutEndEndsAtItsChunkAndMissingFileIsLogged) {
  EXPECT_EQ(Image(Smf(0, 1, 96, Track(Bytes({0, 0x90, 60, 1, 7, 0x80, 60, 0})))),
            Bytes(ImageOf(96, Bytes({0, 0x90, 60, 1, 7, 0x80, 60, 0, 0, 0xFF, 0x2F, 0x00}))));
  cMidiFile missing("bgm\\none.mid");
  EXPECT_TRUE(missing.Image().empty());
  EXPECT_NE(Log().find("Midi bgm\\none.mid " + Sjis("Create ファイルが開けません") + "\r\n"), std::string::npos);
}

// A player on a recording synth; the test renders the mix itself.
class MidiPlayerTest : public MidiFileTest {
 protected:
  std::shared_ptr<RecordingSynth> synth = std::make_shared<RecordingSynth>();
  void SetUp() override {
    MidiFileTest::SetUp();
    platform::audio::SetStreamSynthForTesting(synth);
  }
  void TearDown() override { platform::audio::SetStreamSynthForTesting(nullptr); }

  std::unique_ptr<cMidiPlayer> Player(const std::string& file) {
    dir.Write("song.mid", file);
    return std::make_unique<cMidiPlayer>("song.mid");
  }
  // Renders in steps, letting the callback thread refill between steps, as
  // the device's steady pace lets it.
  void Render(const cMidiPlayer& player, int frames) {
    for (int done = 0; done < frames; done += 512) {
      RenderStereo(512);
      for (int i = 0; i < 2000 && platform::audio::QueuedStreamBuffers(player.Stream()) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::vector<std::pair<std::int64_t, std::uint8_t>> Notes() {
    std::vector<std::pair<std::int64_t, std::uint8_t>> notes;
    for (auto& e : synth->Events())
      if (!e.bytes.empty()) notes.emplace_back(e.frame, e.bytes[0]);
    return notes;
  }
};

// 96 ticks a quarter: a note, 96 ticks (22050 frames at 0.5 s) to its end and
// a tempo of 0.25 s, a marker 96 ticks (11025 frames) on with a note 0 ticks after it, the end 96 ticks later.
const std::string kSong =
    Smf(0, 1, 96, Track(Bytes({0,    0x90, 60,   100,  0x60, 0x80, 60, 0,    0,  0xFF, 0x51, 3,    0x03, 0xD0,
                               0x90, 0x60, 0xFF, 0x06, 1,    'M',  0,  0x90, 62, 100,  0x60, 0xFF, 0x2F, 0})));

TEST_F(MidiPlayerTest, BufferImageHoldsEventsWithTheirTimesAndCallsBackAtTheEnd) {
  auto player = Player(kSong);
  MIDIHDR header;
  std::vector<char> data(cMidiPlayer::kBufferSize);
  header.lpData = data.data();
  header.dwBufferLength = cMidiPlayer::kBufferSize;
  EXPECT_EQ(cMidiPlayer::FillBuffer(player->Image(), kMidiImageHeader, header),
            player->Image().size() - kMidiImageHeader);
  const DWORD expected[] = {0,  0, 0x00643C90,
                            96, 0, 0x00003C80,
                            0,  0, MEVT_TEMPO << 24 | 250000,
                            96, 0, 0x00643E90,
                            96, 0, MEVT_F_CALLBACK | 0x002FFF};
  ASSERT_EQ(header.dwBytesRecorded, sizeof expected);
  EXPECT_EQ(std::memcmp(data.data(), expected, sizeof expected), 0);
}

TEST_F(MidiPlayerTest, EventsPassedOverKeepTheirTimeAcrossBufferEnds) {
  std::string full;  // exactly one buffer of notes, then a marker 7 ticks on and a note right after it
  for (DWORD i = 0; i < cMidiPlayer::kBufferSize / 12; ++i) full += Bytes({0, 0x90, 60, 1});
  const std::string hugeSysEx = Bytes({0xF0}) + VarLen(30000) + std::string(29999, '\x01') + Bytes({0xF7});
  auto player = Player(Smf(0, 1, 96,
                           Track(Bytes({5}) + hugeSysEx + Bytes({3, 0x90, 61, 1}) + full +
                                 Bytes({7, 0xFF, 0x06, 1, 'M', 0, 0x90, 62, 1, 0, 0xFF, 0x2F, 0}))));
  MIDIHDR header;
  std::vector<char> data(cMidiPlayer::kBufferSize);
  header.lpData = data.data();
  header.dwBufferLength = cMidiPlayer::kBufferSize;
  auto record = [&](std::size_t index, int word) {
    DWORD value;
    std::memcpy(&value, data.data() + index * 12 + word * 4, 4);
    return value;
  };
  DWORD at = kMidiImageHeader;
  at += cMidiPlayer::FillBuffer(player->Image(), at, header);
  EXPECT_EQ(header.dwBytesRecorded, cMidiPlayer::kBufferSize);
  EXPECT_EQ(record(0, 0), 8u) << "the SysEx too large for any buffer is passed over, its time kept";
  EXPECT_EQ(record(0, 2), 0x00013D90u);
  EXPECT_EQ(record(1999, 2), MEVT_F_CALLBACK | 0x00013C90);
  at += cMidiPlayer::FillBuffer(player->Image(), at, header);
  EXPECT_EQ(record(0, 0), 0u);
  EXPECT_EQ(record(1, 0), 7u) << "the marker's time, on the note after it in the next buffer";
  EXPECT_EQ(record(1, 2), 0x00013E90u);
  EXPECT_EQ(at, player->Image().size());
}

TEST_F(MidiPlayerTest, PlaysEventsAtTheirFramesAndEndsStoppedAndRewound) {
  auto player = Player(kSong);
  player->Play(0);
  Render(*player, 60000);
  const std::vector<std::pair<std::int64_t, std::uint8_t>> expected = {
      {0, 0x90}, {22050, 0x80}, {33075, 0x90}, {44100, 0xFF}};
  EXPECT_EQ(Notes(), expected);
  EXPECT_EQ(platform::audio::QueuedStreamBuffers(player->Stream()), 1) << "rewound, the first buffer ready";
  player->Play(0);
  Render(*player, 512);
  EXPECT_EQ(Notes().size(), 5u) << "plays again from the start";
}

TEST_F(MidiPlayerTest, LoopsWithTheSameTimingEachPass) {
  auto player = Player(kSong);
  player->Play(1);
  Render(*player, 100000);
  auto notes = Notes();
  ASSERT_GE(notes.size(), 8u);
  const std::int64_t second = notes[4].first;
  EXPECT_GE(second, 44100);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(notes[4 + i].first - second, notes[i].first) << i;
    EXPECT_EQ(notes[4 + i].second, notes[i].second) << i;
  }
}

TEST_F(MidiPlayerTest, PauseResumesWhereItStoodAndStopRewinds) {
  auto player = Player(kSong);
  player->Play(0);
  Render(*player, 1024);
  player->Stop(1);
  Render(*player, 30000);
  EXPECT_EQ(Notes().size(), 1u) << "paused";
  player->Play(0);
  Render(*player, 22050);
  ASSERT_EQ(Notes().size(), 2u);
  EXPECT_EQ(Notes()[1].first, 1024 + 30208 + 22050 - 1024);
  player->Stop(0);
  player->Play(0);
  Render(*player, 512);
  EXPECT_EQ(Notes().back().second, 0x90) << "from the start again";
}

// Many buffers a pass and no time between notes: callbacks come without pause.
std::string BusySong() {
  std::string events;
  for (int i = 0; i < 5000; ++i) events += Bytes({0, 0x90, i % 100, 1});
  return Smf(0, 1, 96, Track(events + Bytes({1, 0xFF, 0x2F, 0})));
}

TEST_F(MidiPlayerTest, LongSongsCrossBuffersWithoutLosingAnEvent) {
  auto player = Player(BusySong());
  player->Play(0);
  Render(*player, 4096);
  auto notes = Notes();
  ASSERT_EQ(notes.size(), 5001u);
  EXPECT_EQ(synth->Events()[4999].bytes, (std::vector<std::uint8_t>{0x90, 4999 % 100, 1}));
}

TEST_F(MidiPlayerTest, DeletingAPlayerWhileItsCallbacksRunIsSafe) {
  std::atomic<bool> rendering = true;
  std::thread device([&] {
    while (rendering) RenderStereo(64);
  });
  for (int i = 0; i < 20; ++i) {
    auto player = Player(BusySong());
    player->Play(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(i % 4));
    player.reset();
  }
  rendering = false;
  device.join();
  EXPECT_GT(synth->Events().size(), 0u);
}

TEST_F(MidiPlayerTest, AFileThatDidNotLoadPlaysNothing) {
  auto player = Player("not midi");
  EXPECT_TRUE(player->Image().empty());
  EXPECT_EQ(player->Stream(), nullptr);
  player->Play(1);
  player->Stop(0);
  Render(*player, 512);
  EXPECT_TRUE(synth->Events().empty());
}

TEST(MidiFluidSynth, PlaysATuneThroughTheSoundFont) {
  const char* soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  if (!std::filesystem::exists(soundFont)) GTEST_SKIP() << "no SoundFont installed";
  std::string problem;
  auto fluid = platform::audio::MakeFluidSynth(soundFont, problem);
  ASSERT_TRUE(fluid) << problem;
  platform::audio::SetStreamSynthForTesting(fluid);
  testsupport::TempDir dir{true};
  dir.Write("tune.mid", kSong);
  {
    cMidiPlayer player("tune.mid");
    player.Play(0);
    auto sound = RenderStereo(22050);
    int loudest = 0;
    for (std::int16_t s : sound) loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    EXPECT_GT(loudest, 500);
  }
  platform::audio::SetStreamSynthForTesting(nullptr);
}

}  // namespace
