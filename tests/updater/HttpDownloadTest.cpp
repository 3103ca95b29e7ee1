#include "updater/HttpDownload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "tests/support/FileLinks.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/updater/UpdateFixture.h"

namespace updater {
namespace {

using namespace testsupport;

constexpr uint64_t kNoLimit = UINT64_MAX;

// Downloads through the worker, as the procedure does, against the in-test server.
class Download : public ::testing::Test {
 protected:
  bool Get(const std::string& path, uint32_t expected, const std::string& target) {
    return worker->DownloadToFile(text::FromUtf8(server.BaseUrl() + path), text::FromUtf8(target), expected, kNoLimit);
  }
  bool Get(const std::string& path, uint32_t expected = 0) { return Get(path, expected, Target()); }
  std::string Target() const { return install.dir.Join("target.bin"); }
  std::string Body(size_t n) const {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
  }

  TestHttpServer server;
  Install install;
  std::unique_ptr<CLiveThread> worker = install.Worker(server.BaseUrl(), u"1.0");
};

TEST_F(Download, SendsTheFixedRequestSettings) {
  server.Set("/f", HttpResponse::Ok("x"));
  const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_TRUE(Get("/f"));
  const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_EQ(server.Requests().size(), 1u);
  const RecordedRequest r = server.Requests()[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.version, "HTTP/1.1");
  EXPECT_EQ(r.Header("User-Agent"), "Vendrel");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");
  EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
  ASSERT_EQ(r.query.substr(0, 2), "a=");
  const uint32_t stamp = static_cast<uint32_t>(std::stoul(r.query.substr(2)));
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
}

TEST_F(Download, WritesTheBodyAndReportsEveryChunkThenTheTotalAgain) {
  const std::string body = Body(12000);
  server.Set("/f", HttpResponse::Ok(body));
  ASSERT_TRUE(Get("/f", 777));
  EXPECT_EQ(ReadFileBytes(Target()), body);
  const std::vector<Seen> bytes = install.window.Only(WM_UPDATE_BYTES);
  ASSERT_GE(bytes.size(), 4u);  // at least 5120 + 5120 + 1760, then the final repeat
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    EXPECT_EQ(bytes[i].lParam, 777u);
    EXPECT_LE(bytes[i + 1].wParam - bytes[i].wParam, HttpDownload::kChunkBytes);
  }
  EXPECT_EQ(bytes[bytes.size() - 2], Bytes(12000, 777));
  EXPECT_EQ(bytes.back(), Bytes(12000, 777));
}

TEST_F(Download, EmptyBodyCreatesAnEmptyFileWithOneProgressMessage) {
  server.Set("/f", HttpResponse::Ok(""));
  ASSERT_TRUE(Get("/f", 50));
  EXPECT_TRUE(std::filesystem::exists(Target()));
  EXPECT_EQ(ReadFileBytes(Target()), "");
  EXPECT_EQ(install.window.Messages(), std::vector<Seen>{Bytes(0, 50)});
}

TEST_F(Download, ExpectedSizeZeroPostsNothing) {
  server.Set("/f", HttpResponse::Ok(Body(9000)));
  ASSERT_TRUE(Get("/f", 0));
  EXPECT_TRUE(install.window.Messages().empty());
}

TEST_F(Download, Status206IsAccepted) {
  server.Set("/f", HttpResponse::Status(206, "part"));
  EXPECT_TRUE(Get("/f"));
  EXPECT_EQ(ReadFileBytes(Target()), "part");
}

TEST_F(Download, RefusedStatusesLeaveTheTargetUntouched) {
  for (int status : {304, 404, 500}) {
    WriteFileBytes(Target(), "old content");
    server.Set("/f", HttpResponse::Status(status, status == 304 ? "" : "error page"));
    EXPECT_FALSE(Get("/f", 10)) << status;
    EXPECT_EQ(ReadFileBytes(Target()), "old content") << status;
  }
  EXPECT_TRUE(install.window.Messages().empty());
}

TEST_F(Download, TruncatedBodyFails) {
  HttpResponse r = HttpResponse::Ok(Body(20000));
  r.truncateAfter = 7000;
  server.Set("/f", r);
  EXPECT_FALSE(Get("/f", 20000));
}

TEST_F(Download, ConnectionClosedWithoutAnswerFails) {
  HttpResponse r;
  r.closeWithoutAnswer = true;
  server.Set("/f", r);
  EXPECT_FALSE(Get("/f"));
}

TEST_F(Download, StalledBodyFailsAfterTheStallTimeOut) {
  HttpResponse r = HttpResponse::Ok(Body(20000));
  r.truncateAfter = 100;
  r.stall = true;
  server.Set("/f", r);
  EXPECT_FALSE(Get("/f", 20000));  // the fixture's stall time-out is half a second
}

TEST_F(Download, DeadServerFailsInsteadOfHanging) {
  const std::string url = server.BaseUrl();
  server.Stop();
  EXPECT_FALSE(worker->DownloadToFile(text::FromUtf8(url + "/f"), text::FromUtf8(Target()), 0, kNoLimit));
}

TEST_F(Download, RedirectIsFollowed) {
  server.Set("/old", HttpResponse::Redirect("/new"));
  server.Set("/new", HttpResponse::Ok("moved here"));
  ASSERT_TRUE(Get("/old"));
  EXPECT_EQ(ReadFileBytes(Target()), "moved here");
  EXPECT_EQ(server.RequestCount("/new"), 1);
}

TEST_F(Download, ConsecutiveDownloadsReuseOneConnection) {
  server.Set("/a", HttpResponse::Ok("a"));
  server.Set("/b", HttpResponse::Ok("b"));
  ASSERT_TRUE(Get("/a"));
  ASSERT_TRUE(Get("/b"));
  ASSERT_TRUE(Get("/a"));
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST_F(Download, InactiveWorkerSendsNoRequestAndTouchesNoFile) {
  server.Set("/f", HttpResponse::Ok("x"));
  worker->SetActive(false);
  EXPECT_FALSE(Get("/f"));
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(std::filesystem::exists(Target()));
}

TEST_F(Download, FailedWriteFailsTheAttempt) {
  if (!FileSizeLimit::Supported()) GTEST_SKIP() << "no per-process file size limit to play a full disk here";
  server.Set("/f", HttpResponse::Ok(Body(8000)));
  bool ok;
  {
    FileSizeLimit full(1000);  // as a full disk: writes past this fail
    ok = Get("/f", 8000);
  }
  EXPECT_FALSE(ok);
}

TEST_F(Download, BodyIsCutAtTheAllowedSizeWhateverTheServerSends) {
  Digest received;
  server.Set("/announced", HttpResponse::Ok(Body(50000)));
  EXPECT_FALSE(worker->DownloadToFile(text::FromUtf8(server.BaseUrl() + "/announced"), text::FromUtf8(Target()), 0,
                                      147, &received));
  EXPECT_LE(std::filesystem::exists(Target()) ? std::filesystem::file_size(Target()) : 0u, 147u);
  server.Set("/unannounced", HttpResponse::Ok(Body(3'000'000)));
  EXPECT_FALSE(worker->DownloadToFile(text::FromUtf8(server.BaseUrl() + "/unannounced"), text::FromUtf8(Target()), 0,
                                      1000, &received));
  EXPECT_LE(std::filesystem::exists(Target()) ? std::filesystem::file_size(Target()) : 0u, 1000u);
}

TEST_F(Download, SizeAndCrcOfTheBodyAreTakenWhileItArrives) {
  const std::string body = Body(70000);
  server.Set("/f", HttpResponse::Ok(body));
  Digest received;
  ASSERT_TRUE(worker->DownloadToFile(text::FromUtf8(server.BaseUrl() + "/f"), text::FromUtf8(Target()), 0,
                                     body.size(), &received));
  EXPECT_EQ(received.size, body.size());
  EXPECT_EQ(received.crc, Crc32(body.data(), body.size()));
}

TEST_F(Download, TricklingServerFailsOnTheRateFloor) {
  HttpResponse trickle = HttpResponse::Ok(Body(2000));
  trickle.trickleMs = 50;  // 20 bytes a second: never a stall, far below the floor
  server.Set("/f", trickle);
  worker->SetTimeouts({2000, 500, 1024, 600});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Get("/f", 2000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Download, LinkPlantedAtTheTargetIsReplacedNotFollowed) {
  const std::string outside = install.dir.Join("outside.txt");
  WriteFileBytes(outside, "the user's file");
  if (!PlantLink(outside, Target())) GTEST_SKIP() << kNoLinks;
  server.Set("/f", HttpResponse::Ok("downloaded"));
  ASSERT_TRUE(Get("/f"));
  EXPECT_EQ(ReadFileBytes(outside), "the user's file");
  EXPECT_FALSE(IsLink(Target()));
  EXPECT_EQ(ReadFileBytes(Target()), "downloaded");
}

TEST_F(Download, TargetThatCannotBeCreatedFails) {
  server.Set("/f", HttpResponse::Ok("x"));
  EXPECT_FALSE(Get("/f", 0, install.dir.Join("missing/dir/target")));
}

TEST_F(Download, UrlWithAQueryGetsTheSuffixToo) {
  server.Set("/f", HttpResponse::Ok("x"));
  ASSERT_TRUE(Get("/f?v=2"));
  EXPECT_EQ(server.Requests()[0].query.substr(0, 6), "v=2?a=");
}

TEST(RequestUrl, EscapesSpacesNonAsciiAndBackslashes) {
  EXPECT_EQ(RequestUrl(u"http://h:81/a b\\游戏/x%20y.1", 42), "http://h:81/a%20b/%E6%B8%B8%E6%88%8F/x%20y.1?a=42");
}

TEST(RequestUrl, SuffixIsUnsignedSeconds) {
  EXPECT_EQ(RequestUrl(u"http://h/f", 4294967295u), "http://h/f?a=4294967295");
}

TEST(EscapeListPath, EscapesEveryLevelCompletelyAndJoinsWithSlash) {
  EXPECT_EQ(EscapeListPath(u"data\\my maps\\100%#?.txt"), u"data/my%20maps/100%25%23%3F.txt");
}

}  // namespace
}  // namespace updater
