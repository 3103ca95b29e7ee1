// Started programs: working directory, argument vector, end detection, no inherited handles.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "platform/LaunchDetached.h"
#include "tests/support/Recorder.h"
#include "tests/support/TempDir.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteFileBytes;

// A pipe whose write end is inheritable; true when the read end sees end-of-file, i.e. no
// other process holds the write end any more.
class InheritablePipe {
 public:
  InheritablePipe() {
    int fds[2];
    if (::pipe(fds) == 0) {
      read_ = fds[0];
      write_ = fds[1];
      ::fcntl(read_, F_SETFL, O_NONBLOCK);
    }
  }
  ~InheritablePipe() {
    if (read_ >= 0) ::close(read_);
    CloseWriteEnd();
  }
  void CloseWriteEnd() {
    if (write_ >= 0) ::close(write_);
    write_ = -1;
  }
  bool AtEndOfFile() const {
    char c;
    return ::read(read_, &c, 1) == 0;
  }

 private:
  int read_ = -1;
  int write_ = -1;
};

TEST(ChildProcessTest, GameGetsNoHandlesOfTheLobby) {
  TempDir dir;
  std::string exe = dir.Join("G/G");
  ASSERT_TRUE(testsupport::InstallRecorder(exe));
  WriteFileBytes(exe + ".hold", "");
  InheritablePipe pipe;
  auto child = platform::ChildProcess::Start(exe, {"G", "-x"}, dir.Join("G"));
  ASSERT_TRUE(child);
  EXPECT_EQ(testsupport::WaitForRecord(exe), (std::vector<std::string>{dir.Join("G"), "G", "-x"}));
  pipe.CloseWriteEnd();
  EXPECT_TRUE(pipe.AtEndOfFile());  // the running child does not hold it
  EXPECT_FALSE(child->HasEnded());
  std::filesystem::remove(exe + ".hold");
  for (int i = 0; i < 500 && !child->HasEnded(); ++i) ::usleep(10000);
  EXPECT_TRUE(child->HasEnded());
}

TEST(ChildProcessTest, MissingProgramDoesNotStart) {
  TempDir dir;
  EXPECT_FALSE(platform::ChildProcess::Start(dir.Join("none"), {"none"}, dir.Path()));
  EXPECT_FALSE(platform::LaunchDetached(dir.Join("none"), {"none"}));
}

TEST(ChildProcessTest, DetachedProgramRunsInTheCallersDirectoryInItsOwnSession) {
  TempDir dir;
  ASSERT_TRUE(testsupport::InstallRecorder(dir.Join("V")));
  ASSERT_TRUE(platform::LaunchDetached(dir.Join("V"), {"V", "-reboot"}));
  auto record = testsupport::WaitForRecord(dir.Join("V"));
  EXPECT_EQ(record, (std::vector<std::string>{std::filesystem::current_path().string(), "V", "-reboot"}));
}

}  // namespace
