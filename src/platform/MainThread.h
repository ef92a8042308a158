#pragma once
// The main thread is the window thread: it owns the SDL window, its events,
// presenting, boxes and dialogs. Every loop it runs (the message pump, modal
// loops, waits for other threads) calls ServiceTurn once per pass, so a send
// from another thread is served and the window stays alive wherever the main
// thread happens to wait.
#include <functional>

union SDL_Event;

namespace platform {

// True on the process's initial thread, the one main() runs on.
bool IsMainThread();

// One turn of what the calling thread must keep serving while it loops.
// On the main thread: the sends waiting for its windows, then every pending
// SDL event (when SDL is initialised) handed to each registered handler in
// registration order, then every per-turn task. On another thread: only the
// sends waiting for its windows. A handler or task that runs a loop of its own
// may call ServiceTurn again; a task is never re-entered while it runs.
void ServiceTurn();

using SdlEventHandler = std::function<void(const SDL_Event&)>;
using TurnTask = std::function<void()>;

// Keeps a handler or task registered for its own lifetime.
class TurnRegistration {
 public:
  TurnRegistration() = default;
  explicit TurnRegistration(int id) : m_id(id) {}
  ~TurnRegistration();
  TurnRegistration(TurnRegistration&& other) noexcept : m_id(other.m_id) { other.m_id = 0; }
  TurnRegistration& operator=(TurnRegistration&& other) noexcept;
  TurnRegistration(const TurnRegistration&) = delete;
  TurnRegistration& operator=(const TurnRegistration&) = delete;

 private:
  int m_id = 0;
};

[[nodiscard]] TurnRegistration RegisterSdlEventHandler(SdlEventHandler handler);
[[nodiscard]] TurnRegistration RegisterTurnTask(TurnTask task);

}  // namespace platform
