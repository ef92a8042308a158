#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/Harness.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundBuffer.h"
#include "platform/audio_fixtures.h"

using namespace audiotest;
using namespace platform::audio;

namespace {

// Plays a short sound on whatever output opened and waits for it to end.
bool SoundRunsItsCourse() {
  const std::string samples = Samples16({1, 2, 3, 4, 5, 6, 7, 8});
  WAVEFORMATEX format{1, 1, 44100, 88200, 2, 16, 0};
  auto sound = SoundBuffer::Create(format, Bytes(samples));
  sound->Play(0);
  for (int i = 0; i < 2000 && sound->IsPlaying(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return !sound->IsPlaying();
}

TEST(AudioOutput, SdlDeviceOrSilentOutputPullsTheMix) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::SetHarnessForTesting({});
  OutputState device = OpenOutput();
  EXPECT_TRUE(device.device) << device.reason;
  EXPECT_TRUE(SoundRunsItsCourse());
  CloseOutput();

  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  OutputState silent = OpenOutput();
  EXPECT_FALSE(silent.device);
  EXPECT_FALSE(silent.reason.empty());
  EXPECT_TRUE(SoundRunsItsCourse()) << "the silent output still plays the sound out";
  CloseOutput();
  ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
