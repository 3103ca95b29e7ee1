// Why a whole-file read gave nothing, in the C library's errno numbers on every platform.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/FileRead.h"
#include "tests/support/TempDir.h"

namespace {

using platform::ReadRegularFile;

TEST(FileReadError, MissingNameIsNoSuchFile) {
  testsupport::TempDir dir;
  int error = 0;
  EXPECT_EQ(ReadRegularFile(dir.Join("missing"), 10, &error), std::nullopt);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(ReadRegularFile(dir.Join("missing/deeper"), 10, &error), std::nullopt);
  EXPECT_EQ(error, ENOENT);
}

TEST(FileReadError, DirectoryIsSaidToBeOne) {
  testsupport::TempDir dir;
  int error = 0;
  EXPECT_EQ(ReadRegularFile(dir.Path(), 10, &error), std::nullopt);
  EXPECT_EQ(error, EISDIR);
}

TEST(FileReadError, FileLargerThanTheCapIsTooLarge) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("a"), "abcd"));
  int error = 0;
  EXPECT_EQ(ReadRegularFile(dir.Join("a"), 3, &error), std::nullopt);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadRegularFile(dir.Join("a"), 4, &error), "abcd");
}

TEST(FileReadError, MessagesAreTheCLibrarys) {
  EXPECT_EQ(platform::ErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(platform::ErrorText(EISDIR), "Is a directory");
  EXPECT_EQ(platform::ErrorText(EFBIG), "File too large");
}

}  // namespace
