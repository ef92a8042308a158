#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/Messages.h"
#include "platform/audio/MidiStream.h"
#include "platform/audio/MidiSynth.h"
#include "platform/audio_fixtures.h"

using namespace audiotest;
using platform::audio::RecordingSynth;

namespace {

// A stream on a recording synth, with its callbacks collected by a thread of the test's.
class MidiStreamTest : public ::testing::Test {
 protected:
  std::shared_ptr<RecordingSynth> synth = std::make_shared<RecordingSynth>();
  HMIDISTRM stream = nullptr;
  std::vector<char> data = std::vector<char>(256);
  MIDIHDR header;

  void SetUp() override {
    platform::audio::SetStreamSynthForTesting(synth);
    UINT device = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&stream, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    header.lpData = data.data();
    header.dwBufferLength = static_cast<DWORD>(data.size());
  }
  void TearDown() override {
    midiOutReset(stream);
    midiStreamClose(stream);
    platform::audio::SetStreamSynthForTesting(nullptr);
  }
  void Record(std::initializer_list<DWORD> words) {
    std::memcpy(data.data(), words.begin(), words.size() * sizeof(DWORD));
    header.dwBytesRecorded = static_cast<DWORD>(words.size() * sizeof(DWORD));
  }
  std::vector<std::int64_t> NoteFrames() {
    std::vector<std::int64_t> frames;
    for (auto& e : synth->Events())
      if (!e.bytes.empty()) frames.push_back(e.frame);
    return frames;
  }
};

TEST_F(MidiStreamTest, TicksBecomeExactFramesUnderTempoAndSmpteDivisions) {
  MIDIPROPTIMEDIV timeDiv;
  timeDiv.dwTimeDiv = 96;
  ASSERT_EQ(midiStreamProperty(stream, &timeDiv, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  // 96 ticks at 0.5 s a quarter, a tempo of 0.25 s, 96 ticks more, then 1 tick (114.84375 frames) four times.
  Record({0,  0, 0x00403C90, 96, 0, 0x00003C80, 0, 0, MEVT_TEMPO << 24 | 250000,
          96, 0, 0x00403E90, 1,  0, 0x90,       1, 0, 0x90,
          1,  0, 0x90,       1,  0, 0x90});
  ASSERT_EQ(midiOutPrepareHeader(stream, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
  RenderStereo(1000);
  EXPECT_TRUE(NoteFrames().empty()) << "a stream opens paused";
  ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
  for (int i = 0; i < 40; ++i) RenderStereo(1000);
  const std::int64_t start = 1000, third = start + 22050 + 11025;
  EXPECT_EQ(NoteFrames(), (std::vector<std::int64_t>{start, start + 22050, third, third + 114, third + 229, third + 344,
                                                     third + 459}));
  EXPECT_EQ(synth->Events()[0].bytes, (std::vector<std::uint8_t>{0x90, 0x3C, 0x40}));
  EXPECT_EQ(header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);

  timeDiv.dwTimeDiv = 0xE728;  // 25 frames a second, 40 ticks a frame
  ASSERT_EQ(midiStreamProperty(stream, &timeDiv, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  Record({1000, 0, 0x90});
  ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
  const std::int64_t queuedAt = synth->Frame();
  RenderStereo(45000);
  EXPECT_EQ(NoteFrames().back(), queuedAt + 44100);
}

TEST_F(MidiStreamTest, CallbacksReachTheThreadAfterTheirBufferIsDone) {
  midiOutReset(stream);
  midiStreamClose(stream);
  std::atomic<DWORD> threadId{0};
  std::vector<MSG> received;
  std::thread callbacks([&] {
    threadId = GetCurrentThreadId();
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) {
      if (msg.message == MM_MOM_POSITIONCB) {
        EXPECT_FALSE(reinterpret_cast<MIDIHDR*>(msg.lParam)->dwFlags & MHDR_INQUEUE);
      }
      received.push_back(msg);
    }
  });
  while (threadId == 0 || !PostThreadMessage(threadId, WM_APP, 0, 0)) std::this_thread::yield();
  UINT device = MIDI_MAPPER;
  ASSERT_EQ(midiStreamOpen(&stream, &device, 1, threadId, 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
  HMIDISTRM second = nullptr;
  EXPECT_EQ(midiStreamOpen(&second, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);

  Record({0, 0, 0x90, 0, 0, MEVT_F_CALLBACK | 0x80});
  EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_UNPREPARED);
  midiOutPrepareHeader(stream, &header, sizeof header);
  ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiStreamClose(stream), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiOutUnprepareHeader(stream, &header, sizeof header), MIDIERR_STILLPLAYING);
  midiStreamRestart(stream);
  RenderStereo(16);
  EXPECT_EQ(platform::audio::QueuedStreamBuffers(stream), 0);
  PostThreadMessage(threadId, WM_QUIT, 0, 0);
  callbacks.join();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].message, MM_MOM_POSITIONCB);
  EXPECT_EQ(received[1].lParam, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(header.dwOffset, 12u);
  EXPECT_EQ(received[2].message, MM_MOM_DONE);
}

TEST_F(MidiStreamTest, StopReturnsBuffersAndLetsNotesGo) {
  Record({0, 0, 0x90, 44100 * 4, 0, 0x80});
  midiOutPrepareHeader(stream, &header, sizeof header);
  midiStreamOut(stream, &header, sizeof header);
  midiStreamRestart(stream);
  RenderStereo(100);
  ASSERT_EQ(platform::audio::QueuedStreamBuffers(stream), 1);
  EXPECT_EQ(midiStreamStop(stream), MMSYSERR_NOERROR);
  EXPECT_EQ(platform::audio::QueuedStreamBuffers(stream), 0);
  EXPECT_EQ(header.dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
  ASSERT_EQ(synth->Events().size(), 2u);
  EXPECT_TRUE(synth->Events()[1].bytes.empty()) << "all notes off";
  EXPECT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
  EXPECT_EQ(midiStreamRestart(stream), MMSYSERR_INVALHANDLE) << "a closed handle is refused, not followed";
  EXPECT_EQ(platform::audio::QueuedStreamBuffers(stream), -1);
}

}  // namespace
