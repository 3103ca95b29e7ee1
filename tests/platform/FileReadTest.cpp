// Whole small files read without ever blocking: regular files up to the cap, nothing else.
#include "platform/FileRead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/FifoWriter.h"
#include "tests/support/TempDir.h"

namespace {

using platform::ReadRegularFile;

TEST(FileReadTest, ARegularFileUpToTheCapIsReadWhole) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("a"), std::string("ab\0c", 4)));
  EXPECT_EQ(ReadRegularFile(dir.Join("a"), 4), std::string("ab\0c", 4));
  EXPECT_EQ(ReadRegularFile(dir.Join("a"), 3), std::nullopt);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("empty"), ""));
  EXPECT_EQ(ReadRegularFile(dir.Join("empty"), 0), std::string());
}

TEST(FileReadTest, PipesDevicesDirectoriesAndMissingNamesGiveNothing) {
  testsupport::TempDir dir;
  testsupport::FifoWriter fifo(dir.Join("pipe"), "from the pipe");
  ASSERT_TRUE(fifo.Made());
  EXPECT_EQ(ReadRegularFile(dir.Join("pipe"), 1024), std::nullopt);
  fifo.Finish();
  EXPECT_EQ(ReadRegularFile("/dev/zero", 1024), std::nullopt);
  EXPECT_EQ(ReadRegularFile(dir.Path(), 1024), std::nullopt);
  EXPECT_EQ(ReadRegularFile(dir.Join("missing"), 1024), std::nullopt);
}

// Neither blocks: a pipe with no writer and a device are refused on the open handle.
TEST(FileReadTest, PipesAndDevicesAreAnInvalidArgument) {
  testsupport::TempDir dir;
  ASSERT_EQ(mkfifo(dir.Join("pipe").c_str(), 0600), 0);
  int error = 0;
  EXPECT_EQ(ReadRegularFile(dir.Join("pipe"), 1024, &error), std::nullopt);
  EXPECT_EQ(error, EINVAL);
  error = 0;
  EXPECT_EQ(ReadRegularFile("/dev/null", 1024, &error), std::nullopt);
  EXPECT_EQ(error, EINVAL);
}

TEST(FileReadTest, ALinkIsFollowedToWhatItNames) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("a"), "text"));
  ASSERT_EQ(symlink("a", dir.Join("b").c_str()), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.Join("z").c_str()), 0);
  EXPECT_EQ(ReadRegularFile(dir.Join("b"), 10), "text");
  EXPECT_EQ(ReadRegularFile(dir.Join("z"), 10), std::nullopt);
}

}  // namespace
