// What a hostile server, a full disk or a careless list must never do: lose an installed file,
// write outside the two directories, or remove what the updater did not make.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/FileLinks.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/LiveThread.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

using testsupport::FileSizeLimit;

// A directory on another file system than the program directory (RAM), so staging must copy.
// None on Windows.
class OtherFileSystemDir {
 public:
  OtherFileSystemDir() {
#if !defined(_WIN32)
    char pattern[] = "/dev/shm/vendrel-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
#endif
  }
  ~OtherFileSystemDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

uint64_t SizeOr0(const std::string& path) {
  std::error_code ec;
  const uint64_t size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

// The list of `files`, zipped with the CRC stored for it replaced by a wrong one.
std::string ListArchiveWithWrongStoredCrc(const std::vector<FileRecord>& records) {
  TempDir scratch;
  UpdateList list;
  for (const FileRecord& r : records) list.Add(r);
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  ZipItem item = UnixFile("UpdateList.xml", ReadFileBytes(scratch.Join("UpdateList.xml")));
  item.deflate = false;
  const std::string path = scratch.Join("list.zip");
  WriteZip(path, {item});
  std::string zip = ReadFileBytes(path);
  zip[14] ^= 0x5A;  // CRC in the local header
  const size_t central = zip.find(std::string("PK\x01\x02", 4));
  if (central != std::string::npos) zip[central + 16] ^= 0x5A;  // and in the central directory
  return zip;
}

using Safety = testsupport::ServedInstall;


// --- an installed file is never lost ------------------------------------------------------------

TEST_F(Safety, NameTooLongForTheUsualTemporaryNameIsStillInstalled) {
  const std::string name(250, 'n');
  WriteFileBytes(install.prog + "/" + name, "old");
  PublishAndServe({{"", name, "new"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed(name), "new");
  EXPECT_FALSE(fs::exists(install.prog + "/" + name + ".bak"));
}

TEST_F(Safety, FullDiskWhileStagingKeepsEveryOldFileUnderItsName) {
  if (!FileSizeLimit::Supported()) GTEST_SKIP() << "no per-process file size limit to play a full disk here";
  OtherFileSystemDir ram;
  ASSERT_FALSE(ram.Path().empty());
  install.down = ram.Path() + "/down";
  WriteFileBytes(install.prog + "/a.txt", "old a");
  WriteFileBytes(install.prog + "/b.txt", "old b");
  PublishAndServe({{"", "a.txt", std::string(4000, 'a')}, {"", "b.txt", std::string(4000, 'b')}});
  auto worker = Worker();
  ASSERT_TRUE(worker->CheckUpdate());
  ASSERT_TRUE(worker->DownloadUpdate());
  bool installed;
  {
    FileSizeLimit full(100);
    installed = worker->InstallUpdate();
  }
  EXPECT_FALSE(installed);
  EXPECT_EQ(Installed("a.txt"), "old a");
  EXPECT_EQ(Installed("b.txt"), "old b");
  EXPECT_FALSE(fs::exists(install.prog + "/a.txt.bak"));
  EXPECT_TRUE(TemporariesBelow(install.prog).empty());
}

TEST_F(Safety, CommitFailingPartWayLeavesNoTemporaryAndTheRestOld) {
  WriteFileBytes(install.prog + "/b.txt/inner", "a directory in the way");
  WriteFileBytes(install.prog + "/b.txt.bak/inner", "and its backup name taken");
  WriteFileBytes(install.prog + "/c.txt", "old c");
  PublishAndServe({{"", "a.txt", "new a"}, {"", "b.txt", "new b"}, {"", "c.txt", "new c"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(Installed("b.txt/inner"), "a directory in the way");
  EXPECT_EQ(Installed("c.txt"), "old c");
  EXPECT_TRUE(TemporariesBelow(install.prog).empty());
}

TEST_F(Safety, VersionRecordStaysOldWhileAnotherFileCouldNotBeRenamed) {
  WriteFileBytes(install.prog + "/Update.cfg", "old record");
  WriteFileBytes(install.prog + "/game.exe/inner", "a directory in the way");
  WriteFileBytes(install.prog + "/game.exe.bak/inner", "and its backup name taken");
  // Listed first, as a publisher sorting by name would list it before lower-case names.
  PublishAndServe({{"", "Update.cfg", "new record"}, {"", "game.exe", "new game"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(Installed("Update.cfg"), "old record");
  EXPECT_TRUE(TemporariesBelow(install.prog).empty());
}

TEST_F(Safety, SameTargetListedTwiceIsRefusedAndTheFileKept) {
  WriteFileBytes(install.prog + "/sub/a.txt", "old");
  PublishAndServe({{"sub", "a.txt", "one"}, {"sub", "a.txt", "two"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(Installed("sub/a.txt"), "old");
  EXPECT_FALSE(fs::exists(install.prog + "/sub/a.txt.bak"));
  EXPECT_EQ(server.RequestCount("/game/102/sub/a.txt.102"), 0) << "refused before any download";
}

// --- what is installed is what the list names -------------------------------------------------

TEST_F(Safety, ProgramFileNamedLikeTheLogGetsItsOwnContent) {
  PublishAndServe({{"", "UpdateLog.xml", "the program's own file"}, {"", "UpdateLogError.xml", "another one"},
                   {"", "x.txt", "x"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("UpdateLog.xml"), "the program's own file");
  EXPECT_EQ(Installed("UpdateLogError.xml"), "another one");
}

TEST_F(Safety, FileNamedLikeAnotherFilesArchiveGetsItsOwnContent) {
  PublishAndServe({{"", "a.zip", "the a.zip the list names"}, {"", "a", "plain a"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("a.zip"), "the a.zip the list names");
  EXPECT_EQ(Installed("a"), "plain a");
}

TEST_F(Safety, ResumedEntryWhoseFileChangedOrWentIsFetchedAgain) {
  PublishAndServe({{"", "a.txt", "alpha"}, {"", "b.txt", "beta"}, {"", "c.txt", "gamma"}});
  server.Set("/game/102/c.txt.102", HttpResponse::Status(404));
  Worker()->Run();  // a and b arrive (status 1 in the log), c does not
  ASSERT_EQ(Last(), Failed());
  WriteFileBytes(Downloaded("a.txt"), "changed since");
  fs::remove(Downloaded("b.txt"));
  PublishAndServe({{"", "a.txt", "alpha"}, {"", "b.txt", "beta"}, {"", "c.txt", "gamma"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("b.txt"), "beta");
  EXPECT_EQ(Installed("c.txt"), "gamma");
}

TEST_F(Safety, FileChangedInPlaceBetweenDownloadAndInstallIsFetchedAgain) {
  PublishAndServe({{"", "a.txt", "alpha"}, {"", "b.txt", "beta"}});
  auto worker = Worker();
  ASSERT_TRUE(worker->CheckUpdate());
  ASSERT_TRUE(worker->DownloadUpdate());
  std::FILE* f = std::fopen(Downloaded("a.txt").c_str(), "r+");  // same inode, same size
  ASSERT_NE(f, nullptr);
  std::fputs("ALPHA", f);
  std::fclose(f);
  ASSERT_TRUE(worker->InstallUpdate());
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("b.txt"), "beta");
  // The verified archive still in the download directory is unpacked again, not fetched.
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 1);
  EXPECT_EQ(server.RequestCount("/game/102/b.txt.102"), 1);
}

// --- nothing grows past its listed size ---------------------------------------------------------

TEST_F(Safety, ArchiveBodyLongerThanListedIsCutThere) {
  Published p = PublishAndServe({{"", "a.txt", "alpha"}});
  const std::string archive = p.bodies["/game/102/a.txt.102"];
  server.Set("/game/102/a.txt.102", HttpResponse::Ok(archive + std::string(2 << 20, 'x')));
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_LE(SizeOr0(Downloaded("a.txt.zip")), archive.size());
}

TEST_F(Safety, ArchiveItemNeverInflatesPastFileLen) {
  TempDir scratch;
  const std::string bomb = ZipBytes(scratch, "a.txt", std::string(8 << 20, '\0'));
  Published p = PublishAndServe({{"", "a.txt", "tiny"}});
  FileRecord r = p.records[0];
  r.compressLen = static_cast<int32_t>(bomb.size());
  r.compressCrc = CrcOf(bomb);
  UpdateList list;
  list.Add(r);
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  server.Set("/game/102/UpdateList.xml.102",
             HttpResponse::Ok(ZipBytes(scratch, "UpdateList.xml", ReadFileBytes(scratch.Join("UpdateList.xml")))));
  server.Set("/game/102/a.txt.102", HttpResponse::Ok(bomb));
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_LE(SizeOr0(Downloaded("a.txt")), 4u);
}

TEST_F(Safety, ListBodyIsCappedAndItsStoredCrcHonoured) {
  server.Set("/game/102/UpdateList.xml.102", HttpResponse::Ok(std::string(12 << 20, 'L')));
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_LE(SizeOr0(Downloaded("UpdateList.xml.zip")), 8u << 20) << "a few MB at most";

  Published p = Publish("/game", "102", {{"", "a.txt", "alpha"}});
  p.bodies["/game/102/UpdateList.xml.102"] = ListArchiveWithWrongStoredCrc(p.records);
  p.ServeOn(server);
  RecordingWindow second;
  auto worker = Worker();
  worker->SetOwner(&second);
  worker->Run();
  EXPECT_EQ(second.Messages().back(), Failed());
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 0);
}

// A small archive can hold a list of any size: unpacking stops at the cap, before the list is
// read or any file is fetched.
TEST_F(Safety, ListUnpackingPastItsCapIsRefused) {
  Published p = Publish("/game", "102", {{"", "a.txt", "alpha"}});
  TempDir scratch;
  UpdateList list;
  for (const FileRecord& r : p.records) list.Add(r);
  list.SetVersion(u"102");
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  std::string body = ReadFileBytes(scratch.Join("UpdateList.xml"));
  body.resize(kListLimit + 1, ' ');  // white space after the root: still a well-formed list
  p.bodies["/game/102/UpdateList.xml.102"] = ZipBytes(scratch, "UpdateList.xml", body);
  ASSERT_LT(p.bodies["/game/102/UpdateList.xml.102"].size(), kListArchiveLimit);
  p.ServeOn(server);
  Worker()->Run();
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 0);
  EXPECT_LE(SizeOr0(Downloaded("UpdateList.xml")), kListLimit);
}

// --- links in the download directory are never followed ------------------------------------------

TEST_F(Safety, LinksPlantedInTheDownloadDirectoryAreNotWrittenThrough) {
  const std::string outside = install.dir.Join("outside");
  WriteFileBytes(outside + "/precious.txt", "the user's file");
  fs::create_directories(install.down);
  if (!PlantLink(outside + "/precious.txt", Downloaded("a.txt.zip"))) GTEST_SKIP() << kNoLinks;
  ASSERT_TRUE(PlantLink(outside + "/precious.txt", Downloaded("c.txt")));
  PublishAndServe({{"", "a.txt", "alpha"}, {"", "c.txt", "gamma"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(ReadFileBytes(outside + "/precious.txt"), "the user's file");
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("c.txt"), "gamma");
}

// On Windows the planted folder is a junction, which needs no privilege to make.
TEST_F(Safety, LinkPlantedAsAFolderOfTheDownloadDirectoryIsNotEntered) {
  const std::string outside = install.dir.Join("outside");
  WriteFileBytes(outside + "/precious.txt", "the user's file");
  fs::create_directories(install.down);
  if (!PlantLink(outside, Downloaded("sub"), true)) GTEST_SKIP() << kNoLinks;
  PublishAndServe({{"sub", "b.txt", "beta"}, {"sub", "precious.txt", "not the user's"}});
  Worker()->Run();
  EXPECT_EQ(Last(), Done());
  EXPECT_EQ(ReadFileBytes(outside + "/precious.txt"), "the user's file");
  EXPECT_FALSE(fs::exists(outside + "/b.txt.zip"));
  EXPECT_FALSE(fs::exists(outside + "/b.txt"));
  EXPECT_EQ(Installed("sub/b.txt"), "beta");
  EXPECT_EQ(Installed("sub/precious.txt"), "not the user's");
}


// --- only what the updater made is removed ------------------------------------------------------

TEST_F(Safety, CleanUpRemovesOnlyTheUpdatersOwnFiles) {
  WriteFileBytes(Downloaded("notes.txt"), "the user's notes");
  WriteFileBytes(Downloaded("mine/photo.jpg"), "the user's photo");
  WriteFileBytes(Downloaded("sub/keep.txt"), "beside an entry's folder");
  PublishAndServe({{"", "a.txt", "alpha"}, {"sub", "b.txt", "beta"}, {"empty\\deep", "c.txt", "gamma"}});
  Worker()->Run();
  ASSERT_EQ(Last(), Done());
  EXPECT_EQ(ReadFileBytes(Downloaded("notes.txt")), "the user's notes");
  EXPECT_EQ(ReadFileBytes(Downloaded("mine/photo.jpg")), "the user's photo");
  EXPECT_EQ(ReadFileBytes(Downloaded("sub/keep.txt")), "beside an entry's folder");
  for (const char* gone : {"UpdateLog.xml", "UpdateList.xml", "UpdateList.xml.zip", "a.txt", "a.txt.zip",
                           "sub/b.txt", "sub/b.txt.zip", "empty"}) {
    EXPECT_FALSE(fs::exists(Downloaded(gone))) << gone;
  }
}

TEST_F(Safety, DownloadDirectoryGivenAsALinkKeepsItsTargetsFiles) {
  const std::string real = install.dir.Join("real");
  WriteFileBytes(real + "/notes.txt", "the user's notes");
  WriteFileBytes(real + "/a.txt", "the user's own a.txt");
  if (!PlantLink(real, install.down, true)) GTEST_SKIP() << kNoLinks;
  PublishAndServe({{"", "b.txt", "beta"}});
  Worker()->Run();
  ASSERT_EQ(Last(), Done());
  EXPECT_EQ(ReadFileBytes(real + "/notes.txt"), "the user's notes");
  EXPECT_EQ(ReadFileBytes(real + "/a.txt"), "the user's own a.txt");
}

// --- the log is replaced only by a complete one ----------------------------------------------------

TEST_F(Safety, FailedLogSaveKeepsTheGoodLog) {
  PublishAndServe({{"", "a.txt", "alpha"}, {"", "b.txt", "beta"}});
  server.Set("/game/102/b.txt.102", HttpResponse::Status(404));
  Worker()->Run();
  const std::string log = ReadFileBytes(Downloaded("UpdateLog.xml"));
  ASSERT_NE(log.find("a.txt"), std::string::npos);
  UpdateList list;
  ASSERT_TRUE(list.Load(text::FromUtf8(Downloaded("UpdateLog.xml"))));
  if (!FileSizeLimit::Supported()) GTEST_SKIP() << "no per-process file size limit to play a full disk here";
  bool saved;
  {
    FileSizeLimit full(16);
    saved = list.Save(text::FromUtf8(Downloaded("UpdateLog.xml")));
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFileBytes(Downloaded("UpdateLog.xml")), log);
}

}  // namespace
}  // namespace updater
