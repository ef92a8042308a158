#include <gtest/gtest.h>

#include "platform/audio/Vox.h"
#include "platform/audio_fixtures.h"
#include "support/TempDir.h"

using namespace audiotest;
using platform::audio::VoxObject;

namespace {

constexpr int kFrames = 4410;  // a tenth of a second

class VoxTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir{true};
  std::unique_ptr<VoxObject> vox = platform::audio::CreateVox();
  std::string problem;
};

TEST_F(VoxTest, PlaysOnceAndFallsSilent) {
  dir.Write("bgm/Tone.ogg", EncodeOgg(44100, 1, kFrames));
  ASSERT_TRUE(vox->Load("bgm\\tone.OGG", problem)) << problem;
  auto before = RenderLeft(1000);
  EXPECT_EQ(Loudest(before, 0, 1000), 0) << "loaded is not playing";
  vox->SetLoop(0);
  vox->Play();
  auto tune = RenderLeft(3 * kFrames);
  EXPECT_GT(Loudest(tune, 500, kFrames - 500), 10000);
  EXPECT_EQ(Loudest(tune, kFrames + 100, 3 * kFrames), 0);
  EXPECT_FALSE(vox->IsPlaying());
}

TEST_F(VoxTest, RepeatsAsOftenAsSetAndStops) {
  dir.Write("twice.ogg", EncodeOgg(22050, 2, kFrames / 2));  // resampled to the mix rate: kFrames long
  ASSERT_TRUE(vox->Load("twice.ogg", problem)) << problem;
  vox->SetLoop(1);
  vox->Play();
  auto tune = RenderLeft(3 * kFrames);
  EXPECT_GT(Loudest(tune, kFrames + 500, 2 * kFrames - 500), 10000) << "the second pass";
  EXPECT_EQ(Loudest(tune, 2 * kFrames + 100, 3 * kFrames), 0);

  vox->SetLoop(VoxObject::kEndless);
  vox->Play();
  auto endless = RenderLeft(10 * kFrames);
  EXPECT_GT(Loudest(endless, 9 * kFrames, 10 * kFrames), 10000);
  vox->Stop();
  EXPECT_EQ(Loudest(RenderLeft(1000), 0, 1000), 0);
  vox->Release();
  vox->Play();
  EXPECT_FALSE(vox->IsPlaying()) << "nothing loaded";
}

// Sign changes of the left channel in [from, to): 2 per cycle of the tone.
int SignChanges(const std::vector<std::int16_t>& left, size_t from, size_t to) {
  int changes = 0;
  for (size_t i = from + 1; i < to; ++i) changes += (left[i - 1] < 0) != (left[i] < 0);
  return changes;
}

TEST_F(VoxTest, ChainedFilePlaysEveryLinkAtItsOwnRate) {
  // A tenth of a second at 11025 frames a second, then a tenth at 44100.
  const std::string chained = EncodeOgg(11025, 1, kFrames / 4, 1) + EncodeOgg(44100, 1, kFrames, 2);
  ASSERT_TRUE(vox->LoadFromMemory({chained.begin(), chained.end()}, problem)) << problem;
  vox->SetLoop(0);
  vox->Play();
  auto tune = RenderLeft(5 * kFrames);
  // 440 Hz over 3000 frames of 44100 a second: about 60 sign changes.
  EXPECT_NEAR(SignChanges(tune, 500, 3500), 60, 4) << "the first link";
  EXPECT_NEAR(SignChanges(tune, kFrames + 500, kFrames + 3500), 60, 4) << "the second link";
  EXPECT_EQ(Loudest(tune, 2 * kFrames + 200, 5 * kFrames), 0) << "both links last a tenth of a second";
}

TEST_F(VoxTest, RefusesWhatIsNotOggVorbis) {
  EXPECT_FALSE(vox->Load("missing.ogg", problem));
  EXPECT_EQ(problem, "");
  dir.Write("fake.ogg", "OggS but not really");
  EXPECT_FALSE(vox->Load("fake.ogg", problem));
  EXPECT_EQ(problem, "not an Ogg Vorbis file");
  std::string truncated = EncodeOgg(44100, 1, kFrames);
  truncated.resize(truncated.size() / 2);
  EXPECT_FALSE(vox->LoadFromMemory({truncated.begin(), truncated.end()}, problem)) << "a cut file";
  vox->Play();
  EXPECT_FALSE(vox->IsPlaying());
}

}  // namespace
