// The game commands end to end: real version server, real updater and game processes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "LobbyTestSupport.h"
#include "tests/support/Environment.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/flash/MovieBridge.h"
#include "lobby/games/GameCommands.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/ProfileStore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

namespace {

using lobby::GameCommands;
using lobbytest::RecordingHost;
using testsupport::HttpResponse;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::TestHttpServer;
using testsupport::WriteFileBytes;

// A game's argv[0]: its file name, suffix included.
std::string Exe(const std::string& name) { return name + platform::kExeSuffix; }

std::string Software(const std::string& name, const std::string& version) {
  return "<Root><Software version=\"" + version + "\">" + name + "</Software></Root>";
}

std::string Request(const std::string& name, const std::string& object) {
  return "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments>" + object + "</arguments></invoke>";
}

std::string GameObject(const std::string& game, const std::string& param) {
  return "<object><property id=\"GameName\"><string>" + game + "</string></property>"
         "<property id=\"GameParam\">" + param + "</property></object>";
}

std::string Result(const std::string& message, const std::string& game, int result, const std::string& param,
                   const std::u16string& reason = u"", const std::u16string& outcome = u"") {
  return text::ToUtf8(lobby::GameResultMessage(text::FromUtf8(message), text::FromUtf8(game), result,
                                               text::FromUtf8(param), {reason, outcome}));
}

class GameCommandsTest : public ::testing::Test {
 protected:
  GameCommandsTest() {
    WriteFileBytes(dir_.Join("Config.cfg"), lobbytest::ConfigText(server_.BaseUrl(), "Zemba"));
    EXPECT_TRUE(config_.LoadConfig());
    commands_.SetStagingRoot(cache_.WPath());
    commands_.SetUpdaterLockName(updaterLock_);
    commands_.SetFetchLimits({lobby::CheckTransferLimits(500, 1500)});
  }

  void Install(const std::string& game, const std::string& version) {
    WriteFileBytes(dir_.Join(game + "/Update.cfg"), Software(game, version));
  }
  void Serve(const std::string& game, const std::string& version) {
    server_.Set("/zemba/" + text::AsciiLower(game) + "/UpdateVersion.xml",
                HttpResponse::Ok(Software(game, version)));
  }
  // Sends one request and lets its checks finish, as the main loop would.
  void Call(const std::string& name, const std::string& object) {
    Send(name, object);
    EXPECT_TRUE(host_.PumpUntil([&] { return !commands_.ChecksPending(); }));
  }
  void Send(const std::string& name, const std::string& object) {
    bridge_.OnFlashCall(text::FromUtf8(Request(name, object)));
  }
  // Ticks the timer until `done` holds; a bounded number of ticks.
  template <typename Done>
  bool TickUntil(int timer, Done done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      commands_.OnTimer(timer);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }

  TempDir dir_;
  TempDir cache_;
  TestHttpServer server_;
  std::string updaterLock_ = "Global\\LobbyGamesTest_" + std::to_string(::getpid());
  RecordingHost host_;
  lobby::ClientConfig config_{dir_.WPath(), dir_.Join("profile.ini")};
  GameCommands commands_{host_, host_, config_};
  lobby::MovieBridge bridge_{host_, host_, config_, commands_};
};

TEST_F(GameCommandsTest, CheckGameReportsCurrentNewerUnreachableAndMissing) {
  Install("Chess", "1.0");
  Serve("Chess", "1.0");
  Call("CheckGame", GameObject("Chess", "<number>7</number>"));
  Serve("Chess", "1.1");
  Call("CheckGame", GameObject("Chess", "<number>7</number>"));
  Call("CheckGame", GameObject("Nothing", "<string>x</string>"));
  server_.Stop();
  Call("CheckGame", GameObject("Chess", "<number>7</number>"));
  EXPECT_EQ(host_.calls, (std::vector<std::string>{Result("CheckGameResult", "Chess", 0, "<number>7</number>"),
                                                   Result("CheckGameResult", "Chess", 2, "<number>7</number>"),
                                                   Result("CheckGameResult", "Nothing", 3, "<string>x</string>"),
                                                   Result("CheckGameResult", "Chess", 1, "<number>7</number>",
                                                          u"unreachable")}));
}

TEST_F(GameCommandsTest, CheckGameTellsAnUnreachableServerFromAMissingRelease) {
  Install("Chess", "1.0");
  Call("CheckGame", GameObject("Chess", "<number>1</number>"));  // nothing published: 404
  server_.Set("/zemba/chess/UpdateVersion.xml", HttpResponse::Ok(Software("Other", "2.0")));
  Call("CheckGame", GameObject("Chess", "<number>2</number>"));  // a version file of another program
  server_.Set("/zemba/chess/UpdateVersion.xml", HttpResponse::Status(500));
  Call("CheckGame", GameObject("Chess", "<number>3</number>"));
  server_.Stop();
  Call("CheckGame", GameObject("Chess", "<number>4</number>"));
  EXPECT_EQ(host_.calls,
            (std::vector<std::string>{Result("CheckGameResult", "Chess", 1, "<number>1</number>", u"noRelease"),
                                      Result("CheckGameResult", "Chess", 1, "<number>2</number>", u"noRelease"),
                                      Result("CheckGameResult", "Chess", 1, "<number>3</number>", u"unreachable"),
                                      Result("CheckGameResult", "Chess", 1, "<number>4</number>", u"unreachable")}));
}

TEST_F(GameCommandsTest, PropertyOrderDoesNotMatterAndOtherIdsAreSkipped) {
  Call("CheckGame",
       "<object><property id=\"GameParam\"><string>p</string></property>"
       "<property id=\"Extra\"><number>1</number></property>"
       "<property id=\"GameName\"><string>Nothing</string></property></object>");
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("CheckGameResult", "Nothing", 3, "<string>p</string>")});
}

TEST_F(GameCommandsTest, CheckGameRefusesNamesOutsideTheLobby) {
  Call("CheckGame", GameObject("../escape", "<number>1</number>"));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("CheckGameResult", "../escape", 3, "<number>1</number>")});
  EXPECT_FALSE(std::filesystem::exists(cache_.Join("escape")));
  EXPECT_EQ(server_.Requests().size(), 0u);
}

TEST_F(GameCommandsTest, UpdateGameForACurrentGameAnswersOneAtOnce) {
  Install("Chess", "1.0");
  Serve("Chess", "1.0");
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 1, "<number>4</number>",
                                                         u"", u"nothingToDo")});
  EXPECT_EQ(commands_.PendingUpdate(), nullptr);
  EXPECT_TRUE(host_.started.empty());
}

TEST_F(GameCommandsTest, UpdateGameWithTheServerDownAnswersOne) {
  Install("Chess", "1.0");
  server_.Stop();
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 1, "<number>4</number>",
                                                         u"unreachable", u"notRun")});
  EXPECT_EQ(commands_.PendingUpdate(), nullptr);
}

TEST_F(GameCommandsTest, UpdateGameRunsTheUpdaterAndAnswersWhenItHasEnded) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  Install("Chess", "1.0");
  Serve("Chess", "1.1");
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_EQ(host_.started, std::vector<int>{lobby::kTimerUpdateWait});
  EXPECT_EQ(host_.period, 1000u);
  EXPECT_EQ(host_.shows, std::vector<bool>{false});
  auto record = lobbytest::WaitForRecord(dir_.Join("Vendrel"));
  ASSERT_GE(record.size(), 6u);
  EXPECT_EQ(record[4], "-number");
  EXPECT_EQ(record[5], "1.1");  // the server's version

  platform::InstanceLock updater;  // the updater is still running
  ASSERT_TRUE(updater.Acquire(updaterLock_));
  Call("UpdateGame", GameObject("Chess", "<number>5</number>"));  // dropped: one at a time
  commands_.OnTimer(lobby::kTimerUpdateWait);
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_TRUE(host_.stopped.empty());

  updater.Release();  // the lock is free; the answer comes once the started process has ended too
  ASSERT_TRUE(TickUntil(lobby::kTimerUpdateWait, [&] { return !host_.calls.empty(); }));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 0, "<number>4</number>",
                                                         u"", u"installed")});
  EXPECT_EQ(host_.stopped, std::vector<int>{lobby::kTimerUpdateWait});
  EXPECT_EQ(host_.shows, (std::vector<bool>{false, true}));
  EXPECT_EQ(commands_.PendingUpdate(), nullptr);
}

// Result stays 0 after any run, as pages have always read it; Outcome tells how the run ended.
TEST_F(GameCommandsTest, UpdateGameResultCarriesTheUpdatersOutcome) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  Install("Chess", "1.0");
  Serve("Chess", "1.1");
  const std::pair<const char*, std::u16string> runs[] = {
      {"1", u"failed"}, {"3", u"refused"}, {"2", u"nothingToDo"}, {"4", u"notRun"}, {"0", u"installed"},
      {"77", u"failed"}};
  for (const auto& [code, outcome] : runs) {
    WriteFileBytes(dir_.Join("Vendrel.exit"), code);
    host_.calls.clear();
    Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
    ASSERT_TRUE(TickUntil(lobby::kTimerUpdateWait, [&] { return !host_.calls.empty(); })) << code;
    EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 0, "<number>4</number>",
                                                           u"", outcome)})
        << code;
  }
}

TEST_F(GameCommandsTest, UpdateGameInstallsAGameThatIsNotThereYet) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  Serve("Chess", "1.0");
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  ASSERT_NE(commands_.PendingUpdate(), nullptr);
  EXPECT_EQ(commands_.PendingUpdate()->Version, u"1.0");
  EXPECT_TRUE(platform::IsDirectory(dir_.WPath() + u"/Chess"));
  auto record = lobbytest::WaitForRecord(dir_.Join("Vendrel"));
  ASSERT_GE(record.size(), 3u);
  EXPECT_EQ(record[2], "-name");
}

TEST_F(GameCommandsTest, ChecksRunOffTheMainLoopAndAreAnsweredInRequestOrder) {
  Install("Chess", "1.0");
  Install("Go", "1.0");
  HttpResponse stalled = HttpResponse::Ok(Software("Chess", "1.0"));  // announced, never sent
  stalled.stall = true;
  server_.Set("/zemba/chess/UpdateVersion.xml", stalled);
  Serve("Go", "1.0");
  Send("CheckGame", GameObject("Chess", "<number>1</number>"));
  Send("CheckGame", GameObject("Go", "<number>2</number>"));
  Send("UpdateGame", GameObject("../x", "<number>3</number>"));  // needs no check, still waits its turn
  // The requests returned while the first check still waits on the stalled server.
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_TRUE(host_.PumpUntil([&] { return !commands_.ChecksPending(); }));
  EXPECT_EQ(host_.calls, (std::vector<std::string>{Result("CheckGameResult", "Chess", 1, "<number>1</number>",
                                                          u"unreachable"),
                                                   Result("CheckGameResult", "Go", 0, "<number>2</number>"),
                                                   Result("UpdateGameResult", "../x", 1, "<number>3</number>",
                                                          u"", u"notRun")}));
}

// Resident memory of this process in KiB.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

size_t EntriesIn(const std::string& path) {
  std::error_code error;
  auto it = std::filesystem::directory_iterator(path, error);
  return error ? 0 : static_cast<size_t>(std::distance(it, std::filesystem::directory_iterator()));
}

#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
// The sanitizer keeps freed memory in quarantine, so resident memory says nothing there, and
// every request is many times slower; Windows has no /proc to read it from: fewer requests,
// the same bounds.
constexpr int kFloodRequests = 600;
constexpr bool kMeasureMemory = false;
#else
constexpr int kFloodRequests = 9000;
constexpr bool kMeasureMemory = true;
#endif

// A page asking far faster than a stalled server answers: a bounded number of checks waits,
// the requests past them are answered with 1 in their turn, and nothing grows without end.
TEST_F(GameCommandsTest, ChecksAgainstAStalledServerAreBoundedAndTheRestAnsweredWithOne) {
  HttpResponse stalled = HttpResponse::Ok(Software("G0", "1.0"));  // announced, never sent
  stalled.stall = true;
  for (const char* game : {"G0", "G1", "G2", "G3"}) {
    Install(game, "1.0");
    server_.Set("/zemba/" + text::AsciiLower(game) + "/UpdateVersion.xml", stalled);
  }
  commands_.SetFetchLimits({lobby::CheckTransferLimits(100, 150)});
  const std::string param = "<string>" + std::string(60000, 'p') + "</string>";
  const long before = ResidentKiB();
  for (int i = 0; i < kFloodRequests; ++i) Send("CheckGame", GameObject("G" + std::to_string(i % 4), param));
  const long grown = ResidentKiB() - before;
  if (kMeasureMemory) {
    EXPECT_LT(grown, 64 * 1024) << "KiB";
  }
  EXPECT_TRUE(host_.calls.empty());  // the first check still waits on the server
  ASSERT_TRUE(host_.PumpUntil([&] { return !commands_.ChecksPending(); }));
  ASSERT_EQ(host_.calls.size(), lobby::CheckQueue::kMaxUnanswered);
  // The checks that waited timed out; the requests past them were answered without a check.
  for (size_t i = 0; i < host_.calls.size(); ++i) {
    const std::u16string reason = i < GameCommands::kMaxPendingChecks ? u"unreachable" : u"queueFull";
    EXPECT_EQ(host_.calls[i], Result("CheckGameResult", "G" + std::to_string(i % 4), 1, param, reason)) << i;
  }
}

// A queued check holds no staging directory: it is made when its check starts, and only the
// checks that run at once have started.
TEST_F(GameCommandsTest, TheStagingDirectoryIsMadeWhenTheCheckStarts) {
  commands_.SetFetchLimits({lobby::CheckTransferLimits(100, 500)});
  HttpResponse stalled = HttpResponse::Ok(Software("G0", "1.0"));  // announced, never sent
  stalled.stall = true;
  const size_t games = lobby::CheckQueue::kWorkers + 2;
  for (size_t i = 0; i < games; ++i) {
    const std::string game = "G" + std::to_string(i);
    Install(game, "1.0");
    server_.Set("/zemba/" + text::AsciiLower(game) + "/UpdateVersion.xml", stalled);
    Send("CheckGame", GameObject(game, "<number>1</number>"));
  }
  EXPECT_LE(EntriesIn(cache_.Join("Zemba")), lobby::CheckQueue::kWorkers);
  ASSERT_TRUE(host_.PumpUntil([&] { return !commands_.ChecksPending(); }));
  EXPECT_EQ(EntriesIn(cache_.Join("Zemba")), games);
}

TEST_F(GameCommandsTest, SecondUpdateWhileTheFirstIsStillBeingCheckedGetsNoAnswer) {
  Install("Chess", "1.0");
  Serve("Chess", "1.0");
  Send("UpdateGame", GameObject("Chess", "<number>1</number>"));
  Send("UpdateGame", GameObject("Chess", "<number>2</number>"));
  EXPECT_TRUE(host_.PumpUntil([&] { return !commands_.ChecksPending(); }));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 1, "<number>1</number>",
                                                         u"", u"nothingToDo")});
}

TEST_F(GameCommandsTest, UpdaterThatCannotStartAnswersOneAndKeepsTheWindow) {
  Install("Chess", "1.0");
  Serve("Chess", "1.1");  // newer, but there is no Vendrel beside the lobby
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 1, "<number>4</number>",
                                                         u"", u"notRun")});
  EXPECT_EQ(commands_.PendingUpdate(), nullptr);
  EXPECT_TRUE(host_.started.empty());
  EXPECT_TRUE(host_.shows.empty());
}

TEST_F(GameCommandsTest, UpdaterStillStartingCountsAsRunningBeforeItTakesItsLock) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("Vendrel")));
  WriteFileBytes(dir_.Join("Vendrel.hold"), "");  // alive, but never takes the lock
  Install("Chess", "1.0");
  Serve("Chess", "1.1");
  Call("UpdateGame", GameObject("Chess", "<number>4</number>"));
  lobbytest::WaitForRecord(dir_.Join("Vendrel"));
  commands_.OnTimer(lobby::kTimerUpdateWait);
  EXPECT_TRUE(host_.calls.empty());
  std::filesystem::remove(dir_.Join("Vendrel.hold"));
  ASSERT_TRUE(TickUntil(lobby::kTimerUpdateWait, [&] { return !host_.calls.empty(); }));
  EXPECT_EQ(host_.calls, std::vector<std::string>{Result("UpdateGameResult", "Chess", 0, "<number>4</number>",
                                                         u"", u"installed")});
}

TEST_F(GameCommandsTest, MovieThatPlaysAgainFromInsideLogoutGameGetsAWatchedGame) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("G/G")));
  Call("PlayGame", GameObject("G", "<object/>"));
  bool replayed = false;
  host_.onCall = [&](const std::string& message) {
    if (message != text::ToUtf8(lobby::LogoutGameMessage()) || replayed) return;
    replayed = true;
    WriteFileBytes(dir_.Join("G/G.hold"), "");
    Send("PlayGame", GameObject("G", "<object/>"));
  };
  ASSERT_TRUE(TickUntil(lobby::kTimerGameWait, [&] { return replayed; }));
  // The second game is watched: its timer was started after the first one's was stopped.
  ASSERT_NE(commands_.RunningGame(), nullptr);
  EXPECT_EQ(host_.started, (std::vector<int>{lobby::kTimerGameWait, lobby::kTimerGameWait}));
  EXPECT_EQ(host_.stopped, std::vector<int>{lobby::kTimerGameWait});
  EXPECT_EQ(host_.shows, (std::vector<bool>{false, true, false}));
  std::filesystem::remove(dir_.Join("G/G.hold"));
  EXPECT_TRUE(TickUntil(lobby::kTimerGameWait, [&] { return commands_.RunningGame() == nullptr; }));
}

TEST_F(GameCommandsTest, UpdateWaitTimerWithoutAnUpdateStops) {
  commands_.OnTimer(lobby::kTimerUpdateWait);
  EXPECT_EQ(host_.stopped, std::vector<int>{lobby::kTimerUpdateWait});
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(GameCommandsTest, PlayGameStartsTheGameInItsDirectoryWithItsArguments) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("G/G")));
  WriteFileBytes(dir_.Join("G/G.hold"), "");
  Call("PlayGame", GameObject("G",
                              "<object><property id=\"GameIp\"><number>16777343</number></property>"
                              "<property id=\"GamePort\"><number>36895</number></property>"
                              "<property id=\"GameUid\"><string>1001</string></property>"
                              "<property id=\"GameMode\"><string>2</string></property>"
                              "<property id=\"GameChannel\"><string>9</string></property>"
                              "<property id=\"GameModex\"><string>x</string></property></object>"));
  EXPECT_EQ(host_.calls, std::vector<std::string>{text::ToUtf8(lobby::LoginGameMessage())});
  EXPECT_EQ(host_.started, std::vector<int>{lobby::kTimerGameWait});
  EXPECT_EQ(host_.shows, std::vector<bool>{false});
  ASSERT_NE(commands_.RunningGame(), nullptr);
  EXPECT_EQ(commands_.RunningGame()->Arguments(),
            u" -ip \"127.0.0.1\" -port \"8080\" -uid \"1001\" -type \"2\" -key \"\" -cid \"9\" -mode \"x\"");

  auto record = lobbytest::WaitForRecord(dir_.Join("G/G"));
  EXPECT_EQ(record, (std::vector<std::string>{dir_.Join("G"), Exe("G"), "-ip", "127.0.0.1", "-port", "8080", "-uid",
                                              "1001", "-type", "2", "-key", "", "-cid", "9", "-mode", "x"}));

  commands_.OnTimer(lobby::kTimerGameWait);  // still running
  EXPECT_EQ(host_.calls.size(), 1u);
  EXPECT_TRUE(host_.stopped.empty());

  std::filesystem::remove(dir_.Join("G/G.hold"));
  ASSERT_TRUE(TickUntil(lobby::kTimerGameWait, [&] { return commands_.RunningGame() == nullptr; }));
  EXPECT_EQ(host_.calls.back(), text::ToUtf8(lobby::LogoutGameMessage()));
  EXPECT_EQ(host_.shows, (std::vector<bool>{false, true}));
  EXPECT_EQ(host_.stopped, std::vector<int>{lobby::kTimerGameWait});
}

TEST_F(GameCommandsTest, SecondPlayGameWhileOneRunsIsDropped) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("G/G")));
  WriteFileBytes(dir_.Join("G/G.hold"), "");
  Call("PlayGame", GameObject("G", "<object/>"));
  Call("PlayGame", GameObject("G", "<object/>"));
  EXPECT_EQ(host_.calls.size(), 1u);
  EXPECT_EQ(host_.started.size(), 1u);
  lobbytest::WaitForRecord(dir_.Join("G/G"));
  std::filesystem::remove(dir_.Join("G/G.hold"));
  EXPECT_TRUE(TickUntil(lobby::kTimerGameWait, [&] { return commands_.RunningGame() == nullptr; }));
}

TEST_F(GameCommandsTest, PlayGameWithoutGameParamPassesNoArguments) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("G/G")));
  Call("PlayGame", "<object><property id=\"GameName\"><string>G</string></property></object>");
  EXPECT_EQ(commands_.RunningGame()->Arguments(), u"");
  EXPECT_EQ(lobbytest::WaitForRecord(dir_.Join("G/G")), (std::vector<std::string>{dir_.Join("G"), Exe("G")}));
}

TEST_F(GameCommandsTest, GameThatCannotStartEndsAtTheFirstTick) {
  Call("PlayGame", GameObject("Missing", "<object/>"));
  commands_.OnTimer(lobby::kTimerGameWait);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{text::ToUtf8(lobby::LoginGameMessage()),
                                                   text::ToUtf8(lobby::LogoutGameMessage())}));
  EXPECT_EQ(host_.shows, (std::vector<bool>{false, true}));
  EXPECT_EQ(commands_.RunningGame(), nullptr);
}

TEST_F(GameCommandsTest, PlayGameRefusesNamesOutsideTheLobby) {
  ASSERT_TRUE(lobbytest::InstallRecorder(dir_.Join("x/x")));
  Call("PlayGame", GameObject("../" + std::filesystem::path(dir_.Path()).filename().string() + "/x", "<object/>"));
  commands_.OnTimer(lobby::kTimerGameWait);
  EXPECT_EQ(host_.calls.back(), text::ToUtf8(lobby::LogoutGameMessage()));
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("x/x.record")));
}

TEST_F(GameCommandsTest, SaveServerStoresTheAccountChoices) {
  Call("SaveServer",
       "<object><property id=\"UserName\"><string>李四</string></property>"
       "<property id=\"SaveAccount\"><number>1</number></property>"
       "<property id=\"NetMode\"><number>2</number></property>"
       "<property id=\"LoginNode\"><number>0</number></property></object>");
  EXPECT_TRUE(host_.calls.empty());
  lobby::ClientConfig again(dir_.WPath(), dir_.Join("profile.ini"));
  ASSERT_TRUE(again.LoadConfig());
  EXPECT_EQ(again.UserName, u"李四");
  EXPECT_EQ(again.SaveAccount, 1);
  EXPECT_EQ(again.NetMode, 2);
  EXPECT_EQ(again.UserTag, config_.UserTag);
}

TEST_F(GameCommandsTest, SaveServerWithOnlyNetModeRewritesEveryValue) {
  config_.UserName = u"kept";
  Call("SaveServer", "<object><property id=\"NetMode\"><number>1</number></property></object>");
  // Read as stored (the key file here, the registry on Windows), not through the config.
  platform::ProfileStore stored(dir_.Join("profile.ini"), "LoginData");
  ASSERT_EQ(stored.Load(), platform::ProfileStore::FileState::kLoaded);
  EXPECT_EQ(stored.GetDword("LoginMode"), 1u);
  EXPECT_EQ(stored.GetDword("LoginNode"), 0u);
  EXPECT_EQ(stored.GetDword("SaveAccount"), 0u);
  EXPECT_EQ(stored.GetString("UserName"), "kept");
  EXPECT_TRUE(stored.GetDword("UserMac").has_value());
  EXPECT_TRUE(stored.GetBinary("UserTag").has_value());
}

TEST_F(GameCommandsTest, GameWaitTimerWithoutAGameStops) {
  commands_.OnTimer(lobby::kTimerGameWait);
  EXPECT_EQ(host_.stopped, std::vector<int>{lobby::kTimerGameWait});
}

}  // namespace

// The page authors' dev mode: what the lobby drops or misreads is said on standard error, and
// only when QUORVANE_DEV=1.
class DevModeTest : public GameCommandsTest {
 protected:
  // Every request a page author gets wrong most often, sent once.
  std::string Mistakes(bool devMode) {
    testsupport::SetEnvironment("QUORVANE_DEV", devMode ? "1" : nullptr);
    testing::internal::CaptureStderr();
    Send("PlayGame", GameObject("G", "<object><property id=\"GameIp\"><string>127.0.0.1</string></property>"
                                     "<property id=\"GamePort\"><number>9100</number></property></object>"));
    Send("PlayGame", GameObject("G", "<object/>"));
    Send("LoginServer", "<object/>");
    bridge_.OnFSCommand(u"CheckGame", u"");
    Send("SaveServer", "<object><property id=\"NetMode\"><string>电信</string></property></object>");
    bridge_.OnFSCommand(u"OpenWeb", u"mailto:a@b.example");
    testsupport::SetEnvironment("QUORVANE_DEV", nullptr);
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(DevModeTest, MistakesAreExplainedOnStandardError) {
  const std::string said = Mistakes(true);
  for (const char* line : {
           "Quorvane dev: PlayGame GameParam: GameIp is not a whole number (<string>127.0.0.1</string>); it reads as 127\n",
           "Quorvane dev: PlayGame dropped: a game runs\n",
           "Quorvane dev: ExternalInterface.call(\"LoginServer\") is no command",
           "Quorvane dev: fscommand \"CheckGame\" is no command",
           "Quorvane dev: SaveServer: NetMode is not a whole number (<string>电信</string>); it reads as 0\n",
           "Quorvane dev: an address that is not an http or https page was not opened: mailto:a@b.example\n"}) {
    EXPECT_NE(said.find(line), std::string::npos) << "missing: " << line << "\nin:\n" << said;
  }
  // A port written as a number is a number, even unswapped: the lobby cannot tell.
  EXPECT_EQ(said.find("GamePort"), std::string::npos) << said;
}

TEST_F(DevModeTest, WithoutTheVariableNothingIsSaid) {
  EXPECT_EQ(Mistakes(false), "");
}
