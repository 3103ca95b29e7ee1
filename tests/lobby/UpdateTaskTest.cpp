// The update gate: installed version, the server's version file, the hand-over to the updater.
#include <gtest/gtest.h>
#include <unistd.h>

#include "LobbyTestSupport.h"
#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/update/UpdateTask.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "text/CodePage.h"

namespace {

using contract::GameState;
using lobby::ClientConfig;
using lobby::UpdateTask;
using testsupport::HttpResponse;
using testsupport::TempDir;
using testsupport::TestHttpServer;
using testsupport::WriteFileBytes;

const char* const kVersionPath = "/files/acme/mygame/UpdateVersion.xml";

std::string VersionFile(const std::string& name, const std::string& version) {
  return "<?xml version=\"1.0\"?><Update><Software version=\"" + version + "\">" + name +
         "</Software></Update>";
}

// The recorder's lines after its working directory are the updater's argv.
void ExpectUpdaterArguments(const std::vector<std::string>& record,
                            const std::vector<std::string>& expected) {
  ASSERT_GE(record.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(record.begin() + 2, record.end()),
            std::vector<std::string>(expected.begin() + 1, expected.end()));
#ifndef _WIN32
  EXPECT_EQ(record[1], expected[0]);  // the shell names the program itself on Windows
#endif
}

class UpdateTaskTest : public ::testing::Test {
 protected:
  UpdateTaskTest() {
    WriteFileBytes(dir_.Join("Config.cfg"), lobbytest::ConfigText(server_.BaseUrl() + "/Files", "Acme"));
    EXPECT_TRUE(config_.LoadConfig());
  }

  UpdateTask Task() {
    UpdateTask task(u"MyGame", dir_.WPath() + u"/MyGame", config_, cache_.WPath());
    task.SetFetchLimits({lobby::CheckTransferLimits(1000, 2000)});
    return task;
  }
  void Install(const std::string& version, const std::string& name = "MyGame") {
    WriteFileBytes(dir_.Join("MyGame/Update.cfg"), VersionFile(name, version));
  }
  GameState Check(const std::string& installed, const std::string& served, std::string* after = nullptr) {
    server_.Set(kVersionPath, HttpResponse::Ok(VersionFile("MyGame", served)));
    UpdateTask task = Task();
    task.Version = text::FromUtf8(installed);
    const GameState r = task.CheckLatestVersion();
    if (after) *after = text::ToUtf8(task.Version);
    return r;
  }

  TempDir dir_;
  TempDir cache_;
  TestHttpServer server_;
  ClientConfig config_{dir_.WPath(), dir_.Join("p.ini")};
};

TEST_F(UpdateTaskTest, PackageUrlIsLowerCaseAndDownloadDirKeepsCase) {
  UpdateTask t = Task();
  EXPECT_EQ(text::ToUtf8(t.PackageUrl), server_.BaseUrl() + "/files/acme/mygame");
  EXPECT_EQ(t.DownloadDir, cache_.WPath() + u"/Acme/MyGame");
  EXPECT_FALSE(platform::IsDirectory(cache_.WPath() + u"/Acme"));  // made when a check starts
  t.CheckLatestVersion();
  EXPECT_TRUE(platform::IsDirectory(t.DownloadDir));
  EXPECT_EQ(t.Version, u"0");
  EXPECT_EQ(t.Corp, u"Acme");
  EXPECT_EQ(t.Param, u"");
}

TEST_F(UpdateTaskTest, InstalledVersionIsReadFromUpdateCfg) {
  Install("1.2.3");
  UpdateTask t = Task();
  EXPECT_TRUE(t.ReadInstalledVersion());
  EXPECT_EQ(t.Version, u"1.2.3");
}

TEST_F(UpdateTaskTest, MissingDirectoryIsNotInstalled) {
  UpdateTask t = Task();
  EXPECT_FALSE(t.ReadInstalledVersion());
  EXPECT_EQ(t.Version, u"0");
}

TEST_F(UpdateTaskTest, UpdateCfgOfAnotherProgramStillSetsTheVersion) {
  Install("9.9", "Other");
  UpdateTask t = Task();
  EXPECT_FALSE(t.ReadInstalledVersion());
  EXPECT_EQ(t.Version, u"9.9");
}

TEST_F(UpdateTaskTest, UpdateCfgThatIsNotXmlIsNotInstalled) {
  WriteFileBytes(dir_.Join("MyGame/Update.cfg"), "version=1.0\n");
  UpdateTask t = Task();
  EXPECT_FALSE(t.ReadInstalledVersion());
  EXPECT_EQ(t.Version, u"0");
}

TEST_F(UpdateTaskTest, VersionsCompareAsText) {
  std::string after;
  EXPECT_EQ(Check("1.0.9", "1.0.10"), GameState::kCurrent);
  EXPECT_EQ(Check("1.0.10", "1.0.9", &after), GameState::kNewer);
  EXPECT_EQ(after, "1.0.9");
  EXPECT_EQ(Check("1.0.8", "1.0.9"), GameState::kNewer);
  EXPECT_EQ(Check("1.0.9", "1.0.9"), GameState::kCurrent);
  EXPECT_EQ(Check("1.2", "1.2.0"), GameState::kNewer);
  EXPECT_EQ(Check("1.0", ""), GameState::kCurrent);
}

TEST_F(UpdateTaskTest, RequestCarriesTheUpdateClientSettings) {
  Check("1", "1");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.version, "HTTP/1.1");
  EXPECT_EQ(r.path, kVersionPath);
  ASSERT_EQ(r.query.substr(0, 2), "a=");
  std::string number = r.query.substr(2);
  ASSERT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of("-0123456789"), std::string::npos);
  EXPECT_EQ(r.Header("User-Agent"), "Vendrel");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");
#ifndef _WIN32
  // WinINet's no-cache flag sends only the Pragma line; libcurl is told to send both.
  EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
#endif
}

TEST_F(UpdateTaskTest, Status206CountsLike200) {
  HttpResponse partial = HttpResponse::Status(206, VersionFile("MyGame", "2.0"));
  server_.Set(kVersionPath, partial);
  UpdateTask t = Task();
  EXPECT_EQ(t.CheckLatestVersion(), GameState::kNewer);
  EXPECT_EQ(t.Version, u"2.0");
}

TEST_F(UpdateTaskTest, OtherStatusesGiveNoAnswer) {
  for (int status : {304, 404, 500}) {
    server_.Set(kVersionPath, HttpResponse::Status(status, VersionFile("MyGame", "2.0")));
    UpdateTask t = Task();
    EXPECT_EQ(t.CheckLatestVersion(), GameState::kNoAnswer) << status;
    EXPECT_EQ(t.Version, u"0") << status;
  }
}

TEST_F(UpdateTaskTest, OnlyTheFirst1024BytesAreRead) {
  std::string padding = "<!--" + std::string(1100, 'x') + "-->";
  server_.Set(kVersionPath,
              HttpResponse::Ok("<Update>" + padding + "<Software version=\"2\">MyGame</Software></Update>"));
  EXPECT_EQ(Task().CheckLatestVersion(), GameState::kNoAnswer);
}

TEST_F(UpdateTaskTest, DocumentOfExactly1024BytesIsReadWhole) {
  std::string head = "<Update><Software version=\"2\">MyGame</Software><!--";
  std::string tail = "--></Update>";
  std::string doc = head + std::string(1024 - head.size() - tail.size(), 'x') + tail;
  ASSERT_EQ(doc.size(), 1024u);
  server_.Set(kVersionPath, HttpResponse::Ok(doc + "<Update><Software version=\"9\">MyGame</Software></Update>"));
  UpdateTask t = Task();
  EXPECT_EQ(t.CheckLatestVersion(), GameState::kNewer);
  EXPECT_EQ(t.Version, u"2");
}

TEST_F(UpdateTaskTest, NameDifferingInCaseGivesNoAnswer) {
  server_.Set(kVersionPath, HttpResponse::Ok(VersionFile("mygame", "2.0")));
  EXPECT_EQ(Task().CheckLatestVersion(), GameState::kNoAnswer);
}

TEST_F(UpdateTaskTest, BodyThatIsNotXmlGivesNoAnswer) {
  server_.Set(kVersionPath, HttpResponse::Ok("MyGame 2.0"));
  EXPECT_EQ(Task().CheckLatestVersion(), GameState::kNoAnswer);
}

TEST_F(UpdateTaskTest, GbkVersionFileIsDecodedAndTheNameEscaped) {
  std::u16string name = u"象棋";
  auto body = text::EncodeAnsi(u"<Update><Software version=\"3\">" + name + u"</Software></Update>");
  ASSERT_TRUE(body);
  server_.Set("/files/acme/象棋/UpdateVersion.xml", HttpResponse::Ok(*body));
  UpdateTask t(name, dir_.WPath() + u"/" + name, config_, cache_.WPath());
  EXPECT_EQ(t.CheckLatestVersion(), GameState::kNewer);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].target.rfind("/files/acme/%E8%B1%A1%E6%A3%8B/UpdateVersion.xml?a=", 0), 0u);
  EXPECT_EQ(t.Version, u"3");
}

TEST_F(UpdateTaskTest, ServerNotListeningGivesNoAnswer) {
  server_.Stop();
  UpdateTask t = Task();
  EXPECT_EQ(t.CheckLatestVersion(), GameState::kNoAnswer);
  EXPECT_EQ(t.LastFailure, lobby::CheckFailure::kUnreachable);
}

// "Not found" means the server is there and has nothing published under the name; any other
// status or a broken transfer says nothing about the release.
TEST_F(UpdateTaskTest, AFailedCheckSaysWhetherTheServerOrTheReleaseWasMissing) {
  const std::pair<HttpResponse, lobby::CheckFailure> cases[] = {
      {HttpResponse::Status(404), lobby::CheckFailure::kNoRelease},
      {HttpResponse::Status(410), lobby::CheckFailure::kNoRelease},
      {HttpResponse::Ok(VersionFile("Other", "2.0")), lobby::CheckFailure::kNoRelease},
      {HttpResponse::Ok("MyGame 2.0"), lobby::CheckFailure::kNoRelease},
      {HttpResponse::Status(500), lobby::CheckFailure::kUnreachable},
      {HttpResponse::Status(503), lobby::CheckFailure::kUnreachable},
      {HttpResponse::Status(403), lobby::CheckFailure::kUnreachable},
      {HttpResponse::Ok(VersionFile("MyGame", "2.0")), lobby::CheckFailure::kNone},
  };
  for (const auto& [response, failure] : cases) {
    server_.Set(kVersionPath, response);
    UpdateTask t = Task();
    t.CheckLatestVersion();
    EXPECT_EQ(t.LastFailure, failure) << response.status << " " << response.body;
  }
  HttpResponse cut = HttpResponse::Ok(VersionFile("MyGame", "2.0"));
  cut.closeWithoutAnswer = true;
  server_.Set(kVersionPath, cut);
  UpdateTask t = Task();
  t.CheckLatestVersion();
  EXPECT_EQ(t.LastFailure, lobby::CheckFailure::kUnreachable);
}

TEST_F(UpdateTaskTest, TheLobbysVersionIsItsOwnRecordsOrNothing) {
  EXPECT_EQ(lobby::InstalledVersion(u"MyGame", dir_.WPath() + u"/MyGame"), u"");
  Install("1.0.7");
  EXPECT_EQ(lobby::InstalledVersion(u"MyGame", dir_.WPath() + u"/MyGame"), u"1.0.7");
  Install("1.0.8", "Other");  // the record of another program is not ours
  EXPECT_EQ(lobby::InstalledVersion(u"MyGame", dir_.WPath() + u"/MyGame"), u"");
}

TEST_F(UpdateTaskTest, StalledServerGivesNoAnswerAfterTheTimeOut) {
  HttpResponse stalled = HttpResponse::Ok(VersionFile("MyGame", "2.0"));
  stalled.truncateAfter = 10;
  stalled.stall = true;
  server_.Set(kVersionPath, stalled);
  UpdateTask t = Task();
  t.SetFetchLimits({lobby::CheckTransferLimits(200, 400)});
  EXPECT_EQ(t.CheckLatestVersion(), GameState::kNoAnswer);
}

TEST_F(UpdateTaskTest, UpdaterGetsEachOptionAsItsOwnArgument) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  UpdateTask t = Task();
  t.Version = u"1.0.2";
  EXPECT_TRUE(t.LaunchUpdater(false));
  auto record = lobbytest::WaitForRecord(dir_.Join("Vendrel"));
  std::vector<std::string> expected{"Vendrel",
                                    "-name", "MyGame",
                                    "-number", "1.0.2",
                                    "-prog", dir_.Join("MyGame"),
                                    "-down", cache_.Join("Acme/MyGame"),
                                    "-http", server_.BaseUrl() + "/files/acme/mygame"};
  ExpectUpdaterArguments(record, expected);
  EXPECT_TRUE(platform::IsDirectory(dir_.WPath() + u"/MyGame"));  // created for a new game
}

TEST_F(UpdateTaskTest, RebootIsTheLastArgument) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  UpdateTask t(u"Quorvane", dir_.WPath(), config_, cache_.WPath());
  EXPECT_TRUE(t.LaunchUpdater(true));
  auto record = lobbytest::WaitForRecord(dir_.Join("Vendrel"));
  std::vector<std::string> expected{"Vendrel",
                                    "-name", "Quorvane",
                                    "-number", "0",
                                    "-prog", dir_.Path(),
                                    "-down", cache_.Join("Acme/Quorvane"),
                                    "-http", server_.BaseUrl() + "/files/acme/quorvane",
                                    "-reboot"};
  ExpectUpdaterArguments(record, expected);
}

TEST(UpdaterRunningTest, FollowsTheUpdatersLock) {
  std::string name = "Global\\LobbyTest_" + std::to_string(::getpid());
  EXPECT_FALSE(lobby::IsUpdaterRunning(name));
  {
    platform::InstanceLock lock;
    ASSERT_TRUE(lock.Acquire(name));
    EXPECT_TRUE(lobby::IsUpdaterRunning(name));
  }
  EXPECT_FALSE(lobby::IsUpdaterRunning(name));
}

}  // namespace

namespace {

TEST(UpdateTaskRootTest, DownloadDirectoryStaysInsideOurOwnFolderWhateverCorpAndNameHold) {
  TempDir dir, cache;
  for (const char* corp : {"..", "a/b", "/etc"}) {
    WriteFileBytes(dir.Join("Config.cfg"), lobbytest::ConfigText("http://127.0.0.1:9", corp));
    ClientConfig config(dir.WPath(), dir.Join("p.ini"));
    ASSERT_TRUE(config.LoadConfig());
    UpdateTask t(u"..", dir.WPath() + u"/G", config, cache.WPath());
    EXPECT_EQ(t.DownloadDir, cache.WPath() + u"/_/_") << corp;
  }
}

TEST(UpdateTaskRootTest, WithoutAStagingRootTheDownloadDirectoryIsOursAndAbsolute) {
  lobby::ClientConfig config(u"/nonexistent/lobby", "");
  UpdateTask t(u"Game", u"/nonexistent/lobby/Game", config, u"");
  ASSERT_FALSE(t.DownloadDir.empty());
  EXPECT_TRUE(platform::IsAbsolutePath(t.DownloadDir));
  EXPECT_EQ(t.DownloadDir, platform::StagingRoot(contract::kCorp) + u"/Zemba/Game");
  EXPECT_NE(text::ToUtf8(platform::StagingRoot(contract::kCorp)).find("Zemba"), std::string::npos);
}

}  // namespace
