#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>

#include "platform/Harness.h"
#include "platform/process/EditorLink.h"
#include "platform/process/InstanceLock.h"
#include "platform/process/RuntimeFolder.h"
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
  std::string refusal;
  EXPECT_TRUE(second.EndHolder(500, &refusal)) << refusal;
  EXPECT_TRUE(second.Held());
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

// A symlink where the lock file should be, as another user could plant in a
// shared folder: it is not followed, its target is neither truncated nor
// locked, and the lock reports itself unusable rather than held elsewhere.
TEST(InstanceLockTest, SymlinkInPlaceOfTheLockFileIsNotFollowed) {
  testsupport::TempDir dir;
  std::ofstream(dir / "victim") << "precious";
  ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "zandrel.lock").c_str()), 0);
  InstanceLock lock(dir / "zandrel.lock");
  EXPECT_FALSE(lock.TryAcquire());
  EXPECT_FALSE(lock.Opened());
  EXPECT_EQ(lock.HolderPid(), 0);
  std::ifstream in(dir / "victim");
  std::string content;
  in >> content;
  EXPECT_EQ(content, "precious");
}

// A lock whose file names a process that is not the player (here a sleep of
// the system's) is held, yet that process is left running.
TEST(InstanceLockTest, HolderThatIsNotThePlayerIsNotEnded) {
  testsupport::TempDir dir;
  pid_t stranger = fork();
  ASSERT_GE(stranger, 0);
  if (stranger == 0) {
    execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  InstanceLock first(dir / "zandrel.lock");
  ASSERT_TRUE(first.TryAcquire());
  // Wait until the child runs sleep, not a copy of this program.
  for (int i = 0; i < 2000 && platform::IsThisProgramOfThisUser(stranger); ++i) usleep(1000);
  std::ofstream(dir / "zandrel.lock", std::ios::trunc) << stranger << "\n";
  InstanceLock second(dir / "zandrel.lock");
  EXPECT_FALSE(second.TryAcquire());
  std::string refusal;
  EXPECT_FALSE(second.EndHolder(500, &refusal));
  EXPECT_NE(refusal.find(std::to_string(stranger)), std::string::npos) << refusal;
  EXPECT_EQ(waitpid(stranger, nullptr, WNOHANG), 0) << "the stranger was ended";
  kill(stranger, SIGKILL);
  waitpid(stranger, nullptr, 0);
}

// The fallback runtime folder: made private when missing, refused when it is
// anything but this user's own closed folder.
TEST(RuntimeFolderTest, OnlyThisUsersClosedFolderIsAccepted) {
  testsupport::TempDir dir;
  std::string refusal;
  const auto fresh = dir / "fresh";
  ASSERT_TRUE(platform::MakePrivateFolder(fresh, &refusal)) << refusal;
  struct stat info {};
  ASSERT_EQ(lstat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(platform::MakePrivateFolder(fresh, &refusal)) << "a second start takes the same folder";

  const auto open = dir / "open";
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open.c_str(), 0755), 0);
  EXPECT_FALSE(platform::MakePrivateFolder(open, &refusal));
  EXPECT_NE(refusal.find("open to other users"), std::string::npos) << refusal;

  const auto link = dir / "link";
  ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
  EXPECT_FALSE(platform::MakePrivateFolder(link, &refusal));
  EXPECT_NE(refusal.find("not a folder"), std::string::npos) << refusal;

  std::ofstream(dir / "file") << "x";
  EXPECT_FALSE(platform::MakePrivateFolder(dir / "file", &refusal));

  if (getuid() == 0) {  // only root can give a folder away
    const auto foreign = dir / "foreign";
    ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(platform::MakePrivateFolder(foreign, &refusal));
    EXPECT_NE(refusal.find("owned by user 65534"), std::string::npos) << refusal;
  }
}

TEST(RuntimeFolderTest, WithoutAnyRuntimeFolderNamedTheUsersOwnFolderBelowTmpIsTaken) {
  platform::SetHarnessForTesting(platform::HarnessSettings{});
  EXPECT_EQ(platform::FallbackRuntimeFolder(), "/tmp/zandrel-" + std::to_string(getuid()));
  std::string refusal;
  const auto folder = platform::RuntimeFolder(&refusal);
  ASSERT_TRUE(folder.has_value()) << refusal;
  EXPECT_EQ(*folder, platform::FallbackRuntimeFolder());
  EXPECT_EQ(platform::EditorSocketPath(), *folder / "zandrel-editor.sock");
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
  std::strcpy(address.sun_path, platform::EditorSocketPath().value().c_str());
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
