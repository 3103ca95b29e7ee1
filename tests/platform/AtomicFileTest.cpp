#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "tests/support/FileLinks.h"
#include "tests/support/FileModes.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr unsigned kOwnMode = 0444;  // read-only: the one mode bit a Windows file keeps
#else
constexpr unsigned kOwnMode = 0755;
#endif

// Stage, flush and commit one file, as the install does for many.
bool ReplaceOne(const std::string& source, const std::string& target) {
  const Staging staged = StageReplacement(source, target);
  if (staged != Staging::kStaged) return staged == Staging::kAlreadyInPlace;
  if (FlushFiles({TemporaryNameFor(target)}) && CommitReplacement(target)) return true;
  DiscardReplacement(target);
  return false;
}

using testsupport::FileSizeLimit;

class Replace : public ::testing::Test {
 protected:
  TempDir dir;
  std::string source = dir.Join("new/tool");
  std::string target = dir.Join("prog/tool");
};

TEST_F(Replace, TargetGetsTheContentAndModeAndTheSourceStays) {
  WriteFileBytes(source, "new");
  chmod(source.c_str(), kOwnMode);
  WriteFileBytes(target, "old");
  ASSERT_TRUE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_EQ(testsupport::ModeOf(target), kOwnMode);
  EXPECT_EQ(ReadFileBytes(source), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, StagingLeavesTheTargetUntouchedUntilTheCommit) {
  WriteFileBytes(source, "new");
  WriteFileBytes(target, "old");
  ASSERT_EQ(StageReplacement(source, target), Staging::kStaged);
  EXPECT_EQ(ReadFileBytes(target), "old");
  DiscardReplacement(target);
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, LinkPlantedAsTheSourceIsNotFollowed) {
  WriteFileBytes(dir.Join("secret"), "not for the program directory");
  fs::create_directories(dir.Join("new"));
  if (!PlantLink(dir.Join("secret"), source)) GTEST_SKIP() << kNoLinks;
  WriteFileBytes(target, "old");
  EXPECT_FALSE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(Replace, DirectoryInPlaceOfTheTargetIsLeftAlone) {
  WriteFileBytes(source, "new");
  WriteFileBytes(target + "/inner", "keep");
  EXPECT_FALSE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target + "/inner"), "keep");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, MissingSourceOrTargetDirectoryFailsWithTheTargetUntouched) {
  WriteFileBytes(target, "old");
  EXPECT_FALSE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target), "old");
  WriteFileBytes(source, "new");
  EXPECT_FALSE(ReplaceOne(source, dir.Join("absent/tool")));
}

TEST_F(Replace, LeftoverOfAnInterruptedRunIsReplaced) {
  WriteFileBytes(source, "new");
  WriteFileBytes(TemporaryNameFor(target), "torn half of an earlier attempt");
  ASSERT_TRUE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST_F(Replace, SecondReplaceOfTheSameFileIsHarmless) {
  WriteFileBytes(source, "new");
  fs::create_directories(dir.Join("prog"));
  ASSERT_TRUE(ReplaceOne(source, target));
  ASSERT_TRUE(ReplaceOne(source, target));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST(TemporaryName, SitsBesideTheTargetAndAlwaysFitsTheNameLimit) {
  EXPECT_EQ(TemporaryNameFor("/p/sub/a.txt"), "/p/sub/.a.txt.vendrel-part");
  EXPECT_EQ(TemporaryNameFor("a.txt"), ".a.txt.vendrel-part");
  const std::string longName(250, 'n');
  const std::string temp = TemporaryNameFor("/p/" + longName);
  EXPECT_EQ(temp.rfind("/p/.", 0), 0u);
  EXPECT_LE(temp.size() - 3, 255u);
  EXPECT_EQ(temp, TemporaryNameFor("/p/" + longName)) << "fixed per target";
  EXPECT_NE(temp, TemporaryNameFor("/p/" + longName + "x"));
}

TEST(ReplaceFileContent, GoodWriteReplacesTheFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string target = dir.Join("log.xml");
  WriteFileBytes(target, "old log");
  EXPECT_TRUE(ReplaceFileContent(target, "new log"));
  EXPECT_EQ(ReadFileBytes(target), "new log");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST(ReplaceFileContent, FullDiskLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string target = dir.Join("log.xml");
  WriteFileBytes(target, "a good old log");
  if (!FileSizeLimit::Supported()) GTEST_SKIP() << "no per-process file size limit to play a full disk here";
  {
    FileSizeLimit full(4);
    EXPECT_FALSE(ReplaceFileContent(target, "a new log that does not fit"));
  }
  EXPECT_EQ(ReadFileBytes(target), "a good old log");
  EXPECT_FALSE(fs::exists(TemporaryNameFor(target)));
}

TEST(ReplaceFileContent, LinkPlantedAtTheTemporaryNameIsNotWrittenThrough) {
  TempDir dir;
  const std::string target = dir.Join("log.xml");
  WriteFileBytes(dir.Join("elsewhere"), "untouched");
  if (!PlantLink(dir.Join("elsewhere"), TemporaryNameFor(target))) GTEST_SKIP() << kNoLinks;
  EXPECT_TRUE(ReplaceFileContent(target, "log"));
  EXPECT_EQ(ReadFileBytes(dir.Join("elsewhere")), "untouched");
  EXPECT_EQ(ReadFileBytes(target), "log");
}

}  // namespace
}  // namespace platform
