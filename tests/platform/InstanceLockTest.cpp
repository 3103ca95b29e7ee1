#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

using platform::InstanceLock;

namespace {

std::string UniqueName(const char* what) {
  return platform::InstanceLockName(std::string("Test") + what + std::to_string(::getpid()), "Zemba");
}

// Forks a child that takes the lock and reports through a pipe; the child then sleeps.
pid_t ChildHolding(const std::string& name, bool& acquired) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    InstanceLock lock;
    char ok = lock.Acquire(name) ? 1 : 0;
    (void)!::write(fds[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  ::close(fds[1]);
  char ok = 0;
  acquired = ::read(fds[0], &ok, 1) == 1 && ok == 1;
  ::close(fds[0]);
  return pid;
}

}  // namespace

TEST(InstanceLock, NameIsMachineWideForm) {
  EXPECT_EQ(platform::InstanceLockName("Vendrel", "Zemba"), "Global\\Vendrel_Zemba");
}

TEST(InstanceLock, SecondHolderInSameProcessIsRefused) {
  const std::string name = UniqueName("Same");
  InstanceLock first, second;
  EXPECT_TRUE(first.Acquire(name));
  EXPECT_TRUE(first.Acquire(name));  // again: still held
  EXPECT_FALSE(second.Acquire(name));
  EXPECT_TRUE(InstanceLock::IsTaken(name));
  first.Release();
  EXPECT_FALSE(InstanceLock::IsTaken(name));
  EXPECT_TRUE(second.Acquire(name));
}

TEST(InstanceLock, TestingDoesNotHoldTheName) {
  const std::string name = UniqueName("Probe");
  EXPECT_FALSE(InstanceLock::IsTaken(name));
  InstanceLock lock;
  EXPECT_TRUE(lock.Acquire(name));
}

TEST(InstanceLock, TestingNeverMakesAStartingHolderFail) {
  const std::string name = UniqueName("Race");
  std::atomic<bool> stop{false};
  std::thread prober([&] {
    while (!stop) InstanceLock::IsTaken(name);
  });
  int refused = 0;
  for (int i = 0; i < 3000; ++i) {
    InstanceLock lock;
    if (!lock.Acquire(name)) ++refused;
  }
  stop = true;
  prober.join();
  EXPECT_EQ(refused, 0);
}

TEST(InstanceLock, AnotherProcessContendsAndTheLockIsFreedWhenItsHolderIsKilled) {
  const std::string name = UniqueName("Kill");
  bool childGotIt = false;
  pid_t pid = ChildHolding(name, childGotIt);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(childGotIt);
  InstanceLock mine;
  EXPECT_FALSE(mine.Acquire(name));
  EXPECT_TRUE(InstanceLock::IsTaken(name));
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  EXPECT_FALSE(InstanceLock::IsTaken(name));
  EXPECT_TRUE(mine.Acquire(name));
}

TEST(InstanceLock, MovedLockKeepsHoldingAndReleasesOnce) {
  const std::string name = UniqueName("Move");
  InstanceLock a;
  ASSERT_TRUE(a.Acquire(name));
  InstanceLock b(std::move(a));
  EXPECT_FALSE(a.IsHeld());
  EXPECT_TRUE(b.IsHeld());
  EXPECT_TRUE(InstanceLock::IsTaken(name));
  b = InstanceLock();
  EXPECT_FALSE(InstanceLock::IsTaken(name));
}
