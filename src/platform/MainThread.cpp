#include "platform/MainThread.h"

#include <SDL.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/Messages.h"

namespace platform {
namespace {

struct Entry {
  int id;
  SdlEventHandler handler;  // one of the two is set
  TurnTask task;
  bool running = false;
};

class TurnRegistry {
 public:
  int Add(SdlEventHandler handler, TurnTask task) {
    std::lock_guard lock(m_mutex);
    int id = ++m_lastId;
    m_entries.push_back(std::make_shared<Entry>(Entry{id, std::move(handler), std::move(task)}));
    return id;
  }
  void Remove(int id) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [id](const auto& entry) { return entry->id == id; });
  }
  // A copy, so handlers may register and unregister while they run.
  std::vector<std::shared_ptr<Entry>> Snapshot() {
    std::lock_guard lock(m_mutex);
    return m_entries;
  }

 private:
  std::mutex m_mutex;
  int m_lastId = 0;
  std::vector<std::shared_ptr<Entry>> m_entries;
};

TurnRegistry& Registry() {
  static TurnRegistry registry;
  return registry;
}

void DispatchSdlEvents(const std::vector<std::shared_ptr<Entry>>& entries) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    for (const auto& entry : entries) {
      if (entry->handler) entry->handler(event);
    }
  }
}

// Marks a task as running for the scope of its call.
class RunningScope {
 public:
  explicit RunningScope(bool& running) : m_running(running) { m_running = true; }
  ~RunningScope() { m_running = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  bool& m_running;
};

void RunTasks(const std::vector<std::shared_ptr<Entry>>& entries) {
  for (const auto& entry : entries) {
    if (!entry->task || entry->running) continue;
    RunningScope scope(entry->running);
    entry->task();
  }
}

}  // namespace

bool IsMainThread() {
  thread_local const bool isMain = syscall(SYS_gettid) == getpid();
  return isMain;
}

void ServiceTurn() {
  ServeSends();
  if (!IsMainThread()) return;
  auto entries = Registry().Snapshot();
  DispatchSdlEvents(entries);
  RunTasks(entries);
}

TurnRegistration::~TurnRegistration() {
  if (m_id) Registry().Remove(m_id);
}

TurnRegistration& TurnRegistration::operator=(TurnRegistration&& other) noexcept {
  if (this != &other) {
    if (m_id) Registry().Remove(m_id);
    m_id = other.m_id;
    other.m_id = 0;
  }
  return *this;
}

TurnRegistration RegisterSdlEventHandler(SdlEventHandler handler) {
  return TurnRegistration(Registry().Add(std::move(handler), nullptr));
}

TurnRegistration RegisterTurnTask(TurnTask task) { return TurnRegistration(Registry().Add(nullptr, std::move(task))); }

}  // namespace platform
