#pragma once
// What MIDI streams play through: FluidSynth with a General MIDI SoundFont,
// silence for headless runs, or a recorder for tests.
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::audio {

class MidiSynth {
 public:
  virtual ~MidiSynth() = default;
  // status | data1 << 8 | data2 << 16; system messages (status F0 and up) are ignored.
  virtual void ShortMessage(DWORD message) = 0;
  // A system-exclusive message with its F0 (or F7) status byte.
  virtual void LongMessage(std::span<const std::uint8_t> message) = 0;
  virtual void AllNotesOff() = 0;
  // Adds `frames` interleaved stereo frames at the mix rate into out.
  virtual void Render(float* out, int frames) = 0;
};

class SilentSynth final : public MidiSynth {
 public:
  void ShortMessage(DWORD) override {}
  void LongMessage(std::span<const std::uint8_t>) override {}
  void AllNotesOff() override {}
  void Render(float*, int) override {}
};

// Records what it is told, stamped with the frame of the output it happened at.
class RecordingSynth final : public MidiSynth {
 public:
  struct Event {
    std::int64_t frame;
    std::vector<std::uint8_t> bytes;  // a short message's bytes, a long message, or empty for all notes off
    bool operator==(const Event&) const = default;
  };
  void ShortMessage(DWORD message) override;
  void LongMessage(std::span<const std::uint8_t> message) override;
  void AllNotesOff() override;
  void Render(float* out, int frames) override;
  std::vector<Event> Events() const;
  std::int64_t Frame() const;

 private:
  mutable std::mutex m_mutex;
  std::int64_t m_frame = 0;
  std::vector<Event> m_events;
};

// FluidSynth on the SoundFont file; null with the reason when it cannot start.
std::shared_ptr<MidiSynth> MakeFluidSynth(const std::string& soundFont, std::string& problem);

// The synth the next stream opens with: the one a test set, else silence in
// headless runs, else FluidSynth on ZANDREL_SOUNDFONT or the TimGM6mb
// SoundFont; when FluidSynth cannot start, silence, and TakeSynthProblem says why once.
std::shared_ptr<MidiSynth> StreamSynth();
std::string TakeSynthProblem();
void SetStreamSynthForTesting(std::shared_ptr<MidiSynth> synth);

}  // namespace platform::audio
