#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/Harness.h"
#include "platform/process/EditorLink.h"
#include "platform/process/InstanceLock.h"
#include "support/TempDir.h"

namespace {

using platform::InstanceLock;

TEST(InstanceLockTest, SecondCopySeesTheFirstUntilReleased) {
  testsupport::TempDir dir;
  InstanceLock first(dir / "zandrel.lock");
  InstanceLock second(dir / "zandrel.lock");
  ASSERT_TRUE(first.TryAcquire());
  EXPECT_FALSE(second.TryAcquire());
  EXPECT_EQ(second.HolderPid(), getpid());
  first.Release();
  EXPECT_TRUE(second.TryAcquire());
}

TEST(InstanceLockTest, EndHolderEndsTheRunningCopy) {
  testsupport::TempDir dir;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstanceLock held(dir / "zandrel.lock");
    char ok = held.TryAcquire() ? '1' : '0';
    [[maybe_unused]] ssize_t written = write(ready[1], &ok, 1);
    for (;;) pause();
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  InstanceLock second(dir / "zandrel.lock");
  EXPECT_FALSE(second.TryAcquire());
  EXPECT_EQ(second.HolderPid(), child);
  EXPECT_TRUE(second.EndHolder(500));
  EXPECT_TRUE(second.Held());
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

TEST(EditorLinkTest, NoticeArrivesAsKindAndValue) {
  testsupport::TempDir dir;
  platform::HarnessSettings settings;
  settings.runtimeDir = dir.Path().string();
  platform::SetHarnessForTesting(settings);
  platform::SendEditorNotice(1, 1);  // nobody listens yet: nothing happens

  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, platform::EditorSocketPath().c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  platform::SendEditorNotice(0, -2);
  unsigned char payload[16];
  ASSERT_EQ(recv(fd, payload, sizeof payload, 0), 8);
  const unsigned char expected[8] = {0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(payload, expected, 8), 0);
  close(fd);
  platform::SetHarnessForTesting(platform::HarnessSettings{});
}

}  // namespace
