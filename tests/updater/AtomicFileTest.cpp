#include "updater/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/TempDir.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

unsigned ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777u : 0u;
}

class Replace : public ::testing::Test {
 protected:
  TempDir dir;
  std::string source = dir.Join("new/tool");
  std::string target = dir.Join("prog/tool");
};

TEST_F(Replace, TargetGetsTheContentAndModeAndTheSourceStays) {
  WriteFileBytes(source, "new");
  chmod(source.c_str(), 0751);
  WriteFileBytes(target, "old content");
  ASSERT_TRUE(ReplaceWithCopy(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_EQ(ModeOf(target), 0751u);
  EXPECT_EQ(ReadFileBytes(source), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, SymlinkedSourceIsCopiedNotLinked) {
  WriteFileBytes(dir.Join("real"), "real data");
  fs::create_directories(dir.Join("new"));
  fs::create_symlink(dir.Join("real"), source);
  fs::create_directories(dir.Join("prog"));
  ASSERT_TRUE(ReplaceWithCopy(source, target));
  EXPECT_FALSE(fs::is_symlink(target));
  EXPECT_EQ(ReadFileBytes(target), "real data");
}

TEST_F(Replace, DirectoryInPlaceOfTheTargetIsLeftAlone) {
  WriteFileBytes(source, "new");
  WriteFileBytes(target + "/inner", "keep");
  EXPECT_FALSE(ReplaceWithCopy(source, target));
  EXPECT_EQ(ReadFileBytes(target + "/inner"), "keep");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, MissingSourceLeavesTheTargetUntouched) {
  WriteFileBytes(target, "old");
  EXPECT_FALSE(ReplaceWithCopy(source, target));
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(Replace, MissingTargetDirectoryFails) {
  WriteFileBytes(source, "new");
  EXPECT_FALSE(ReplaceWithCopy(source, target));
}

TEST_F(Replace, LeftoverOfAnInterruptedRunIsReplaced) {
  WriteFileBytes(source, "new");
  WriteFileBytes(TemporaryNameFor(target), "torn half of an earlier attempt");
  ASSERT_TRUE(ReplaceWithCopy(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, ReplacingTwiceFromTheSameSourceLeavesOneName) {
  WriteFileBytes(source, "new");
  fs::create_directories(dir.Join("prog"));
  ASSERT_TRUE(ReplaceWithCopy(source, target));
  ASSERT_TRUE(ReplaceWithCopy(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST(TemporaryName, IsAHiddenNameInTheSameDirectory) {
  EXPECT_EQ(TemporaryNameFor("/p/sub/a.txt"), "/p/sub/.a.txt.vendrel-part");
  EXPECT_EQ(TemporaryNameFor("a.txt"), ".a.txt.vendrel-part");
}

TEST(WriteAtomically, FailedWriteLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const std::string target = dir.Join("UpdateLog.xml");
  WriteFileBytes(target, "old log");
  EXPECT_FALSE(WriteAtomically(target, [](const std::string& temp) {
    WriteFileBytes(temp, "half");
    return false;
  }));
  EXPECT_EQ(ReadFileBytes(target), "old log");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST(WriteAtomically, GoodWriteReplacesTheFile) {
  TempDir dir;
  const std::string target = dir.Join("UpdateLog.xml");
  WriteFileBytes(target, "old log");
  EXPECT_TRUE(WriteAtomically(target, [](const std::string& temp) { return WriteFileBytes(temp, "new log"); }));
  EXPECT_EQ(ReadFileBytes(target), "new log");
}

}  // namespace
}  // namespace updater
