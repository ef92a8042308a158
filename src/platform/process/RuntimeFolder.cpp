#include "platform/process/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Harness.h"

namespace platform {

std::filesystem::path FallbackRuntimeFolder() { return "/tmp/zandrel-" + std::to_string(getuid()); }

bool MakePrivateFolder(const std::filesystem::path& folder, std::string* refusal) {
  auto refuse = [&](const std::string& why) {
    if (refusal) *refusal = folder.string() + ": " + why;
    return false;
  };
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return refuse(std::strerror(errno));
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0) return refuse(std::strerror(errno));
  if (!S_ISDIR(info.st_mode)) return refuse("not a folder");
  if (info.st_uid != getuid()) return refuse("owned by user " + std::to_string(info.st_uid));
  if ((info.st_mode & 077) != 0) return refuse("open to other users");
  return true;
}

std::optional<std::filesystem::path> RuntimeFolder(std::string* refusal) {
  if (!Harness().runtimeDir.empty()) return std::filesystem::path(Harness().runtimeDir);
  std::filesystem::path folder = FallbackRuntimeFolder();
  if (!MakePrivateFolder(folder, refusal)) return std::nullopt;
  return folder;
}

}  // namespace platform
