#include "platform/process/InstanceLock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

#include "platform/Clock.h"
#include "platform/process/RuntimeFolder.h"

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

// A plain file opened without following a symlink in its place.
int OpenPlainFile(const std::filesystem::path& file, int flags) {
  int fd = open(file.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
  struct stat info {};
  if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(fd);
    fd = -1;
  }
  return fd;
}

bool SameFile(const char* a, const char* b) {
  struct stat first {
  }, second{};
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace

InstanceLock::InstanceLock(std::filesystem::path file) : m_file(std::move(file)) {}

InstanceLock::~InstanceLock() { Release(); }

bool IsThisProgramOfThisUser(pid_t pid) {
  const std::string process = "/proc/" + std::to_string(pid);
  struct stat info {};
  return stat(process.c_str(), &info) == 0 && info.st_uid == getuid() &&
         SameFile((process + "/exe").c_str(), "/proc/self/exe");
}

std::optional<std::filesystem::path> InstanceLock::DefaultFile(std::string* refusal) {
  auto folder = RuntimeFolder(refusal);
  if (!folder) return std::nullopt;
  return *folder / "zandrel.lock";
}

bool InstanceLock::TryAcquire() {
  if (Held()) return true;
  if (m_fd < 0) m_fd = OpenPlainFile(m_file, O_RDWR | O_CREAT);
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
  int fd = OpenPlainFile(m_file, O_RDONLY);
  if (fd < 0) return 0;
  char buffer[32] = {};
  ssize_t got = pread(fd, buffer, sizeof buffer - 1, 0);
  close(fd);
  pid_t pid = 0;
  if (got <= 0 || std::from_chars(buffer, buffer + got, pid).ec != std::errc()) return 0;
  return pid > 0 ? pid : 0;
}

bool InstanceLock::EndHolder(int timeoutMs, std::string* refusal) {
  pid_t pid = HolderPid();
  if (pid == 0 || pid == getpid()) return true;
  if (!IsThisProgramOfThisUser(pid)) {
    if (kill(pid, 0) != 0 && errno == ESRCH) return true;  // nobody to end
    if (refusal) *refusal = "process " + std::to_string(pid) + " named by the lock is not this program of this user";
    return false;
  }
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
