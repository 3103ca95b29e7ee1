// An archive interrupted part-way is continued, not fetched again, and only when the server
// agrees that the bytes kept are still its own: every inconsistent answer starts it over.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/FileLinks.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/LiveThread.h"
#include "updater/PartialArchive.h"

namespace updater {
namespace {

using namespace testsupport;
namespace fs = std::filesystem;

constexpr const char* kArchive = "/game/102/big.bin.102";

// Bytes that do not compress, so the archive is about as long as the file.
std::string Noise(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (char& c : s) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

HttpResponse Served(const std::string& body, const std::string& etag = "\"v1\"") {
  HttpResponse r = HttpResponse::Ok(body);
  r.headers = {{"ETag", etag}};
  r.servesRanges = true;
  return r;
}

HttpResponse Cut(const std::string& body, size_t at) {
  HttpResponse r = Served(body);
  r.truncateAfter = static_cast<long>(at);
  return r;
}

HttpResponse Partial(const std::string& body, size_t from, const std::string& contentRange) {
  HttpResponse r = HttpResponse::Status(206, body.substr(from));
  if (!contentRange.empty()) r.headers = {{"Content-Range", contentRange}};
  return r;
}

class Resume : public ::testing::Test {
 protected:
  void PublishBig(const std::string& data) {
    published = Publish("/game", "102", {{"", "small.txt", "small"}, {"", "big.bin", data}});
    published.ServeOn(server);
    archive = published.bodies[kArchive];
    half = archive.size() / 2;
  }
  std::unique_ptr<CLiveThread> Worker() { return install.Worker(server.BaseUrl() + "/game", u"1.0.2"); }
  // Leaves the big archive cut at `half` with the log of that run.
  void InterruptedRun() {
    server.SetSequence(kArchive, {Cut(archive, half), HttpResponse::Status(404)});
    Worker()->Run();
    ASSERT_EQ(install.window.Messages().back(), Failed());
    ASSERT_EQ(fs::file_size(PartialPath()), half);
    install.window.Clear();
    firstRun = ArchiveRequests().size();
  }
  std::vector<RecordedRequest> ArchiveRequests() const {
    std::vector<RecordedRequest> out;
    for (const RecordedRequest& r : server.Requests()) if (r.path == kArchive) out.push_back(r);
    return out;
  }
  std::string PartialPath() const { return install.down + "/big.bin.zip"; }
  std::string Installed() const { return ReadFileBytes(install.prog + "/big.bin"); }
  // The big file's byte counts as the window saw them, in order.
  std::vector<uint32_t> BigFileBytes() const {
    std::vector<uint32_t> out;
    for (const Seen& s : install.window.Only(WM_UPDATE_BYTES)) if (s.lParam == archive.size()) out.push_back(s.wParam);
    return out;
  }

  TestHttpServer server;
  Install install;
  Published published;
  std::string data = Noise(60000, 7);
  std::string archive;
  size_t half = 0;
  size_t firstRun = 0;  // archive requests of the interrupted run
};

TEST_F(Resume, ConnectionDroppedMidBodyIsContinuedWithRangeGuardedByTheValidator) {
  PublishBig(data);
  server.SetSequence(kArchive, {Cut(archive, half), Served(archive)});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  const auto requests = ArchiveRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].HasHeader("Range"));
  EXPECT_EQ(requests[1].Header("Range"), "bytes=" + std::to_string(half) + "-");
  EXPECT_EQ(requests[1].Header("If-Range"), "\"v1\"");
  const std::vector<uint32_t> bytes = BigFileBytes();
  EXPECT_TRUE(std::is_sorted(bytes.begin(), bytes.end())) << "the bar never goes back";
  EXPECT_EQ(bytes.back(), archive.size());
}

TEST_F(Resume, LastModifiedGuardsTheRangeWhenTheETagIsWeak) {
  PublishBig(data);
  HttpResponse cut = Cut(archive, half);
  cut.headers = {{"ETag", "W/\"weak\""}, {"Last-Modified", "Tue, 08 Dec 2026 10:00:00 GMT"}};
  server.SetSequence(kArchive, {cut, Served(archive)});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  ASSERT_EQ(ArchiveRequests().size(), 2u);
  EXPECT_EQ(ArchiveRequests()[1].Header("If-Range"), "Tue, 08 Dec 2026 10:00:00 GMT");
}

TEST_F(Resume, AnswerWithoutValidatorIsNeverContinued) {
  PublishBig(data);
  HttpResponse cut = Cut(archive, half);
  cut.headers.clear();
  server.SetSequence(kArchive, {cut, Served(archive)});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  ASSERT_EQ(ArchiveRequests().size(), 2u);
  EXPECT_FALSE(ArchiveRequests()[1].HasHeader("Range"));
}

TEST_F(Resume, PartialArchiveSurvivesTheRunAndTheNextRunAsksOnlyForTheRest) {
  PublishBig(data);
  InterruptedRun();
  EXPECT_TRUE(fs::exists(ValidatorPathFor(PartialPath())));
  server.Set(kArchive, Served(archive));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  const auto requests = ArchiveRequests();
  ASSERT_EQ(requests.size(), firstRun + 1);
  EXPECT_EQ(requests.back().Header("Range"), "bytes=" + std::to_string(half) + "-");
  EXPECT_EQ(requests.back().Header("If-Range"), "\"v1\"");
  EXPECT_FALSE(fs::exists(install.down)) << "the validator goes with the download directory";
}

TEST_F(Resume, ServerIgnoringTheRangeStartsTheFileOver) {
  PublishBig(data);
  HttpResponse whole = Served(archive);
  whole.servesRanges = false;
  server.SetSequence(kArchive, {Cut(archive, half), whole});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  EXPECT_EQ(ArchiveRequests().size(), 2u);
}

TEST_F(Resume, ValidatorChangedOnTheServerBringsTheWholeFile) {
  PublishBig(data);
  InterruptedRun();
  server.Set(kArchive, Served(archive, "\"v2\""));  // answers the If-Range of "v1" with a 200
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  const auto requests = ArchiveRequests();
  ASSERT_EQ(requests.size(), firstRun + 1);
  EXPECT_EQ(requests.back().Header("If-Range"), "\"v1\"");
}

TEST_F(Resume, PartialAnswerStartingEarlierIsWrittenAtItsOwnStart) {
  PublishBig(data);
  const size_t from = half - 1000;
  const std::string range = "bytes " + std::to_string(from) + "-" + std::to_string(archive.size() - 1) + "/" +
                            std::to_string(archive.size());
  server.SetSequence(kArchive, {Cut(archive, half), Partial(archive, from, range)});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  EXPECT_EQ(ArchiveRequests().size(), 2u) << "the overlap is not appended twice";
}

TEST_F(Resume, InconsistentPartialAnswersStartTheFileOverOnce) {
  const std::string data = Noise(60000, 7);
  const Published p = Publish("/game", "102", {{"", "big.bin", data}});
  const std::string body = p.bodies.at(kArchive);
  const size_t half = body.size() / 2, n = body.size();
  auto range = [](size_t a, size_t b, size_t c) {
    return "bytes " + std::to_string(a) + "-" + std::to_string(b) + "/" + std::to_string(c);
  };
  const std::vector<std::pair<std::string, HttpResponse>> cases{
      {"no Content-Range", Partial(body, half, "")},
      {"starts later than asked", Partial(body, half + 10, range(half + 10, n - 1, n))},
      {"another file's size", Partial(body, half, range(half, n - 1, n + 1))},
      {"not to the end", Partial(body.substr(0, n - 5), half, range(half, n - 6, n))},
      {"unreadable", Partial(body, half, "bytes " + std::to_string(half) + "-/" + std::to_string(n))},
      {"416", HttpResponse::Status(416)},
  };
  for (const auto& [name, answer] : cases) {
    SCOPED_TRACE(name);
    TestHttpServer server;
    p.ServeOn(server);
    HttpResponse whole = Served(body);
    whole.servesRanges = false;
    server.SetSequence(kArchive, {Cut(body, half), answer, whole});
    Install install;
    install.Worker(server.BaseUrl() + "/game", u"1.0.2")->Run();
    EXPECT_EQ(install.window.Messages().back(), Done());
    EXPECT_EQ(ReadFileBytes(install.prog + "/big.bin"), data);
    std::vector<RecordedRequest> requests;
    for (const RecordedRequest& r : server.Requests()) if (r.path == kArchive) requests.push_back(r);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[1].HasHeader("Range"));
    EXPECT_FALSE(requests[2].HasHeader("Range")) << "started over from the first byte";
  }
}

TEST_F(Resume, PartialAlteredOnDiskFailsVerificationAndStartsOverFromTheFirstByte) {
  PublishBig(data);
  InterruptedRun();
  std::string kept = ReadFileBytes(PartialPath());
  kept[kept.size() / 2] ^= 0x55;
  WriteFileBytes(PartialPath(), kept);
  server.Set(kArchive, Served(archive));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  const auto requests = ArchiveRequests();
  ASSERT_EQ(requests.size(), firstRun + 2);
  EXPECT_TRUE(requests[firstRun].HasHeader("Range"));
  EXPECT_FALSE(requests[firstRun + 1].HasHeader("Range")) << "an archive that reached its size is never continued";
}

TEST_F(Resume, LinkPlantedAtThePartialNameIsRemovedNotFollowed) {
  PublishBig(data);
  InterruptedRun();
  const std::string outside = install.dir.Join("outside.bin");
  WriteFileBytes(outside, archive.substr(0, half));
  fs::remove(PartialPath());
  if (!PlantLink(outside, PartialPath())) GTEST_SKIP() << kNoLinks;
  server.Set(kArchive, Served(archive));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(ReadFileBytes(outside), archive.substr(0, half));
  EXPECT_FALSE(ArchiveRequests().back().HasHeader("Range"));
}

TEST_F(Resume, VersionPublishedAgainWithOtherFilesStartsAfreshInsteadOfResuming) {
  PublishBig(data);
  InterruptedRun();
  const std::string other = Noise(60000, 8);
  PublishBig(other);  // the same version, other content: another list
  server.Set(kArchive, Served(archive, "\"v2\""));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), other);
  EXPECT_FALSE(ArchiveRequests().back().HasHeader("Range")) << "the old partial belongs to the old list";
}

TEST_F(Resume, TransientFailuresAreRetriedUpToTheBoundContinuingEachTime) {
  PublishBig(data);
  HttpResponse reset = HttpResponse::Ok("");
  reset.closeWithoutAnswer = true;
  server.SetSequence(kArchive, {Cut(archive, 1000), HttpResponse::Status(503), reset, Served(archive)});
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  const auto requests = ArchiveRequests();
  ASSERT_EQ(requests.size(), static_cast<size_t>(kTransientAttempts));
  EXPECT_EQ(requests.back().Header("Range"), "bytes=1000-");
}

TEST_F(Resume, TransientFailuresEndTheFileAfterTheBound) {
  PublishBig(data);
  server.Set(kArchive, HttpResponse::Status(502));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Failed());
  EXPECT_EQ(ArchiveRequests().size(), static_cast<size_t>(kTransientAttempts));
}

}  // namespace
}  // namespace updater

namespace updater {
namespace {

TEST_F(Resume, ArchiveThatArrivedWholeBeforeTheKillIsMeasuredNotFetchedAgain) {
  PublishBig(data);
  InterruptedRun();
  WriteFileBytes(PartialPath(), archive);  // finished before the log could record it
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  EXPECT_EQ(ArchiveRequests().size(), firstRun);
}

TEST_F(Resume, WholeArchiveThatIsNotTheListedOneIsFetchedAfresh) {
  PublishBig(data);
  InterruptedRun();
  std::string wrong = archive;
  wrong[wrong.size() / 2] ^= 0x55;
  WriteFileBytes(PartialPath(), wrong);
  server.Set(kArchive, Served(archive));
  Worker()->Run();
  EXPECT_EQ(install.window.Messages().back(), Done());
  EXPECT_EQ(Installed(), data);
  ASSERT_EQ(ArchiveRequests().size(), firstRun + 1);
  EXPECT_FALSE(ArchiveRequests().back().HasHeader("Range"));
}

}  // namespace
}  // namespace updater
