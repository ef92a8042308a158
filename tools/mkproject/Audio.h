#pragma once
// Small writers of the sound and music formats the player reads, and the
// tones and tunes the sample project plays. All integer arithmetic, so the
// output is the same on every machine.
#include <cstdint>
#include <vector>

namespace mkproject {

constexpr int kSampleRate = 22050;

// One note of a tune: a MIDI key (0 rest) and its length in eighth notes.
struct Note {
  int key;
  int eighths;
};
const std::vector<Note>& SampleTune();

// A square-wave tone gliding from one frequency to another with a linear
// fade-out: 16-bit mono samples.
std::vector<std::int16_t> SynthTone(int startHz, int endHz, int milliseconds);
// The tune as 16-bit mono samples (a triangle wave per note).
std::vector<std::int16_t> SynthTune(const std::vector<Note>& tune, int eighthMilliseconds);

// A RIFF WAVE file of 16-bit mono PCM.
std::vector<std::uint8_t> EncodeWave(const std::vector<std::int16_t>& samples);
// A format-0 standard MIDI file playing the tune on one channel, ending
// where a loop back to the start fits.
std::vector<std::uint8_t> EncodeMidi(const std::vector<Note>& tune, int tempoBpm);
// An Ogg Vorbis file of the samples (quality 0.3, a fixed stream serial).
std::vector<std::uint8_t> EncodeOgg(const std::vector<std::int16_t>& samples);

}  // namespace mkproject
