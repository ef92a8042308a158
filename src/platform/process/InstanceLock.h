#pragma once
// The single-instance guard: a lock file in the runtime folder, held for the
// life of the program, that records the holder's process id.
#include <sys/types.h>

#include <filesystem>

namespace platform {

class InstanceLock {
 public:
  explicit InstanceLock(std::filesystem::path file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock when no other copy holds it.
  bool TryAcquire();
  bool Held() const { return m_fd >= 0 && m_held; }
  // The process id the current holder wrote, or 0 when none is known.
  pid_t HolderPid() const;
  // Ends the holding process and waits at most timeoutMs for it to go,
  // taking the lock once it has. False when the process could not be ended.
  bool EndHolder(int timeoutMs);
  void Release();

  // The lock file of the runtime folder the harness names.
  static std::filesystem::path DefaultFile();

 private:
  std::filesystem::path m_file;
  int m_fd = -1;
  bool m_held = false;
};

}  // namespace platform
