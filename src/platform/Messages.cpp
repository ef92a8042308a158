#include "platform/Messages.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct ThreadQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<MSG> messages;
};

class QueueRegistry {
 public:
  std::shared_ptr<ThreadQueue> Find(DWORD threadId) {
    std::lock_guard lock(m_mutex);
    auto it = m_queues.find(threadId);
    return it == m_queues.end() ? nullptr : it->second;
  }
  std::shared_ptr<ThreadQueue> FindOrCreate(DWORD threadId) {
    std::lock_guard lock(m_mutex);
    auto& queue = m_queues[threadId];
    if (!queue) queue = std::make_shared<ThreadQueue>();
    return queue;
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> m_queues;
};

QueueRegistry& Registry() {
  static QueueRegistry registry;
  return registry;
}

std::atomic<DWORD> nextThreadId{1};

bool Matches(const MSG& msg, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

BOOL Enqueue(DWORD threadId, const MSG& msg) {
  auto queue = Registry().Find(threadId);
  if (!queue) return FALSE;
  {
    std::lock_guard lock(queue->mutex);
    queue->messages.push_back(msg);
  }
  queue->arrived.notify_all();
  return TRUE;
}

// Takes the first matching message of the calling thread's queue, if any.
bool TakeMatching(ThreadQueue& queue, MSG* msg, UINT filterMin, UINT filterMax, bool remove) {
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (!Matches(*it, filterMin, filterMax)) continue;
    if (msg) *msg = *it;
    if (remove) queue.messages.erase(it);
    return true;
  }
  return false;
}

}  // namespace

DWORD GetCurrentThreadId() {
  thread_local const DWORD id = nextThreadId.fetch_add(1);
  return id;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return Enqueue(threadId, MSG{nullptr, message, wParam, lParam});
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return FALSE;
  auto queue = Registry().FindOrCreate(hwnd->OwnerThread());
  {
    std::lock_guard lock(queue->mutex);
    queue->messages.push_back(MSG{hwnd, message, wParam, lParam});
  }
  queue->arrived.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  PostThreadMessage(GetCurrentThreadId(), WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL PeekMessage(MSG* msg, HWND, UINT filterMin, UINT filterMax, UINT removeFlags) {
  auto queue = Registry().FindOrCreate(GetCurrentThreadId());
  std::lock_guard lock(queue->mutex);
  return TakeMatching(*queue, msg, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessage(MSG* msg, HWND, UINT filterMin, UINT filterMax) {
  auto queue = Registry().FindOrCreate(GetCurrentThreadId());
  std::unique_lock lock(queue->mutex);
  MSG taken;
  queue->arrived.wait(lock, [&] { return TakeMatching(*queue, &taken, filterMin, filterMax, true); });
  if (msg) *msg = taken;
  return taken.message == WM_QUIT ? FALSE : TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return msg->hwnd->Call(msg->message, msg->wParam, msg->lParam);
}
