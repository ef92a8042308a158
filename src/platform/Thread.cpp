#include "platform/Thread.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unordered_map>

#include "platform/ThreadState.h"

namespace platform {
namespace detail {
namespace {

class Registry {
 public:
  std::shared_ptr<ThreadState> Make() {
    auto state = std::make_shared<ThreadState>(m_nextId.fetch_add(1));
    std::lock_guard lock(m_mutex);
    m_threads.emplace(state->id, state);
    return state;
  }
  std::shared_ptr<ThreadState> Find(DWORD id) {
    std::lock_guard lock(m_mutex);
    auto it = m_threads.find(id);
    return it == m_threads.end() ? nullptr : it->second;
  }
  void Remove(DWORD id) {
    std::lock_guard lock(m_mutex);
    m_threads.erase(id);
  }

 private:
  std::atomic<DWORD> m_nextId{1};
  std::mutex m_mutex;
  std::unordered_map<DWORD, std::shared_ptr<ThreadState>> m_threads;
};

Registry& Threads() {
  static Registry registry;
  return registry;
}

// Answers every send still waiting for a thread that has ended.
void Retire(ThreadState& state) {
  Threads().Remove(state.id);
  std::deque<std::shared_ptr<SendRequest>> unserved;
  {
    std::lock_guard lock(state.mutex);
    state.ended = true;
    unserved.swap(state.sends);
  }
  for (auto& request : unserved) {
    std::lock_guard lock(request->sender->mutex);
    request->done = true;
    request->sender->wake.notify_all();
  }
}

struct CurrentHolder {
  std::shared_ptr<ThreadState> state;
  ~CurrentHolder() {
    if (state) Retire(*state);
  }
};
thread_local CurrentHolder current;

}  // namespace

std::shared_ptr<ThreadState> CurrentShared() {
  if (!current.state) current.state = Threads().Make();
  return current.state;
}
ThreadState& Current() { return *CurrentShared(); }
std::shared_ptr<ThreadState> Find(DWORD threadId) { return Threads().Find(threadId); }
std::shared_ptr<ThreadState> Reserve() { return Threads().Make(); }
void Adopt(std::shared_ptr<ThreadState> state) { current.state = std::move(state); }

}  // namespace detail

namespace {
std::atomic<bool> anyAbandoned{false};
}

void CancellationPoint() {
  detail::ThreadState& self = detail::Current();
  if (self.suspendCount.load() > 0) {
    std::unique_lock lock(self.mutex);
    self.wake.wait(lock, [&] { return self.suspendCount.load() == 0 || self.cancelRequested.load(); });
  }
  if (self.cancelRequested.load()) throw ThreadCancelled{};
}

struct Thread::Impl {
  std::shared_ptr<detail::ThreadState> state = detail::Reserve();
  std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
  std::thread thread;
};

Thread::Thread(std::function<void()> body) : m_impl(std::make_unique<Impl>()) {
  try {
    m_impl->thread = std::thread([state = m_impl->state, ended = m_impl->ended, body = std::move(body)] {
      detail::Adopt(state);
      try {
        body();
      } catch (const ThreadCancelled&) {
        // The thread was asked to quit and has unwound: a normal end.
      }
      ended->store(true);
    });
  } catch (...) {
    detail::Retire(*m_impl->state);
    throw;
  }
}

Thread::~Thread() {
  if (!m_impl->thread.joinable()) return;
  if (Ended()) {
    m_impl->thread.join();
  } else {
    Abandon();
  }
}

DWORD Thread::Id() const { return m_impl->state->id; }
bool Thread::Ended() const { return m_impl->ended->load(); }

void Thread::RequestCancel() {
  m_impl->state->cancelRequested.store(true);
  m_impl->state->Notify();
}

int Thread::Suspend() {
  detail::ThreadState& state = *m_impl->state;
  std::lock_guard lock(state.mutex);
  const int before = state.suspendCount.load();
  if (before == kMaxSuspendCount) return -1;
  state.suspendCount.store(before + 1);
  return before;
}

int Thread::Resume() {
  detail::ThreadState& state = *m_impl->state;
  std::lock_guard lock(state.mutex);
  const int before = state.suspendCount.load();
  if (before == 0) return 0;
  state.suspendCount.store(before - 1);
  if (before == 1) state.wake.notify_all();
  return before;
}

void Thread::Abandon() {
  if (!m_impl->thread.joinable()) return;
  m_impl->thread.detach();
  anyAbandoned.store(true);
}

bool ThreadsAbandoned() { return anyAbandoned.load(); }

void EndProcess(int exitCode) {
  std::fflush(nullptr);
  if (ThreadsAbandoned()) _exit(exitCode);
  std::exit(exitCode);
}

}  // namespace platform
