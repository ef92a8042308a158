#include "platform/audio/AudioOutput.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Harness.h"
#include "platform/audio/Mixer.h"

namespace platform::audio {
namespace {

void PullMixer(void*, Uint8* stream, int length) {
  TheMixer().Render({reinterpret_cast<std::int16_t*>(stream), static_cast<size_t>(length) / 2});
}

// Pulls the mix in steps of 10 ms of real time and drops it.
class SilentOutput {
 public:
  SilentOutput() : m_thread([this] { Run(); }) {}
  ~SilentOutput() {
    {
      std::lock_guard lock(m_mutex);
      m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }

 private:
  void Run() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::int64_t rendered = 0;
    std::vector<std::int16_t> scratch;
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(10), [this] { return m_quit; })) {
      auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      std::int64_t due = elapsed * kMixRate / 1000000;
      // After a long stall, skip ahead rather than render a burst.
      std::int64_t frames = std::min<std::int64_t>(due - rendered, kMixRate / 10);
      rendered = due;
      scratch.resize(static_cast<size_t>(frames) * kMixChannels);
      TheMixer().Render(scratch);
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_quit = false;
  std::thread m_thread;
};

struct Output {
  bool pullOnly = false;
  SDL_AudioDeviceID device = 0;
  std::unique_ptr<SilentOutput> silent;
} output;

std::string OpenDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_S16SYS;
  want.channels = kMixChannels;
  want.samples = 1024;
  want.callback = PullMixer;
  SDL_AudioSpec have{};
  output.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (output.device == 0) {
    std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return reason;
  }
  SDL_PauseAudioDevice(output.device, 0);
  return {};
}

}  // namespace

OutputState OpenOutput() {
  CloseOutput();
  if (output.pullOnly) return {false, "pulled by the caller"};
  std::string reason = Harness().headless ? "headless run" : OpenDevice();
  if (reason.empty()) return {true, {}};
  output.silent = std::make_unique<SilentOutput>();
  return {false, reason};
}

void CloseOutput() {
  output.silent.reset();
  if (output.device) {
    SDL_CloseAudioDevice(output.device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    output.device = 0;
  }
}

void SetPullOnlyOutputForTesting(bool pullOnly) { output.pullOnly = pullOnly; }

}  // namespace platform::audio
