#pragma once
// The single-instance guard: a lock file in the runtime folder, held for the
// life of the program, that records the holder's process id.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

class InstanceLock {
 public:
  explicit InstanceLock(std::filesystem::path file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock when no other copy holds it. The file is never opened
  // through a symlink and must be a plain file; Opened() tells a lock held
  // elsewhere from one that cannot be used at all.
  bool TryAcquire();
  bool Opened() const { return m_fd >= 0; }
  bool Held() const { return m_fd >= 0 && m_held; }
  // The process id the current holder wrote, or 0 when none is known.
  pid_t HolderPid() const;
  // Ends the holding process and waits at most timeoutMs for it to go,
  // taking the lock once it has. Only this program run by this user is ended:
  // any other process named in the file is left alone and the result is false,
  // with the reason in `refusal`. No known holder, or one that outlives the
  // wait, gives true.
  bool EndHolder(int timeoutMs, std::string* refusal);
  void Release();

  // The lock file of the runtime folder; nothing when the folder is refused.
  static std::optional<std::filesystem::path> DefaultFile(std::string* refusal);

 private:
  std::filesystem::path m_file;
  int m_fd = -1;
  bool m_held = false;
};

// True when the process runs the same executable as this one, for this user.
bool IsThisProgramOfThisUser(pid_t pid);

}  // namespace platform
