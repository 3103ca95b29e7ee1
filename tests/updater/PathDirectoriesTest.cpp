#include "updater/PathDirectories.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "updater/ListPaths.h"

using updater::CreatePathDirectories;

TEST(CreatePathDirectories, CreatesTheBaseAndEachLevelOfABackslashPath) {
  testsupport::TempDir dir;
  text::WString base = text::FromUtf8(dir.Join("base"));
  CreatePathDirectories(u"a\\b", base);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Join("base/a/b")));
}

TEST(CreatePathDirectories, EmptyRelativePathCreatesOnlyTheBase) {
  testsupport::TempDir dir;
  CreatePathDirectories(u"", text::FromUtf8(dir.Join("base")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Join("base")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Join("base")));
}

// A file where a level should be stays as it is; the write that follows reports the failure.
TEST(CreatePathDirectories, AFileWhereALevelShouldBeIsLeftAlone) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("base/file"), "x"));
  CreatePathDirectories(u"file\\sub", text::FromUtf8(dir.Join("base")));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.Join("base/file")));
  EXPECT_EQ(testsupport::ReadFileBytes(dir.Join("base/file")), "x");
}

TEST(ListPaths, BareFileNamesAreSafe) {
  EXPECT_TRUE(updater::IsSafeFileName(u"game.exe"));
  EXPECT_TRUE(updater::IsSafeFileName(u"游戏 1.dat"));
  EXPECT_TRUE(updater::IsSafeFileName(u"..hidden"));
}

TEST(ListPaths, FileNamesThatNameADirectoryOrCarryAPathAreUnsafe) {
  for (const char16_t* name : {u"", u".", u"..", u"a/b", u"a\\b", u"/etc", u"bad\tname"}) {
    EXPECT_FALSE(updater::IsSafeFileName(name)) << text::ToUtf8(name);
  }
  EXPECT_FALSE(updater::IsSafeFileName(text::WString(u"a\0b", 3)));
}

TEST(ListPaths, RelativeBackslashPathsAreSafe) {
  EXPECT_TRUE(updater::IsSafeFilePath(u""));
  EXPECT_TRUE(updater::IsSafeFilePath(u"data"));
  EXPECT_TRUE(updater::IsSafeFilePath(u"data\\maps\\新"));
}

TEST(ListPaths, PathsThatLeaveTheirDirectoryAreUnsafe) {
  for (const char16_t* path : {u"..", u"..\\x", u"a\\..\\..\\x", u"a\\..", u"\\root", u"C:\\Windows", u"C:x",
                               u"a\\\\b", u"a\\", u"a/b", u"/etc", u".\\a"}) {
    EXPECT_FALSE(updater::IsSafeFilePath(path)) << text::ToUtf8(path);
  }
}

TEST(ListPaths, LocalFormUsesSlashes) {
  EXPECT_EQ(updater::LocalRelativePath(u"a\\b\\c"), u"a/b/c");
  EXPECT_EQ(updater::LocalRelativePath(u""), u"");
}
