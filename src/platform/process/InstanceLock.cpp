#include "platform/process/InstanceLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

#include "platform/Clock.h"
#include "platform/Harness.h"

namespace platform {
namespace {

// Open-file-description locks conflict between two opens in one process too,
// so a second copy is seen even when both live in one test process.
bool LockWhole(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

InstanceLock::InstanceLock(std::filesystem::path file) : m_file(std::move(file)) {}

InstanceLock::~InstanceLock() { Release(); }

std::filesystem::path InstanceLock::DefaultFile() {
  return std::filesystem::path(Harness().runtimeDir) / "zandrel.lock";
}

bool InstanceLock::TryAcquire() {
  if (Held()) return true;
  if (m_fd < 0) m_fd = open(m_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (m_fd < 0 || !LockWhole(m_fd, F_WRLCK)) return false;
  m_held = true;
  std::string pid = std::to_string(getpid()) + "\n";
  // Should the write fail, the lock still guards; a second copy just cannot name us.
  if (ftruncate(m_fd, 0) == 0) {
    [[maybe_unused]] ssize_t written = pwrite(m_fd, pid.data(), pid.size(), 0);
  }
  return true;
}

pid_t InstanceLock::HolderPid() const {
  int fd = open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[32] = {};
  ssize_t got = pread(fd, buffer, sizeof buffer - 1, 0);
  close(fd);
  pid_t pid = 0;
  if (got <= 0 || std::from_chars(buffer, buffer + got, pid).ec != std::errc()) return 0;
  return pid > 0 ? pid : 0;
}

bool InstanceLock::EndHolder(int timeoutMs) {
  pid_t pid = HolderPid();
  if (pid == 0 || pid == getpid()) return true;
  if (kill(pid, SIGKILL) != 0) return errno == ESRCH;
  // The lock falls free the moment the process has gone.
  DWORD start = timeGetTime();
  while (!TryAcquire() && !TimeReached(timeGetTime(), start + static_cast<DWORD>(timeoutMs))) Sleep(1);
  return true;
}

void InstanceLock::Release() {
  if (m_fd < 0) return;
  if (m_held) LockWhole(m_fd, F_UNLCK);
  close(m_fd);
  m_fd = -1;
  m_held = false;
}

}  // namespace platform
