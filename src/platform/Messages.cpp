#include "platform/Messages.h"

#include <chrono>

#include "platform/MainThread.h"
#include "platform/Thread.h"
#include "platform/ThreadState.h"

namespace {

using platform::detail::SendRequest;
using platform::detail::ThreadState;

bool Matches(const MSG& msg, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

// The first matching message of the queue, copied to msg when given; the
// caller holds the queue's mutex.
bool TakeMatching(ThreadState& queue, MSG* msg, UINT filterMin, UINT filterMax, bool remove) {
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (!Matches(*it, filterMin, filterMax)) continue;
    if (msg) *msg = *it;
    if (remove) queue.messages.erase(it);
    return true;
  }
  return false;
}

BOOL Enqueue(ThreadState& target, const MSG& msg, bool needsQueue) {
  std::lock_guard lock(target.mutex);
  if (target.ended || (needsQueue && !target.hasQueue)) return FALSE;
  target.messages.push_back(msg);
  target.wake.notify_all();
  return TRUE;
}

std::shared_ptr<SendRequest> NextSend(ThreadState& self) {
  std::lock_guard lock(self.mutex);
  if (self.sends.empty()) return nullptr;
  auto request = std::move(self.sends.front());
  self.sends.pop_front();
  return request;
}

void Complete(SendRequest& request, LRESULT result) {
  std::lock_guard lock(request.sender->mutex);
  request.result = result;
  request.done = true;
  request.sender->wake.notify_all();
}

// Takes back a send its owner has not begun to serve; false once it has.
bool Withdraw(ThreadState& owner, const std::shared_ptr<SendRequest>& request) {
  std::lock_guard lock(owner.mutex);
  for (auto it = owner.sends.begin(); it != owner.sends.end(); ++it) {
    if (*it != request) continue;
    owner.sends.erase(it);
    return true;
  }
  return false;
}

// Waits until the owner has served the request. A sender asked to quit unwinds
// only while the call is still unserved: a call being served may use the
// sender's data, so the sender stays until it is done.
void WaitForReply(ThreadState& self, ThreadState& owner, const std::shared_ptr<SendRequest>& request) {
  bool cancellable = true;
  for (;;) {
    if (cancellable && self.cancelRequested.load()) {
      if (Withdraw(owner, request)) throw platform::ThreadCancelled{};
      cancellable = false;
    }
    platform::ServeSends();
    std::unique_lock lock(self.mutex);
    self.wake.wait(
        lock, [&] { return request->done || !self.sends.empty() || (cancellable && self.cancelRequested.load()); });
    if (request->done) return;
  }
}

}  // namespace

namespace platform {

bool ServeSends() {
  ThreadState& self = detail::Current();
  bool served = false;
  while (auto request = NextSend(self)) {
    served = true;
    LRESULT result = 0;
    try {
      const MSG& msg = request->msg;
      result = msg.hwnd->Call(msg.message, msg.wParam, msg.lParam);
    } catch (...) {
      Complete(*request, 0);
      throw;
    }
    Complete(*request, result);
  }
  return served;
}

}  // namespace platform

namespace {

// The queue counts as made before any send is served, so a post that a served
// sender makes right after its reply is never refused.
void MarkQueueMade(ThreadState& self) {
  std::lock_guard lock(self.mutex);
  self.hasQueue = true;
}

}  // namespace

DWORD GetCurrentThreadId() { return platform::detail::Current().id; }

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  auto target = platform::detail::Find(threadId);
  return target ? Enqueue(*target, MSG{nullptr, message, wParam, lParam}, true) : FALSE;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return FALSE;
  auto owner = platform::detail::Find(hwnd->OwnerThread());
  return owner ? Enqueue(*owner, MSG{hwnd, message, wParam, lParam}, false) : FALSE;
}

void PostQuitMessage(int exitCode) {
  ThreadState& self = platform::detail::Current();
  Enqueue(self, MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0}, false);
}

BOOL PeekMessage(MSG* msg, HWND, UINT filterMin, UINT filterMax, UINT removeFlags) {
  platform::CancellationPoint();
  ThreadState& self = platform::detail::Current();
  MarkQueueMade(self);
  platform::ServeSends();
  std::lock_guard lock(self.mutex);
  return TakeMatching(self, msg, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessage(MSG* msg, HWND, UINT filterMin, UINT filterMax) {
  ThreadState& self = platform::detail::Current();
  MarkQueueMade(self);
  // The main thread must go on polling its events while it waits.
  const bool mainThread = platform::IsMainThread();
  MSG taken;
  for (;;) {
    platform::CancellationPoint();
    if (mainThread) {
      platform::ServiceTurn();
    } else {
      platform::ServeSends();
    }
    std::unique_lock lock(self.mutex);
    if (TakeMatching(self, &taken, filterMin, filterMax, true)) break;
    auto ready = [&] {
      return self.cancelRequested.load() || !self.sends.empty() ||
             TakeMatching(self, nullptr, filterMin, filterMax, false);
    };
    if (mainThread) {
      self.wake.wait_for(lock, std::chrono::milliseconds(1), ready);
    } else {
      self.wake.wait(lock, ready);
    }
  }
  if (msg) *msg = taken;
  return taken.message == WM_QUIT ? FALSE : TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return msg->hwnd->Call(msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return 0;
  ThreadState& self = platform::detail::Current();
  if (hwnd->OwnerThread() == self.id) return hwnd->Call(message, wParam, lParam);
  // A wait for another thread: a suspended sender holds before it sends.
  platform::CancellationPoint();
  auto owner = platform::detail::Find(hwnd->OwnerThread());
  if (!owner) return 0;
  auto request = std::make_shared<SendRequest>();
  request->msg = MSG{hwnd, message, wParam, lParam};
  request->sender = platform::detail::CurrentShared();
  {
    std::lock_guard lock(owner->mutex);
    if (owner->ended) return 0;
    owner->sends.push_back(request);
    owner->wake.notify_all();
  }
  WaitForReply(self, *owner, request);
  return request->result;
}
