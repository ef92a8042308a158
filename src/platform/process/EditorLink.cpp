#include "platform/process/EditorLink.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/process/RuntimeFolder.h"

namespace platform {
namespace {

void PutLittleEndian(unsigned char* out, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

}  // namespace

std::optional<std::filesystem::path> EditorSocketPath() {
  auto folder = RuntimeFolder(nullptr);
  if (!folder) return std::nullopt;
  return *folder / "zandrel-editor.sock";
}

void SendEditorNotice(int kind, int value) {
  const auto socketPath = EditorSocketPath();
  if (!socketPath) return;
  const std::string path = socketPath->string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return;
  unsigned char payload[8];
  PutLittleEndian(payload, kind);
  PutLittleEndian(payload + 4, value);
  sendto(fd, payload, sizeof payload, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(fd);
}

}  // namespace platform
