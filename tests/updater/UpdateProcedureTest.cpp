#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "tests/support/FileModes.h"
#include "tests/support/Recorder.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/LiveThread.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

std::string Text(size_t n, char seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + (i * 7 + i / 13) % 31);
  return s;
}

class Procedure : public ::testing::Test {
 protected:
  std::unique_ptr<CLiveThread> Worker(const char16_t* version = u"1.0.2") {
    return install.Worker(server.BaseUrl() + "/game", version);
  }
  Published PublishAndServe(const std::string& key, const std::vector<SourceFile>& files) {
    Published p = Publish("/game", key, files);
    p.ServeOn(server);
    return p;
  }
  std::string Installed(const std::string& relative) const { return ReadFileBytes(install.prog + "/" + relative); }
  bool HasDebugLineStartingWith(const std::u16string& prefix) const {
    for (const auto& l : install.debugLines) if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }

  TestHttpServer server;
  Install install;
};

TEST_F(Procedure, FreshInstallPostsTheExactSequence) {
  const std::vector<SourceFile> files{{"", "a.txt", "alpha"}, {"sub", "b.txt", "beta!"}};
  Published p = PublishAndServe("102", files);
  const uint32_t lenA = p.records[0].compressLen, lenB = p.records[1].compressLen;
  auto worker = Worker();
  worker->SetTransfersInFlight(1);  // one after the other: one exact order
  worker->Run();
  const uint32_t stepB = 3 + 62 * lenA / (lenA + lenB);
  EXPECT_EQ(install.window.Messages(),
            (std::vector<Seen>{Step(0, u"正在检查新的版本..."), Step(1, u"正在下载更新列表..."),
                               Step(2, u"正在准备更新包..."), Step(3, u"剩余1个文件需要下载/正在下载:a.txt"),
                               Bytes(0, lenA), Bytes(lenA, lenA), Bytes(lenA, lenA),
                               Step(stepB, u"剩余0个文件需要下载/正在下载:b.txt"), Bytes(0, lenB),
                               Bytes(lenB, lenB), Bytes(lenB, lenB), Step(65, u"正在安装更新包"), Bytes(0, 0),
                               Done()}));
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("sub/b.txt"), "beta!");
  EXPECT_FALSE(fs::exists(install.down)) << "the download directory goes after a good install";
  EXPECT_TRUE(install.debugLines.empty());
}

TEST_F(Procedure, ParallelTransfersKeepTheWindowsCountsGoingForwardOverFewConnections) {
  std::vector<SourceFile> files;
  for (int i = 0; i < 14; ++i) files.push_back({i % 2 ? "sub" : "", "f" + std::to_string(i) + ".txt", Text(300 + i, 'a' + i)});
  Published p = Publish("/game", "102", files);
  for (const auto& [path, body] : p.bodies) {
    HttpResponse slow = HttpResponse::Ok(body);
    if (path.find("UpdateList") == std::string::npos) slow.trickleMs = 1;  // so the transfers overlap
    server.Set(path, slow);
  }
  Worker()->Run();
  ASSERT_EQ(install.window.Messages().back(), Done());
  for (const SourceFile& f : files) {
    EXPECT_EQ(Installed((f.filePath.empty() ? "" : f.filePath + "/") + f.name), f.data);
  }
  EXPECT_GT(server.ConnectionCount(), 3) << "transfers ran side by side, each on its own connection";
  EXPECT_LE(server.ConnectionCount(), static_cast<int>(kTransfersInFlight) + 1) << "connections are kept, not one per file";
  // Files start in list order: the files-left count falls by one each time; the bar's step and
  // the shown file's bytes never go back.
  std::vector<Seen> steps;
  for (const Seen& s : install.window.Only(WM_UPDATE_STEP)) if (s.text.find(u"剩余") == 0) steps.push_back(s);
  // A file ending while others arrive repeats the status line with the bar moved on.
  size_t started = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (i == 0 || steps[i].text != steps[i - 1].text) {
      EXPECT_EQ(steps[i].text.substr(0, steps[i].text.find(u"个")),
                u"剩余" + text::FormatInt(static_cast<int32_t>(files.size() - 1 - started)));
      ++started;
    }
    if (i > 0) {
      EXPECT_GE(steps[i].wParam, steps[i - 1].wParam);
    }
  }
  EXPECT_EQ(started, files.size());
  EXPECT_GT(steps.back().wParam, steps.front().wParam) << "the bar grows while files arrive side by side";
  EXPECT_GT(std::count_if(steps.begin(), steps.end(), [&](const Seen& s) { return s.text == steps.back().text; }), 1)
      << "files ending after the last one started still move the bar";
  uint32_t shown = 0, of = 0;
  for (const Seen& s : install.window.Messages()) {
    if (s.id == WM_UPDATE_STEP) shown = 0;
    if (s.id != WM_UPDATE_BYTES || s.lParam == 0) continue;
    if (s.wParam != 0) {
      EXPECT_EQ(s.lParam, of) << "bytes of the file the status line names";
    }
    EXPECT_GE(s.wParam, shown);
    shown = s.wParam;
    of = s.lParam;
  }
}

TEST_F(Procedure, NamesWithSpacesAndChineseTravelEscaped) {
  PublishAndServe("102", {{"数据\\子 目录", "我的 文件.txt", "内容"}});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed("数据/子 目录/我的 文件.txt"), "内容");
}

TEST_F(Procedure, UpdateFetchesOnlyChangedAndNewFiles) {
  WriteFileBytes(install.prog + "/same.txt", "same");
  WriteFileBytes(install.prog + "/changed.txt", "old");
  PublishAndServe("20", {{"", "same.txt", "same"}, {"", "changed.txt", "new"}, {"d", "added.txt", "added"}});
  Worker(u"2.0")->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(server.RequestCount("/game/20/same.txt.20"), 0);
  EXPECT_EQ(server.RequestCount("/game/20/changed.txt.20"), 1);
  EXPECT_EQ(server.RequestCount("/game/20/d/added.txt.20"), 1);
  EXPECT_EQ(Installed("changed.txt"), "new");
  EXPECT_EQ(Installed("d/added.txt"), "added");
}

TEST_F(Procedure, EverythingCurrentEndsWithNothingToDoWithoutLogOrRestart) {
  WriteFileBytes(install.prog + "/a.txt", "alpha");
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  auto worker = Worker();
  worker->SetRestart(true);
  worker->Run();
  const Seen nothingToDo{updater::WM_UPDATE_FAILED, static_cast<uint32_t>(contract::UpdaterExit::kNothingToDo), 0, false, {}};
  EXPECT_EQ(install.window.Messages(),
            (std::vector<Seen>{Step(0, u"正在检查新的版本..."), Step(1, u"正在下载更新列表..."),
                               Step(2, u"正在准备更新包..."), nothingToDo}));
  EXPECT_FALSE(fs::exists(install.down + "/UpdateLog.xml"));
  EXPECT_TRUE(install.debugLines.empty()) << "no restart line";
}

TEST_F(Procedure, CrcDifferingOnlyInLetterCaseIsOutOfDate) {
  const std::string data = "x";  // CRC-32 8CDC1683 has letters
  WriteFileBytes(install.prog + "/a.txt", data);
  Published p = Publish("/game", "102", {{"", "a.txt", data}});
  UpdateList list;
  FileRecord r = p.records[0];
  for (char& c : r.fileCrc) c = static_cast<char>(tolower(c));
  list.Add(r);
  TempDir scratch;
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  p.bodies["/game/102/UpdateList.xml.102"] = ZipBytes(scratch, "UpdateList.xml", ReadFileBytes(scratch.Join("UpdateList.xml")));
  p.ServeOn(server);
  Worker()->Run();
  // The second attempt measures the whole archive already there instead of fetching it again.
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 1) << "fetched once, and refused twice by the check";
  EXPECT_TRUE(HasDebugLineStartingWith(u"DecompressFile:"));
}

TEST_F(Procedure, MissingListFails) {
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Failed());
  EXPECT_EQ(server.RequestCount("/game/102/UpdateList.xml.102"), 1) << "the list has no second attempt";
}

TEST_F(Procedure, ArchiveMissingTwiceFailsAndKeepsTheLogs) {
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  server.Set("/game/102/a.txt.102", HttpResponse::Status(404));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Failed());
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 2);
  EXPECT_EQ(install.debugLines, std::vector<text::WString>{u"Vendrel DownloadUpdate Failed!"});
  EXPECT_TRUE(fs::exists(install.down + "/UpdateLog.xml"));
  EXPECT_TRUE(fs::exists(install.down + "/UpdateLogError.xml"));
  EXPECT_FALSE(fs::exists(install.prog + "/a.txt"));
}

TEST_F(Procedure, ServerErrorsAndCutBodiesFailTheFile) {
  Published p = PublishAndServe("102", {{"", "a.txt", Text(3000, 'a')}});
  HttpResponse cut = HttpResponse::Ok(p.bodies["/game/102/a.txt.102"]);
  cut.truncateAfter = 10;
  server.SetSequence("/game/102/a.txt.102", {HttpResponse::Status(500), cut});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Failed());
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), kTransientAttempts);
}

TEST_F(Procedure, StalledArchiveFailsWithinTheStallTimeOut) {
  Published p = PublishAndServe("102", {{"", "a.txt", Text(3000, 'a')}});
  HttpResponse stall = HttpResponse::Ok(p.bodies["/game/102/a.txt.102"]);
  stall.truncateAfter = 10;
  stall.stall = true;
  server.Set("/game/102/a.txt.102", stall);
  Worker()->Run();  // half a second per attempt in the fixture
  EXPECT_EQ(install.window.Messages().back(), Failed());
}

TEST_F(Procedure, WrongArchiveCrcIsReportedForEachAttempt) {
  Published p = PublishAndServe("102", {{"", "a.txt", "alpha"}});
  const std::string bad = Publish("/x", "102", {{"", "a.txt", "alphx"}}).bodies["/x/102/a.txt.102"];
  server.Set("/game/102/a.txt.102", HttpResponse::Ok(bad));
  Worker()->Run();
  ASSERT_EQ(install.debugLines.size(), 3u);
  const std::string archive = install.down + "/a.txt.zip";
  const FileRecord& r = p.records[0];
  // The size pair is measured(expected), the CRC pair expected(measured).
  EXPECT_EQ(text::ToUtf8(install.debugLines[0]),
            "CompressFile:" + archive + " Size:" + std::to_string(bad.size()) + "(" + std::to_string(r.compressLen) +
                ") CRC:" + r.compressCrc + "(" + CrcOf(bad) + ") Decompress Failed!");
  EXPECT_EQ(install.debugLines[1], install.debugLines[0]);
  EXPECT_EQ(install.debugLines[2], u"Vendrel DownloadUpdate Failed!");
}

TEST_F(Procedure, SecondAttemptSucceedingLeavesNoDebugLine) {
  Published p = PublishAndServe("102", {{"", "a.txt", "alpha"}});
  server.SetSequence("/game/102/a.txt.102", {HttpResponse::Status(500), HttpResponse::Ok(p.bodies["/game/102/a.txt.102"])});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_TRUE(install.debugLines.empty());
  EXPECT_EQ(Installed("a.txt"), "alpha");
}

TEST_F(Procedure, ResumedLogSkipsDownloadedEntries) {
  Published p = PublishAndServe("102", {{"", "a.txt", "alpha"}, {"", "b.txt", "beta"}});
  server.Set("/game/102/b.txt.102", HttpResponse::Status(404));
  Worker()->Run();  // a.txt arrives, b.txt does not
  ASSERT_EQ(install.window.Messages().back(), Failed());
  p.ServeOn(server);
  server.Set("/game/102/a.txt.102", HttpResponse::Status(404));
  RecordingWindow second;
  auto worker = Worker();
  worker->SetOwner(&second);
  worker->Run();
  EXPECT_EQ(second.Messages().back(), Done());
  EXPECT_EQ(server.RequestCount("/game/102/UpdateList.xml.102"), 2) << "the log is resumed only for the same list";
  EXPECT_EQ(server.RequestCount("/game/102/a.txt.102"), 1) << "only the first run asked for a.txt";
  const uint32_t lenA = p.records[0].compressLen, lenB = p.records[1].compressLen;
  EXPECT_EQ(second.Only(WM_UPDATE_STEP)[2], Step(3 + 62 * lenA / (lenA + lenB), u"剩余0个文件需要下载/正在下载:b.txt"));
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("b.txt"), "beta");
}

TEST_F(Procedure, LogOfAnotherVersionIsIgnored) {
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  server.Set("/game/102/a.txt.102", HttpResponse::Status(404));
  Worker()->Run();
  ASSERT_TRUE(fs::exists(install.down + "/UpdateLog.xml"));
  PublishAndServe("103", {{"", "a.txt", "alpha 3"}});
  Worker(u"1.0.3")->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed("a.txt"), "alpha 3");
}

TEST_F(Procedure, LogNamingAPathOutsideTheDirectoriesIsNotResumed) {
  fs::create_directories(install.down);
  WriteFileBytes(install.down + "/UpdateLog.xml",
                 "<?xml version=\"1.0\" encoding=\"gbk\" standalone=\"yes\" ?>\n"
                 "<UpdateConfig version=\"1.0\"><Software version=\"1.0.2\"><File status=\"1\">"
                 "<FileName>evil.txt</FileName><FilePath>..\\..\\outside</FilePath><FileCrc>0</FileCrc>"
                 "<FileLen>0</FileLen><CompressType>zip</CompressType><CompressName>e</CompressName>"
                 "<CompressPath></CompressPath><CompressCrc>0</CompressCrc><CompressLen>0</CompressLen>"
                 "</File></Software></UpdateConfig>");
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(server.RequestCount("/game/102/UpdateList.xml.102"), 1) << "a fresh check instead of the log";
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_FALSE(fs::exists(install.dir.Join("../outside")));
}

TEST_F(Procedure, DirectoryInTheWayIsMovedAsideAsBackup) {
  WriteFileBytes(install.prog + "/a.txt/inner", "in the way");
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed("a.txt"), "alpha");
  EXPECT_EQ(Installed("a.txt.bak/inner"), "in the way");
}

TEST_F(Procedure, FileThatCannotBeReplacedFailsTheInstallAndKeepsTheOldFile) {
  WriteFileBytes(install.prog + "/sub", "a file where a directory should be");
  WriteFileBytes(install.prog + "/a.txt", "old a");
  PublishAndServe("102", {{"", "a.txt", "new a"}, {"sub", "b.txt", "beta"}});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Failed());
  EXPECT_EQ(install.debugLines, std::vector<text::WString>{u"Vendrel InstallUpdate Failed!"});
  EXPECT_EQ(Installed("sub"), "a file where a directory should be");
  EXPECT_EQ(Installed("a.txt"), "old a") << "files are staged first: nothing is replaced";
  EXPECT_FALSE(fs::exists(install.prog + "/.a.txt.vendrel-part"));
  EXPECT_TRUE(fs::exists(install.down + "/UpdateLog.xml")) << "the next run resumes";
}

TEST_F(Procedure, InstalledFilesKeepTheirModeAndNothingElseIsLeftBeside) {
  PublishAndServe("102", {{"", "Game", "#!/bin/sh\n", 0755}, {"", "data.txt", "d", 0600}, {"", "locked.txt", "l", 0444}});
  Worker()->Run();
  ASSERT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(testsupport::ModeOf(install.prog + "/Game"), testsupport::KeptMode(0755));
  EXPECT_EQ(testsupport::ModeOf(install.prog + "/data.txt"), testsupport::KeptMode(0600));
  EXPECT_EQ(testsupport::ModeOf(install.prog + "/locked.txt"), 0444u);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(install.prog)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Game", "data.txt", "locked.txt"}));
}

TEST_F(Procedure, ReadOnlyInstalledFileIsReplacedByTheNextVersion) {
  PublishAndServe("102", {{"", "locked.txt", "first", 0444}});
  Worker()->Run();
  ASSERT_EQ(Installed("locked.txt"), "first");
  PublishAndServe("103", {{"", "locked.txt", "second", 0444}});
  RecordingWindow second;
  auto worker = Worker(u"1.0.3");
  worker->SetOwner(&second);
  worker->Run();
  EXPECT_EQ(second.Messages().back(), Done());
  EXPECT_EQ(Installed("locked.txt"), "second");
}

TEST_F(Procedure, RestartStartsTheProgramAfterAGoodInstall) {
  // The published program is a copy of the recorder: it writes its working directory and
  // arguments to "<its path less the executable suffix>.record".
  const std::string program = install.prog + "/Game" + platform::kExeSuffix;
  PublishAndServe("102", {{"", "Game" + std::string(platform::kExeSuffix), ReadFileBytes(testsupport::RecorderProgram()), 0755}});
  auto worker = Worker();
  worker->SetRestart(true);
  worker->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(install.debugLines, (std::vector<text::WString>{u"Vendrel ShellExecute!", text::FromUtf8(program)}));
  const std::vector<std::string> record = testsupport::WaitForRecord(install.prog + "/Game");
  ASSERT_EQ(record.size(), 2u);
  EXPECT_EQ(record[1], program);
}

TEST_F(Procedure, RunsOnItsOwnThreadOnceStarted) {
  PublishAndServe("102", {{"", "a.txt", "alpha"}});
  auto worker = Worker();
  worker->SetOwner(nullptr);
  worker->SetActive(false);
  ASSERT_TRUE(StartWorker(*worker, &install.window, false));
  EXPECT_FALSE(StartWorker(*worker, &install.window, false)) << "a second start is refused";
  EXPECT_EQ(install.window.WaitForEnd(), Done());
  worker->Join();
  EXPECT_EQ(Installed("a.txt"), "alpha");
}

// A window that fails the first time it is told something, as a broken window might.
class ThrowingWindow : public RecordingWindow {
 public:
  void Post(ProgressMessage m) override {
    if (!thrown_.exchange(true)) throw std::runtime_error("window gone");
    RecordingWindow::Post(std::move(m));
  }

 private:
  std::atomic<bool> thrown_{false};
};

TEST_F(Procedure, ErrorEscapingTheRunStillEndsItWithFailed) {
  ThrowingWindow window;
  auto worker = Worker();
  worker->SetOwner(nullptr);
  worker->SetActive(false);
  ASSERT_TRUE(StartWorker(*worker, &window, false));
  EXPECT_EQ(window.WaitForEnd(), Failed());
  worker->Join();
  EXPECT_EQ(window.Messages(), std::vector<Seen>{Failed()});
}

}  // namespace
}  // namespace updater
