// What someone on the network path, a compromised mirror or a careless operator must never
// achieve once the program directory trusts keys: an install of anything the publisher did not
// sign for this program and version, an older release, or a mix of releases. Each attack ends
// refused, with the installed program untouched and the unverified downloads gone.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/updater/SignedRelease.h"
#include "updater/InstalledRelease.h"
#include "updater/LiveThread.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;
using contract::UpdaterExit;

Seen RefusedEnd() { return {WM_UPDATE_FAILED, static_cast<uint32_t>(UpdaterExit::kRefused), 0, false, {}}; }

class Authenticity : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(install.prog + "/game.exe", "installed game");
    WriteFileBytes(install.prog + "/data.txt", "installed data");
  }

  std::unique_ptr<CLiveThread> Worker(const std::string& keyFile, const char16_t* version = u"1.0.2",
                                      const char16_t* name = u"Game") {
    auto worker = install.Worker(server.BaseUrl() + "/game", version, name);
    worker->SetTrust(ParseTrustedKeys(keyFile), text::FromUtf8(stateDir));
    return worker;
  }
  // Runs a worker that trusts `keyFile` to its end; returns how it ended.
  UpdaterExit Run(const std::string& keyFile, const char16_t* version = u"1.0.2", const char16_t* name = u"Game") {
    auto worker = Worker(keyFile, version, name);
    worker->Run();
    return worker->Outcome();
  }
  Published Serve(const Published& p) {
    p.ServeOn(server);
    return p;
  }
  std::vector<SourceFile> Files(const std::string& tag) const {
    return {{"", "game.exe", "game " + tag}, {"", "data.txt", "data " + tag}};
  }
  void ExpectUntouched() const {
    EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "installed game");
    EXPECT_EQ(ReadFileBytes(install.prog + "/data.txt"), "installed data");
  }
  // Nothing the refused run downloaded is left: no list, no signature, no archive, no file.
  void ExpectNoDownloads() const {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(install.down, ec)) {
      ADD_FAILURE() << "left behind: " << e.path();
    }
  }
  void ExpectRefused(UpdaterExit outcome) const {
    EXPECT_EQ(outcome, UpdaterExit::kRefused);
    const std::vector<Seen> seen = install.window.Messages();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), RefusedEnd());
    EXPECT_EQ(seen[seen.size() - 2].text, kRefusedText);
    ExpectUntouched();
    ExpectNoDownloads();
  }

  TestHttpServer server;
  Install install;
  std::string stateDir = install.dir.Join("state");
  TestKey key;
};

// --- what a trusted key signed installs -----------------------------------------------------------

TEST_F(Authenticity, SignedReleaseInstallsAndIsRecorded) {
  fs::create_directories(stateDir);
  Serve(PublishSigned("/game", Files("new"), key));
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game new");
  const std::optional<InstalledRelease> record = ReadInstalledRelease(text::FromUtf8(stateDir), text::FromUtf8(install.prog));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->version, u"1.0.2");
  EXPECT_EQ(record->signedTime, "1700000000");
  EXPECT_EQ(record->listHash.size(), 64u);
}

TEST_F(Authenticity, SignedUpdateRetiresWhatTheInstalledReleaseNoLongerShips) {
  fs::create_directories(stateDir);
  SignedSpec first;
  first.version = "1.0.1";
  first.signedTime = "1690000000";
  std::vector<SourceFile> files = Files("old");
  files.push_back({"", "dropped.pak", "dropped"});
  Serve(PublishSigned("/game", files, key, first));
  ASSERT_EQ(Run(key.Line(), u"1.0.1"), UpdaterExit::kInstalled);
  Serve(PublishSigned("/game", Files("new"), key));
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game new");
  EXPECT_FALSE(fs::exists(install.prog + "/dropped.pak"));
  EXPECT_EQ(ReadInstalledRelease(text::FromUtf8(stateDir), text::FromUtf8(install.prog))->signedTime, "1700000000");
}

TEST_F(Authenticity, EitherOfTwoTrustedKeysMayHaveSigned) {
  fs::create_directories(stateDir);
  TestKey newer;
  const std::string both = "# old key, then the one that replaces it\n" + key.Line() + "\r\n" + newer.Line() + "\r\n";
  Serve(PublishSigned("/game", Files("by the new key"), newer));
  EXPECT_EQ(Run(both), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game by the new key");
}

TEST_F(Authenticity, KeyListingThisProgramSigns) {
  fs::create_directories(stateDir);
  Serve(PublishSigned("/game", Files("new"), key));
  EXPECT_EQ(Run(key.Line("Other,Game")), UpdaterExit::kInstalled);
}

TEST_F(Authenticity, NoKeyFileInstallsUnsignedReleases) {
  Serve(Publish("/game", "102", Files("unsigned")));
  auto worker = install.Worker(server.BaseUrl() + "/game", u"1.0.2");
  worker->SetTrust(UpdateTrust{}, text::FromUtf8(stateDir));
  worker->Run();
  EXPECT_EQ(worker->Outcome(), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game unsigned");
}

TEST_F(Authenticity, NothingToDoIsItsOwnOutcome) {
  WriteFileBytes(install.prog + "/game.exe", "game new");
  WriteFileBytes(install.prog + "/data.txt", "data new");
  fs::create_directories(stateDir);
  Serve(PublishSigned("/game", Files("new"), key));
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kNothingToDo);
  EXPECT_EQ(install.window.Messages().back(), (Seen{WM_UPDATE_FAILED, 2, 0, false, {}}));
}

// --- attacks on the list and its signature -------------------------------------------------------

TEST_F(Authenticity, RewrittenArchiveWithTheListMadeToAgreeIsRefused) {
  Published p = PublishSigned("/game", Files("new"), key);
  // In transit: another executable, and the list's sizes and CRCs rewritten to match it.
  TempDir scratch;
  const std::string evil = ZipBytes(scratch, "game.exe", "evil payload");
  p.bodies["/game/102/game.exe.102"] = evil;
  for (FileRecord& r : p.records) {
    if (r.fileName != "game.exe") continue;
    r.fileCrc = CrcOf("evil payload");
    r.fileLen = 12;
    r.compressCrc = CrcOf(evil);
    r.compressLen = static_cast<int32_t>(evil.size());
    r.compressHash = HashText(evil);
  }
  p.bodies["/game/102/UpdateList.xml.102"] = ZippedList(SignedSpec{}, p.records);
  Serve(p);
  ExpectRefused(Run(key.Line()));
  EXPECT_EQ(server.RequestCount("/game/102/game.exe.102"), 0) << "nothing is fetched for an unsigned list";
}

TEST_F(Authenticity, RewrittenListIsRefused) {
  Published p = PublishSigned("/game", Files("new"), key);
  std::string& list = p.bodies["/game/102/UpdateList.xml.102"];
  list[list.size() / 2] ^= 0x01;
  Serve(p);
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, SignatureByAnotherKeyIsRefused) {
  TestKey stranger;
  Serve(PublishSigned("/game", Files("new"), stranger));
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, RemovedSignatureIsRefused) {
  Published p = PublishSigned("/game", Files("new"), key);
  p.bodies.erase("/game/102/UpdateList.xml.102.sig");
  Serve(p);
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, TruncatedSignatureIsRefused) {
  Published p = PublishSigned("/game", Files("new"), key);
  std::string& sig = p.bodies["/game/102/UpdateList.xml.102.sig"];
  sig = sig.substr(0, 40) + "\n";
  Serve(p);
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, OversizedSignatureIsRefusedWithoutReadingItAll) {
  Published p = PublishSigned("/game", Files("new"), key);
  std::string& sig = p.bodies["/game/102/UpdateList.xml.102.sig"];
  sig += std::string(64 << 10, '#');  // a valid first line, then far more than a signature holds
  Serve(p);
  ExpectRefused(Run(key.Line()));
  bool cutOff = false;
  for (const text::WString& line : install.debugLines) cutOff = cutOff || line.find(u"no signature file of at most 256 bytes") != text::WString::npos;
  EXPECT_TRUE(cutOff) << "refused while fetching, not after reading it all";
}

TEST_F(Authenticity, KeyLimitedToOtherProgramsIsRefused) {
  Serve(PublishSigned("/game", Files("new"), key));
  ExpectRefused(Run(key.Line("Quorvane,Other")));
}

// --- replay, rollback and mixing -----------------------------------------------------------------

TEST_F(Authenticity, SignedReleaseCopiedUnderAnotherVersionIsRefused) {
  Published p = PublishSigned("/game", Files("1.0.2"), key);
  // The 1.0.2 release, byte for byte, under the names of 1.0.3.
  Published copy;
  for (const auto& [path, body] : p.bodies) {
    std::string moved = path;
    for (size_t at = moved.find("102"); at != std::string::npos; at = moved.find("102", at + 3)) moved.replace(at, 3, "103");
    copy.bodies[moved] = body;
  }
  Serve(copy);
  ExpectRefused(Run(key.Line(), u"1.0.3"));
}

TEST_F(Authenticity, SignedReleaseOfAnotherProgramIsRefused) {
  SignedSpec other;
  other.name = "Other";
  Serve(PublishSigned("/game", Files("other"), key, other));
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, ReleaseSignedBeforeTheInstalledOneIsRefusedWhateverItsVersion) {
  fs::create_directories(stateDir);
  ASSERT_TRUE(WriteInstalledRelease(text::FromUtf8(stateDir), text::FromUtf8(install.prog),
                                    {u"Game", u"1.0.2", "1700000500", std::string(64, 'a')}));
  SignedSpec older;
  older.version = "1.0.9";  // sorts after 1.0.2, yet signed earlier: an old release renamed
  older.signedTime = "1700000100";
  Serve(PublishSigned("/game", Files("old"), key, older));
  ExpectRefused(Run(key.Line(), u"1.0.9"));
}

TEST_F(Authenticity, ReleaseSignedLaterThanTheInstalledOneInstalls) {
  fs::create_directories(stateDir);
  ASSERT_TRUE(WriteInstalledRelease(text::FromUtf8(stateDir), text::FromUtf8(install.prog),
                                    {u"Game", u"1.0.2", "999999999", std::string(64, 'a')}));
  Serve(PublishSigned("/game", Files("new"), key));  // 1700000000: one more digit, so later
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
}

TEST_F(Authenticity, ArchiveOfAnotherSignedReleaseIsRefused) {
  SignedSpec first;
  first.version = "1.0.1";
  const Published old = PublishSigned("/game", Files("1.0.1"), key, first);
  Published p = PublishSigned("/game", Files("1.0.2"), key);
  // The mirror serves 1.0.1's executable under 1.0.2's name.
  p.bodies["/game/102/game.exe.102"] = old.bodies.at("/game/101/game.exe.101");
  Serve(p);
  ExpectRefused(Run(key.Line()));
}

TEST_F(Authenticity, ArchiveThatDiffersFromItsSignedHashIsNeverUnpacked) {
  // Size and CRC agree with what is served; only the signed hash tells it is not the release's.
  SignedSpec spec;
  spec.alter = [](FileRecord& r) {
    if (r.fileName == "game.exe") r.compressHash = HashText("some other archive");
  };
  Serve(PublishSigned("/game", Files("new"), key, spec));
  ExpectRefused(Run(key.Line()));
  EXPECT_EQ(server.RequestCount("/game/102/game.exe.102"), 2) << "fetched once more from its first byte, then refused";
}

TEST_F(Authenticity, SignedListWithAFileWithoutHashIsRefusedBeforeAnyArchive) {
  SignedSpec spec;
  spec.alter = [](FileRecord& r) {
    if (r.fileName == "data.txt") r.compressHash.clear();
  };
  Serve(PublishSigned("/game", Files("new"), key, spec));
  ExpectRefused(Run(key.Line()));
  EXPECT_EQ(server.RequestCount("/game/102/game.exe.102"), 0);
  EXPECT_EQ(server.RequestCount("/game/102/data.txt.102"), 0);
}

TEST_F(Authenticity, CompleteArchiveFailingItsCheckIsDeletedNotKeptForResuming) {
  Published p = Publish("/game", "102", Files("new"));
  std::string& archive = p.bodies["/game/102/data.txt.102"];
  archive[archive.size() / 2] ^= 0x01;  // complete, but not the listed bytes
  Serve(p);
  auto worker = install.Worker(server.BaseUrl() + "/game", u"1.0.2");
  worker->SetTrust(UpdateTrust{}, text::FromUtf8(stateDir));
  worker->Run();
  EXPECT_EQ(worker->Outcome(), UpdaterExit::kFailed);
  EXPECT_EQ(server.RequestCount("/game/102/data.txt.102"), 2);
  EXPECT_FALSE(fs::exists(install.down + "/data.txt.zip"));
  EXPECT_TRUE(fs::exists(install.down + "/UpdateLog.xml")) << "a failed run still leaves its log to resume";
}

// --- the trusted key file itself ------------------------------------------------------------------

TEST_F(Authenticity, MalformedKeyFileRefusesEveryReleaseWithoutFallingBack) {
  Serve(Publish("/game", "102", Files("unsigned")));
  for (const std::string& broken : {std::string("not a key\n"), key.Line() + "\nAAAA\n", std::string("# only a comment\n"),
                                    std::string(kKeyFileLimit + 1, '#')}) {
    install.window.Clear();
    ExpectRefused(Run(broken));
  }
  EXPECT_TRUE(server.Requests().empty()) << "refused before anything is fetched";
}

TEST_F(Authenticity, UnreadableKeyFileRefusesEveryRelease) {
  Serve(Publish("/game", "102", Files("unsigned")));
  fs::create_directories(install.dir.Join("keys/UpdateKeys.pub"));  // a directory: present, unreadable as text
  auto worker = install.Worker(server.BaseUrl() + "/game", u"1.0.2");
  worker->SetTrust(LoadTrustedKeys(install.dir.Join("keys/UpdateKeys.pub")), text::FromUtf8(stateDir));
  worker->Run();
  ExpectRefused(worker->Outcome());
  EXPECT_TRUE(server.Requests().empty()) << "refused before anything is fetched";
}

TEST_F(Authenticity, ReleaseCarryingAKeyFileWithoutAUsableKeyIsRefused) {
  TestKey other;
  for (const std::string& shipped : {std::string("# all keys removed\n"), other.Line("Other")}) {
    install.window.Clear();
    std::vector<SourceFile> files = Files("new");
    files.push_back({"", "UpdateKeys.pub", shipped});
    Serve(PublishSigned("/game", files, key));
    ExpectRefused(Run(key.Line()));
    EXPECT_FALSE(fs::exists(install.prog + "/UpdateKeys.pub"));
  }
}

TEST_F(Authenticity, ReleaseMayReplaceTheKeyFileWithUsableKeys) {
  fs::create_directories(stateDir);
  TestKey next;
  std::vector<SourceFile> files = Files("new");
  files.push_back({"", "UpdateKeys.pub", key.Line() + "\n" + next.Line() + "\n"});
  Serve(PublishSigned("/game", files, key));
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/UpdateKeys.pub"), key.Line() + "\n" + next.Line() + "\n");
}

// --- a resumed run ---------------------------------------------------------------------------------

TEST_F(Authenticity, ResumedRunWhoseListChangedOnTheServerStartsAfresh) {
  fs::create_directories(stateDir);
  Published first = PublishSigned("/game", Files("first"), key);
  first.bodies["/game/102/data.txt.102"] = "";  // cut off: the run stops with a log
  Serve(first);
  server.Set("/game/102/data.txt.102", HttpResponse::Status(404));
  ASSERT_EQ(Run(key.Line()), UpdaterExit::kFailed);
  ASSERT_TRUE(fs::exists(install.down + "/UpdateLog.xml"));
  // The operator publishes the version again, with other content.
  SignedSpec again;
  again.signedTime = "1700000100";
  Serve(PublishSigned("/game", Files("second"), key, again));
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game second");
  EXPECT_EQ(ReadFileBytes(install.prog + "/data.txt"), "data second");
}

TEST_F(Authenticity, LogWithoutATieToTheSignedListIsDiscarded) {
  fs::create_directories(stateDir);
  // A log from before keys were trusted, whose entry says another game.exe is downloaded and
  // verified.
  WriteFileBytes(install.down + "/game.exe", "planted");
  Published p = PublishSigned("/game", Files("new"), key);
  UpdateList log;
  log.SetVersion(u"1.0.2");
  FileRecord planted = p.records[0];
  ASSERT_EQ(planted.fileName, "game.exe");
  planted.status = 1;
  planted.fileCrc = CrcOf("planted");
  planted.fileLen = 7;
  log.Add(planted);
  ASSERT_TRUE(log.Save(text::FromUtf8(install.down + "/UpdateLog.xml")));
  Serve(p);
  EXPECT_EQ(Run(key.Line()), UpdaterExit::kInstalled);
  EXPECT_EQ(ReadFileBytes(install.prog + "/game.exe"), "game new");
}

}  // namespace
}  // namespace updater
