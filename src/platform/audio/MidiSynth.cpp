#include "platform/audio/MidiSynth.h"

#include <fluidsynth.h>

#include <utility>

#include "platform/Harness.h"
#include "platform/audio/Mixer.h"

namespace platform::audio {
namespace {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

std::vector<std::uint8_t> ShortBytes(DWORD message) {
  const std::uint8_t status = message & 0xFF;
  const int size = status >= 0xF0 ? 3 : ((status & 0xE0) == 0xC0 ? 2 : 3);
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(message >> (8 * i)));
  return bytes;
}

class FluidSynth final : public MidiSynth {
 public:
  FluidSynth() : m_settings(new_fluid_settings()) {
    fluid_settings_setnum(m_settings, "synth.sample-rate", kMixRate);
    fluid_settings_setnum(m_settings, "synth.gain", 0.5);
    m_synth = new_fluid_synth(m_settings);
  }
  ~FluidSynth() override {
    if (m_synth) delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
  }
  FluidSynth(const FluidSynth&) = delete;
  FluidSynth& operator=(const FluidSynth&) = delete;

  bool Load(const std::string& soundFont) {
    return m_synth && fluid_synth_sfload(m_synth, soundFont.c_str(), 1) != FLUID_FAILED;
  }

  void ShortMessage(DWORD message) override {
    const int channel = message & 0x0F, data1 = message >> 8 & 0x7F, data2 = message >> 16 & 0x7F;
    switch (message & 0xF0) {
      case 0x80:
        fluid_synth_noteoff(m_synth, channel, data1);
        break;
      case 0x90:
        fluid_synth_noteon(m_synth, channel, data1, data2);
        break;
      case 0xA0:
        fluid_synth_key_pressure(m_synth, channel, data1, data2);
        break;
      case 0xB0:
        fluid_synth_cc(m_synth, channel, data1, data2);
        break;
      case 0xC0:
        fluid_synth_program_change(m_synth, channel, data1);
        break;
      case 0xD0:
        fluid_synth_channel_pressure(m_synth, channel, data1);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(m_synth, channel, data1 | data2 << 7);
        break;
      default:
        break;
    }
  }
  void LongMessage(std::span<const std::uint8_t> message) override {
    if (message.size() < 2 || message[0] != 0xF0) return;
    auto body = message.subspan(1);
    if (body.back() == 0xF7) body = body.first(body.size() - 1);
    fluid_synth_sysex(m_synth, reinterpret_cast<const char*>(body.data()), static_cast<int>(body.size()), nullptr,
                      nullptr, nullptr, 0);
  }
  void AllNotesOff() override { fluid_synth_all_notes_off(m_synth, -1); }
  void Render(float* out, int frames) override {
    m_scratch.assign(static_cast<size_t>(frames) * 2, 0.0f);
    fluid_synth_write_float(m_synth, frames, m_scratch.data(), 0, 2, m_scratch.data(), 1, 2);
    for (size_t i = 0; i < m_scratch.size(); ++i) out[i] += m_scratch[i];
  }

 private:
  fluid_settings_t* m_settings;
  fluid_synth_t* m_synth = nullptr;
  std::vector<float> m_scratch;
};

struct SynthChoice {
  std::mutex mutex;
  std::shared_ptr<MidiSynth> forTesting;
  std::shared_ptr<MidiSynth> fluid;  // started once, kept for every later tune
  bool fluidTried = false;
  std::string problem;
} choice;

}  // namespace

void RecordingSynth::ShortMessage(DWORD message) {
  std::lock_guard lock(m_mutex);
  m_events.push_back({m_frame, ShortBytes(message)});
}

void RecordingSynth::LongMessage(std::span<const std::uint8_t> message) {
  std::lock_guard lock(m_mutex);
  m_events.push_back({m_frame, {message.begin(), message.end()}});
}

void RecordingSynth::AllNotesOff() {
  std::lock_guard lock(m_mutex);
  m_events.push_back({m_frame, {}});
}

void RecordingSynth::Render(float*, int frames) {
  std::lock_guard lock(m_mutex);
  m_frame += frames;
}

std::vector<RecordingSynth::Event> RecordingSynth::Events() const {
  std::lock_guard lock(m_mutex);
  return m_events;
}

std::int64_t RecordingSynth::Frame() const {
  std::lock_guard lock(m_mutex);
  return m_frame;
}

std::shared_ptr<MidiSynth> MakeFluidSynth(const std::string& soundFont, std::string& problem) {
  // FluidSynth's own messages would go to the terminal; our log says what matters.
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
  auto synth = std::make_shared<FluidSynth>();
  if (!synth->Load(soundFont)) {
    problem = "FluidSynth cannot load the SoundFont " + soundFont;
    return nullptr;
  }
  return synth;
}

std::shared_ptr<MidiSynth> StreamSynth() {
  std::lock_guard lock(choice.mutex);
  if (choice.forTesting) return choice.forTesting;
  if (Harness().headless) return std::make_shared<SilentSynth>();
  if (!choice.fluidTried) {
    choice.fluidTried = true;
    const std::string& soundFont = Harness().soundFont.empty() ? kDefaultSoundFont : Harness().soundFont;
    choice.fluid = MakeFluidSynth(soundFont, choice.problem);
  }
  if (choice.fluid) return choice.fluid;
  return std::make_shared<SilentSynth>();
}

std::string TakeSynthProblem() {
  std::lock_guard lock(choice.mutex);
  return std::exchange(choice.problem, {});
}

void SetStreamSynthForTesting(std::shared_ptr<MidiSynth> synth) {
  std::lock_guard lock(choice.mutex);
  choice.forTesting = std::move(synth);
}

}  // namespace platform::audio
