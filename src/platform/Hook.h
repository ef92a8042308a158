#pragma once
// A function installed by a higher layer at start-up (or by a test) and
// called from any thread.
#include <mutex>

namespace platform {

template <typename Function>
class Hook {
 public:
  void Set(Function function) {
    std::lock_guard lock(m_mutex);
    m_function = std::move(function);
  }
  // A copy, so the caller runs it without holding the lock.
  Function Get() const {
    std::lock_guard lock(m_mutex);
    return m_function;
  }

 private:
  mutable std::mutex m_mutex;
  Function m_function;
};

}  // namespace platform
