#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/FileModes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PublishRun.h"
#include "updater/ArchiveHash.h"
#include "updater/ArchiveReader.h"
#include "updater/Crc32.h"
#include "updater/FileDigest.h"
#include "updater/ListPaths.h"
#include "updater/ReleaseAuthentication.h"
#include "updater/TrustedKeys.h"
#include "updater/UpdateList.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;
using publishtest::RunPublisher;
using publishtest::RunResult;
using publishtest::Tree;

namespace {

// Unpacks the archive's first item beside it, without the archive's ".zip", as the updater does.
bool UnpackBeside(const std::string& zipped) {
  updater::ArchiveReader reader;
  return reader.OpenArchive(text::FromUtf8(zipped)) == updater::ArchiveResult::kOk &&
         reader.ExtractItem(0, text::FromUtf8(zipped.substr(0, zipped.size() - 4)), UINT64_MAX) ==
             updater::ArchiveResult::kOk;
}

std::string Crc(const std::string& bytes) { return text::ToUtf8(updater::CrcText(updater::Crc32(bytes.data(), bytes.size()))); }

const std::string kVersionDocument = publishtest::VersionDocument("Game", "1.0.2");

// The bytes the release carries for a file of the program directory; its Update.cfg is made.
std::string Released(const std::string& programFile, const std::string& relative) {
  return relative == "Update.cfg" ? kVersionDocument : ReadFileBytes(programFile);
}

class PublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    ASSERT_TRUE(WriteFileBytes(Program("Game"), "#!/bin/sh\necho game\n"));
    ASSERT_EQ(chmod(Program("Game").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFileBytes(Program("data/maps/first.map"), std::string(5000, 'm')));
    ASSERT_TRUE(WriteFileBytes(Program("游戏.dat"), "中文内容"));
    ASSERT_TRUE(WriteFileBytes(Program("empty.txt"), ""));
    fs::create_directories(dir_.Join("srv"));
  }

  std::string Program(const std::string& relative) const { return dir_.Join("prog/" + relative); }
  std::string VersionDir() const { return dir_.Join("srv/zemba/game/102"); }

  RunResult Publish(const std::string& root = "srv", const std::string& name = "Game") {
    return RunPublisher({"--name", name, "--version", "1.0.2", "--program", dir_.Join("prog"), "--root", dir_.Join(root)},
                        dir_.Path());
  }

  // Unpacks the published list the way the updater does and loads it.
  bool LoadPublishedList(updater::UpdateList& list) { return LoadPublishedListFrom(VersionDir() + "/UpdateList.xml.102", list); }
  bool LoadPublishedListFrom(const std::string& archive, updater::UpdateList& list) {
    std::string zipped = dir_.Join("UpdateList.xml.zip");
    std::error_code ec;
    fs::remove(zipped, ec);  // mingw's copy_file does not overwrite
    fs::copy_file(archive, zipped);
    return UnpackBeside(zipped) && list.Load(text::FromUtf8(dir_.Join("UpdateList.xml")));
  }

  testsupport::TempDir dir_;
};

}  // namespace

TEST_F(PublisherTest, WritesTheServerLayoutWithOneArchivePerFile) {
  RunResult run = Publish();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::set<std::string> names;
  for (const auto& [path, bytes] : Tree(dir_.Join("srv"))) names.insert(path);
  EXPECT_EQ(names, (std::set<std::string>{"zemba/game/UpdateVersion.xml", "zemba/game/102/UpdateList.xml.102",
                                          "zemba/game/102/Game.102", "zemba/game/102/Update.cfg.102",
                                          "zemba/game/102/empty.txt.102", "zemba/game/102/游戏.dat.102",
                                          "zemba/game/102/data/maps/first.map.102"}));
}

TEST_F(PublisherTest, PrintsAOneLineSummary) {
  RunResult run = Publish();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("published Game 1.0.2: 5 files, "), 0u) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

TEST_F(PublisherTest, VersionFileAndUpdateCfgNameTheProgramAndVersion) {
  ASSERT_EQ(Publish().exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir_.Join("srv/zemba/game/UpdateVersion.xml")), kVersionDocument);
  const std::string zipped = dir_.Join("Update.cfg.zip");
  fs::copy_file(VersionDir() + "/Update.cfg.102", zipped);
  ASSERT_TRUE(UnpackBeside(zipped));
  EXPECT_EQ(ReadFileBytes(dir_.Join("Update.cfg")), kVersionDocument);
  EXPECT_EQ(fs::last_write_time(dir_.Join("Update.cfg")).time_since_epoch(),
            std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(946684800))).time_since_epoch());
  EXPECT_EQ(testsupport::ModeOf(dir_.Join("Update.cfg")), testsupport::KeptMode(0644));
}

// Files, folders, sizes, bytes and times: publishing only reads the program directory, and an
// Update.cfg found there is neither changed nor published.
TEST_F(PublisherTest, ProgramDirectoryIsUnchangedByteForByte) {
  ASSERT_TRUE(WriteFileBytes(Program("Update.cfg"), "the operator's own notes"));
  const auto before = publishtest::Snapshot(dir_.Join("prog"));
  ASSERT_EQ(Publish().exitCode, 0);
  EXPECT_EQ(publishtest::Snapshot(dir_.Join("prog")), before);
  updater::UpdateList list;
  ASSERT_TRUE(LoadPublishedList(list));
  int32_t listedLength = -1;
  for (updater::UpdateFileEntry* e = list.First(); e; e = list.Next()) {
    if (e->FileName() == u"Update.cfg") listedLength = e->FileLen();
  }
  EXPECT_EQ(listedLength, int32_t(kVersionDocument.size()));
}

TEST_F(PublisherTest, ServerTreeInsideTheProgramDirectoryIsRefused) {
  RunResult run = RunPublisher({"--name", "Game", "--version", "1.0.2", "--program", dir_.Join("prog"), "--root",
                                dir_.Join("prog/www")},
                               dir_.Path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("must not lie in one another"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Program("www")));
}

TEST_F(PublisherTest, BrandWordAndNameAreLowerCaseOnTheServer) {
  RunResult run = RunPublisher({"--name", "Game", "--version", "1.0.2", "--program", dir_.Join("prog"), "--root",
                                dir_.Join("srv"), "--corp", "Acme"},
                               dir_.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir_.Join("srv/acme/game/UpdateVersion.xml")));
  EXPECT_TRUE(fs::exists(dir_.Join("srv/acme/game/102/Game.102")));
}

TEST_F(PublisherTest, ListNamesEveryFileWithItsSizeAndCrc) {
  ASSERT_EQ(Publish().exitCode, 0);
  updater::UpdateList list;
  ASSERT_TRUE(LoadPublishedList(list));
  EXPECT_EQ(list.Version(), u"1.0.2");
  EXPECT_EQ(list.Name(), u"Game");
  std::map<std::string, std::pair<std::string, int32_t>> listed;  // local path -> CRC, size
  for (updater::UpdateFileEntry* e = list.First(); e; e = list.Next()) {
    text::WString local = e->FilePath().empty() ? e->FileName() : updater::LocalRelativePath(e->FilePath()) + u"/" + e->FileName();
    listed[text::ToUtf8(local)] = {text::ToUtf8(e->FileCrc()), e->FileLen()};
    EXPECT_TRUE(e->IsZip());
  }
  ASSERT_EQ(listed.size(), 5u);
  for (const char* file : {"Game", "Update.cfg", "data/maps/first.map", "empty.txt", "游戏.dat"}) {
    std::string bytes = Released(Program(file), file);
    EXPECT_EQ(listed[file], std::make_pair(Crc(bytes), int32_t(bytes.size()))) << file;
  }
  EXPECT_EQ(listed["empty.txt"].first, "0");
}


TEST_F(PublisherTest, ListIsSortedByPathBelowTheProgramDirectory) {
  ASSERT_EQ(Publish().exitCode, 0);
  updater::UpdateList list;
  ASSERT_TRUE(LoadPublishedList(list));
  std::vector<text::WString> order;
  for (updater::UpdateFileEntry* e = list.First(); e; e = list.Next()) order.push_back(e->FileName());
  EXPECT_EQ(order, (std::vector<text::WString>{u"Game", u"Update.cfg", u"first.map", u"empty.txt", u"游戏.dat"}));
}

TEST_F(PublisherTest, EveryArchiveMatchesItsListValuesAndUnpacksToTheOriginal) {
  ASSERT_EQ(Publish().exitCode, 0);
  updater::UpdateList list;
  ASSERT_TRUE(LoadPublishedList(list));
  updater::FileDigest digest;
  for (updater::UpdateFileEntry* e = list.First(); e; e = list.Next()) {
    text::WString dir = text::FromUtf8(VersionDir()) + (e->FilePath().empty() ? u"" : u"/" + updater::LocalRelativePath(e->FilePath()));
    const std::string relative = text::ToUtf8(e->FilePath().empty() ? e->FileName() : updater::LocalRelativePath(e->FilePath()) + u"/" + e->FileName());
    std::string original = Released(Program(relative), relative);
    // The updater downloads to "<name>.zip" and unpacks beside it.
    std::string zipped = dir_.Join("unpack/" + text::ToUtf8(e->FileName()) + ".zip");
    fs::create_directories(dir_.Join("unpack"));
    fs::copy_file(platform::FsPath(text::ToUtf8(dir + u"/" + e->FileName() + u".102")), platform::FsPath(zipped),
                  fs::copy_options::overwrite_existing);
    ASSERT_TRUE(digest.Measure(zipped));
    EXPECT_EQ(digest.Size(), uint32_t(e->CompressLen()));
    EXPECT_EQ(digest.CrcText(), e->CompressCrc());
    ASSERT_TRUE(UnpackBeside(zipped));
    std::string unpacked = dir_.Join("unpack/" + text::ToUtf8(e->FileName()));
    EXPECT_EQ(ReadFileBytes(unpacked), original) << text::ToUtf8(e->FileName());
    ASSERT_TRUE(digest.Measure(unpacked));
    EXPECT_EQ(digest.CrcText(), e->FileCrc());
  }
}

TEST_F(PublisherTest, ExecutableStaysExecutableAfterUnpacking) {
  ASSERT_EQ(Publish().exitCode, 0);
  std::string zipped = dir_.Join("Game.zip");
  fs::copy_file(VersionDir() + "/Game.102", zipped);
  ASSERT_TRUE(UnpackBeside(zipped));
  EXPECT_EQ(testsupport::ModeOf(dir_.Join("Game")), testsupport::KeptMode(0755));
}

// Only the list differs, by the time it binds as its signing time.
TEST_F(PublisherTest, PublishingTheSameInputTwiceGivesTheSameBytes) {
  ASSERT_EQ(Publish("first").exitCode, 0);
  ASSERT_EQ(Publish("second").exitCode, 0);
  std::map<std::string, std::string> first = Tree(dir_.Join("first"));
  std::map<std::string, std::string> second = Tree(dir_.Join("second"));
  EXPECT_EQ(first.size(), 7u);
  const std::string list = "zemba/game/102/UpdateList.xml.102";
  std::vector<std::vector<updater::FileRecord>> records;
  for (const char* root : {"first", "second"}) {
    updater::UpdateList loaded;
    ASSERT_TRUE(LoadPublishedListFrom(dir_.Join(root) + "/" + list, loaded));
    records.emplace_back();
    for (updater::UpdateFileEntry* e = loaded.First(); e; e = loaded.Next()) records.back().push_back(e->Record());
  }
  EXPECT_EQ(records[0], records[1]);
  first.erase(list);
  second.erase(list);
  EXPECT_EQ(first, second);
}

TEST_F(PublisherTest, FileNameOutsideCodePage936IsRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(WriteFileBytes(Program("icon😀.png"), "png"));
  RunResult run = Publish();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("icon😀.png"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("code page 936"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(dir_.Join("srv")));
  EXPECT_FALSE(fs::exists(Program("Update.cfg")));
}

TEST_F(PublisherTest, ProgramNameOutsideCodePage936IsRefused) {
  RunResult run = Publish("srv", "Game😀");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("code page 936"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(dir_.Join("srv")));
}

TEST_F(PublisherTest, FileThatWouldClashWithTheListArchiveIsRefused) {
  ASSERT_TRUE(WriteFileBytes(Program("UpdateList.xml"), "<x/>"));
  RunResult run = Publish();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("UpdateList.xml"), std::string::npos) << run.err;
}

TEST_F(PublisherTest, NamesThatWouldShareALocalNameInTheDownloadDirectoryAreRefused) {
  for (const std::string clash : {"UpdateLog.xml", "UpdateLogError.xml", "data/maps/first.map.zip", "Game.zip/x"}) {
    ASSERT_TRUE(WriteFileBytes(Program(clash), "x"));
    RunResult run = Publish();
    EXPECT_EQ(run.exitCode, 1) << clash;
    EXPECT_NE(run.err.find("local name"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(dir_.Join("srv"))) << clash;
    fs::remove_all(Program(clash.substr(0, clash.find('/'))));
  }
  ASSERT_TRUE(WriteFileBytes(Program(std::string(252, 'n')), "no room for .zip"));
  EXPECT_NE(Publish().err.find("too long"), std::string::npos);
  fs::remove(Program(std::string(252, 'n')));
  ASSERT_TRUE(WriteFileBytes(Program("data/UpdateLog.xml"), "below the top it is only a name"));
  EXPECT_EQ(Publish().exitCode, 0);
}

TEST_F(PublisherTest, FileNameTheListWouldAlterIsRefused) {
  ASSERT_TRUE(WriteFileBytes(Program("two  spaces.txt"), "x"));
  RunResult run = Publish();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("two  spaces.txt"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(dir_.Join("srv")));
}

TEST_F(PublisherTest, MissingArgumentsAreAUsageError) {
  RunResult run = RunPublisher({"--name", "Game", "--version", "1.0.2"}, dir_.Path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("usage:"), std::string::npos);
  EXPECT_EQ(RunPublisher({"--bogus", "x"}, dir_.Path()).exitCode, 2);
}


// --- keys and signed releases ----------------------------------------------------------------------

namespace {

class SigningPublisherTest : public PublisherTest {
 protected:
  std::string Secret() const { return dir_.Join("keys/secret.key"); }
  std::string Public() const { return dir_.Join("keys/UpdateKeys.pub"); }
  RunResult Keygen() {
    fs::create_directories(dir_.Join("keys"));
    return RunPublisher({"keygen", "--secret", Secret(), "--public", Public()}, dir_.Path());
  }
  RunResult PublishSigned(const std::string& secret) {
    return RunPublisher({"--name", "Game", "--version", "1.0.2", "--program", dir_.Join("prog"), "--root",
                         dir_.Join("srv"), "--sign", secret},
                        dir_.Path());
  }
};

}  // namespace

TEST_F(SigningPublisherTest, KeygenMakesAPrivateSecretAndAPublicKeyFileTheUpdaterTrusts) {
  RunResult run = Keygen();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(testsupport::ModeOf(Secret()), testsupport::KeptMode(0600));
  const updater::UpdateTrust trust = updater::ParseTrustedKeys(ReadFileBytes(Public()));
  ASSERT_EQ(trust.mode, updater::UpdateTrust::Mode::kKeys);
  EXPECT_EQ(trust.keys.size(), 1u);
  EXPECT_TRUE(trust.keys[0].programs.empty());
}

TEST_F(SigningPublisherTest, KeygenNeverOverwritesAKey) {
  ASSERT_EQ(Keygen().exitCode, 0);
  const std::string secret = ReadFileBytes(Secret());
  const std::string pub = ReadFileBytes(Public());
  RunResult again = Keygen();
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("will not overwrite"), std::string::npos) << again.err;
  EXPECT_EQ(ReadFileBytes(Secret()), secret);
  EXPECT_EQ(ReadFileBytes(Public()), pub);
}

TEST_F(SigningPublisherTest, SignatureBesideTheListVerifiesOverTheArchiveBytes) {
  ASSERT_EQ(Keygen().exitCode, 0);
  RunResult run = PublishSigned(Secret());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string archive = ReadFileBytes(VersionDir() + "/UpdateList.xml.102");
  const std::string signature = ReadFileBytes(VersionDir() + "/UpdateList.xml.102.sig");
  const updater::UpdateTrust trust = updater::ParseTrustedKeys(ReadFileBytes(Public()));
  std::string why;
  EXPECT_TRUE(updater::SignedByTrustedKey(trust, archive, signature, u"Game", why)) << why;
  EXPECT_FALSE(updater::SignedByTrustedKey(trust, archive + " ", signature, u"Game", why));
}

TEST_F(SigningPublisherTest, SignedListBindsNameVersionTimeAndEveryArchiveHash) {
  ASSERT_EQ(Keygen().exitCode, 0);
  const int64_t before = static_cast<int64_t>(std::time(nullptr));
  ASSERT_EQ(PublishSigned(Secret()).exitCode, 0);
  updater::UpdateList list;
  ASSERT_TRUE(LoadPublishedList(list));
  EXPECT_EQ(list.Name(), u"Game");
  EXPECT_EQ(list.Version(), u"1.0.2");
  EXPECT_GE(std::stoll(list.SignedTime()), before);
  ASSERT_EQ(list.Count(), 5u);
  for (updater::UpdateFileEntry* e = list.First(); e; e = list.Next()) {
    const std::string dir = text::ToUtf8(updater::LocalRelativePath(e->FilePath()));
    const std::string archive = VersionDir() + "/" + (dir.empty() ? "" : dir + "/") + text::ToUtf8(e->FileName()) + ".102";
    EXPECT_EQ(e->CompressHash(), updater::HashText(ReadFileBytes(archive))) << archive;
  }
}

TEST_F(SigningPublisherTest, UnreadableSecretPublishesNothing) {
  WriteFileBytes(Secret(), "not a key\n");
  RunResult run = PublishSigned(Secret());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(VersionDir()));
}

TEST_F(SigningPublisherTest, ShippedKeyFileWithoutAKeyForTheProgramIsRefused) {
  ASSERT_EQ(Keygen().exitCode, 0);
  WriteFileBytes(Program("UpdateKeys.pub"), ReadFileBytes(Public()).substr(0, 44) + " Other\n");
  RunResult run = PublishSigned(Secret());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("UpdateKeys.pub"), std::string::npos) << run.err;
  WriteFileBytes(Program("UpdateKeys.pub"), ReadFileBytes(Public()));
  EXPECT_EQ(PublishSigned(Secret()).exitCode, 0);
}

TEST_F(SigningPublisherTest, UnsignedForcedRepublicationDropsAStaleSignature) {
  ASSERT_EQ(Keygen().exitCode, 0);
  ASSERT_EQ(PublishSigned(Secret()).exitCode, 0);
  RunResult run = RunPublisher({"--name", "Game", "--version", "1.0.2", "--program", dir_.Join("prog"), "--root",
                                dir_.Join("srv"), "--force"},
                               dir_.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(fs::exists(VersionDir() + "/UpdateList.xml.102.sig"));
}
