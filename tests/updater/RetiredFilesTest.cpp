// Which files an update retires: only what the installed release put there, still untouched,
// and never anything reached through a link or outside the program directory.
#include "updater/RetiredFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/FileLinks.h"
#include "tests/support/TempDir.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/ListPaths.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

InstalledFile Listed(const char16_t* path, const std::string& data) {
  return {path, static_cast<int32_t>(data.size()), text::FromUtf8(CrcOf(data))};
}

class Retire : public ::testing::Test {
 protected:
  std::string Put(const std::string& relative, const std::string& data) {
    EXPECT_TRUE(WriteFileBytes(prog + "/" + relative, data));
    return prog + "/" + relative;
  }
  std::vector<text::WString> RunWith(const std::vector<InstalledFile>& installed,
                                     const std::vector<InstalledFile>& release) {
    return RemoveRetiredFiles(text::FromUtf8(prog), installed, release).removed;
  }
  bool Exists(const std::string& relative) const { return fs::exists(fs::symlink_status(prog + "/" + relative)); }

  TempDir root;
  std::string prog = root.Join("prog");
};

TEST_F(Retire, UnchangedFileTheReleaseDropsIsRemoved) {
  Put("old.pak", "old content");
  Put("sub/deep/old.dat", "deep");
  Put("game.exe", "game");
  const auto removed = RunWith({Listed(u"old.pak", "old content"), Listed(u"sub\\deep\\old.dat", "deep"), Listed(u"game.exe", "game")},
                               {Listed(u"game.exe", "game")});
  EXPECT_EQ(removed, (std::vector<text::WString>{u"old.pak", u"sub\\deep\\old.dat"}));
  EXPECT_FALSE(Exists("old.pak"));
  EXPECT_FALSE(Exists("sub/deep/old.dat"));
  EXPECT_TRUE(Exists("game.exe"));
  EXPECT_TRUE(Exists("sub/deep")) << "directories stay: nothing tells which the updater made";
}

// What cannot be removed now is given back for the files record, so the next update tries again
// (on Windows a running program holds its files; here a directory that forbids removal).
TEST_F(Retire, FileThatCannotBeRemovedIsGivenBackForTheNextUpdate) {
  Put("locked/old.pak", "old content");
  Put("free.pak", "free");
  fs::permissions(prog + "/locked", fs::perms::owner_write, fs::perm_options::remove);
  const Retirement result = RemoveRetiredFiles(text::FromUtf8(prog),
                                               {Listed(u"locked\\old.pak", "old content"), Listed(u"free.pak", "free")}, {});
  fs::permissions(prog + "/locked", fs::perms::owner_write, fs::perm_options::add);
  if (!Exists("locked/old.pak")) GTEST_SKIP() << "this user may remove files from a read-only directory (root)";
  EXPECT_EQ(result.removed, (std::vector<text::WString>{u"free.pak"}));
  EXPECT_EQ(result.left, (std::vector<InstalledFile>{Listed(u"locked\\old.pak", "old content")}));
}

TEST_F(Retire, FileThePlayerChangedIsKept) {
  Put("same-size.ini", "edited!");
  Put("longer.ini", "the player wrote more here");
  const auto removed = RunWith({Listed(u"same-size.ini", "default"), Listed(u"longer.ini", "short")}, {});
  EXPECT_TRUE(removed.empty());
  EXPECT_EQ(ReadFileBytes(prog + "/same-size.ini"), "edited!");
  EXPECT_EQ(ReadFileBytes(prog + "/longer.ini"), "the player wrote more here");
}

TEST_F(Retire, FileThePlayerMadeBesideARetiredOneIsKept) {
  Put("saves/slot1.sav", "a save");
  Put("saves/old.sav", "shipped example");
  const auto removed = RunWith({Listed(u"saves\\old.sav", "shipped example")}, {});
  EXPECT_EQ(removed, (std::vector<text::WString>{u"saves\\old.sav"}));
  EXPECT_EQ(ReadFileBytes(prog + "/saves/slot1.sav"), "a save");
}

TEST_F(Retire, TheUpdaterOwnFilesAreKeptInAnySpelling) {
  const std::vector<std::string> own = {"Update.cfg", "Vendrel", "Vendrel.exe", "UpdateKeys.pub", "vendrel.EXE"};
  std::vector<InstalledFile> installed;
  for (const std::string& name : own) {
    Put(name, "own " + name);
    installed.push_back(Listed(text::FromUtf8(name).c_str(), "own " + name));
  }
  EXPECT_TRUE(RunWith(installed, {}).empty());
  for (const std::string& name : own) EXPECT_TRUE(Exists(name)) << name;
}

TEST_F(Retire, FileRenamedOnlyInCase) {
  // On Windows both names are one file (the release's); on Linux they are two.
  Put("Data/A.pak", "pak");
  Put("data/a.pak", "pak");
  const auto removed = RunWith({Listed(u"Data\\A.pak", "pak")}, {Listed(u"data\\a.pak", "pak")});
#if defined(_WIN32)
  EXPECT_TRUE(removed.empty());
  EXPECT_EQ(ReadFileBytes(prog + "/data/a.pak"), "pak");
#else
  EXPECT_EQ(removed, (std::vector<text::WString>{u"Data\\A.pak"}));
  EXPECT_FALSE(Exists("Data/A.pak"));
  EXPECT_EQ(ReadFileBytes(prog + "/data/a.pak"), "pak");
#endif
}

TEST_F(Retire, NamesCompareAsTheFileSystemDoes) {
#if defined(_WIN32)
  EXPECT_EQ(FileSystemKey(u"Data\\A.pak"), FileSystemKey(u"data/a.pak"));
  EXPECT_EQ(FileSystemKey(u"dir. \\Ä.pak. "), FileSystemKey(u"DIR\\ä.PAK"));
#else
  EXPECT_NE(FileSystemKey(u"Data\\A.pak"), FileSystemKey(u"data\\a.pak"));
  EXPECT_NE(FileSystemKey(u"dir\\a.pak"), FileSystemKey(u"dir/a.pak"));
  EXPECT_NE(FileSystemKey(u"a.pak."), FileSystemKey(u"a.pak"));
#endif
  EXPECT_EQ(FileSystemKey(u"数据\\文件.pak"), FileSystemKey(u"数据\\文件.pak"));
}

TEST_F(Retire, LinkInPlaceOfARetiredFileIsKeptAndItsTargetUntouched) {
  const std::string target = root.Join("elsewhere.pak");
  WriteFileBytes(target, "old content");
  fs::create_directories(prog);
  if (!PlantLink(target, prog + "/old.pak")) GTEST_SKIP() << kNoLinks;
  EXPECT_TRUE(RunWith({Listed(u"old.pak", "old content")}, {}).empty());
  EXPECT_TRUE(IsLink(prog + "/old.pak"));
  EXPECT_EQ(ReadFileBytes(target), "old content");
}

TEST_F(Retire, LinkedDirectoryOnTheWayIsNotEntered) {
  const std::string outside = root.Join("outside");
  WriteFileBytes(outside + "/old.pak", "old content");
  fs::create_directories(prog);
  if (!PlantLink(outside, prog + "/data", true)) GTEST_SKIP() << kNoLinks;
  EXPECT_TRUE(RunWith({Listed(u"data\\old.pak", "old content")}, {}).empty());
  EXPECT_EQ(ReadFileBytes(outside + "/old.pak"), "old content");
}

TEST_F(Retire, DirectoryInPlaceOfARetiredFileIsKept) {
  Put("old.pak/inside", "x");
  EXPECT_TRUE(RunWith({Listed(u"old.pak", "")}, {}).empty());
  EXPECT_EQ(ReadFileBytes(prog + "/old.pak/inside"), "x");
}

TEST_F(Retire, RecordedNamesNeverReachOutsideTheProgramDirectory) {
  const std::string outside = root.Join("outside.txt");
  WriteFileBytes(outside, "bait");
  Put("sub/keep.txt", "sub");
  std::string absolute = outside;
  std::string backslashed = outside;
  for (char& c : backslashed) if (c == '/') c = '\\';
  const std::vector<std::string> hostile = {
      "..\\outside.txt", "sub\\..\\..\\outside.txt", "../outside.txt", "sub/../../outside.txt", "..",
      absolute, backslashed, "\\..\\outside.txt", "C:\\outside.txt", "C:..\\outside.txt", ".\\..\\outside.txt",
      "sub\\\\..\\..\\outside.txt", "sub\\.\\..\\..\\outside.txt"};
  std::vector<InstalledFile> installed;
  for (const std::string& path : hostile) installed.push_back(Listed(text::FromUtf8(path).c_str(), "bait"));
  EXPECT_TRUE(RunWith(installed, {}).empty());
  EXPECT_EQ(ReadFileBytes(outside), "bait");
  EXPECT_EQ(ReadFileBytes(prog + "/sub/keep.txt"), "sub");
}

TEST_F(Retire, ProgramDirectoryGivenThroughALinkStillRetires) {
  Put("old.pak", "old");
  if (!PlantLink(prog, root.Join("via"), true)) GTEST_SKIP() << kNoLinks;
  EXPECT_EQ(RemoveRetiredFiles(text::FromUtf8(root.Join("via")), {Listed(u"old.pak", "old")}, {}).removed,
            (std::vector<text::WString>{u"old.pak"}));
  EXPECT_FALSE(Exists("old.pak"));
}

TEST_F(Retire, CandidatesLeaveOutNamedOwnAndUnsafeNames) {
  const auto candidates = RetiredCandidates(
      {Listed(u"a.pak", "a"), Listed(u"kept.pak", "k"), Listed(u"Update.cfg", "u"), Listed(u"..\\up", "x"),
       Listed(u"a.pak", "a")},
      {Listed(u"kept.pak", "k")});
  EXPECT_EQ(candidates, (std::vector<InstalledFile>{Listed(u"a.pak", "a")}));
}

}  // namespace
}  // namespace updater
