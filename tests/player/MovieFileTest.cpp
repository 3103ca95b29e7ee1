// What the movie's scheme answers: files of the movie's folder and nothing else, whatever the
// address spells and wherever links lead. Every case is a real file system with real links.
#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lobby/player/MovieFile.h"
#include "tests/support/TempDir.h"

namespace lobby::player {
namespace {

class MovieFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("prog/movie/index.html"), "<p>movie"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("prog/movie/data/games.json"), "[1]"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("prog/Config.cfg"), "secret config"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("prog/movie2/x.txt"), "sibling"));
    char* real = realpath(dir.Join("prog/movie").c_str(), nullptr);
    folder = real;
    free(real);
  }

  MovieFile Get(const std::string& path) { return ReadMovieFile(folder, "quorvane://movie/" + path); }
  MovieFileStatus StatusOf(const std::string& path) { return Get(path).status; }

  testsupport::TempDir dir;
  std::string folder;
};

TEST_F(MovieFileTest, FilesOfTheFolderAndBelowAreAnsweredWithTheirType) {
  MovieFile page = Get("index.html");
  EXPECT_EQ(page.status, MovieFileStatus::kOk);
  EXPECT_EQ(page.bytes, "<p>movie");
  EXPECT_EQ(page.contentType, "text/html");
  MovieFile data = Get("data/games.json?x=1#top");
  EXPECT_EQ(data.status, MovieFileStatus::kOk);
  EXPECT_EQ(data.bytes, "[1]");
  EXPECT_EQ(data.contentType, "application/json");
  EXPECT_EQ(Get("data%2Fgames.json").bytes, "[1]");
}

TEST_F(MovieFileTest, EncodedClimbsInEveryFormNeverLeaveTheFolder) {
  for (const char* path : {"..%2FConfig.cfg", "..%2fConfig.cfg", "%2E%2E%2FConfig.cfg",
                           "%2e%2e/Config.cfg", "data/..%2F..%2FConfig.cfg", "../Config.cfg",
                           "..%5CConfig.cfg", "..\\Config.cfg", "data\\..\\..\\Config.cfg",
                           "..%2F..%2F..%2F..%2F..%2F..%2F..%2F..%2Fetc%2Fpasswd",
                           "..%2Fmovie2%2Fx.txt", "%2Fetc%2Fpasswd", "/etc/passwd"}) {
    MovieFile file = Get(path);
    EXPECT_NE(file.status, MovieFileStatus::kOk) << path;
    EXPECT_TRUE(file.bytes.empty()) << path;
  }
  EXPECT_EQ(StatusOf("..%2FConfig.cfg"), MovieFileStatus::kRefused);
}

// Decoded once: what a second decoding would make a climb is a name in the folder.
TEST_F(MovieFileTest, DoubleEncodedClimbsAreNamesThatDoNotExist) {
  EXPECT_EQ(StatusOf("..%252FConfig.cfg"), MovieFileStatus::kNotFound);
  EXPECT_EQ(StatusOf("%252E%252E%252FConfig.cfg"), MovieFileStatus::kNotFound);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.Join("prog/movie/..%2FConfig.cfg"), "a name"));
  EXPECT_EQ(Get("..%252FConfig.cfg").bytes, "a name");
}

TEST_F(MovieFileTest, BrokenEscapesAndEncodedNulAreRefused) {
  EXPECT_EQ(StatusOf("index.html%00.png"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("index%zz.html"), MovieFileStatus::kRefused);
  EXPECT_EQ(ReadMovieFile(folder, "quorvane://other/index.html").status, MovieFileStatus::kRefused);
  EXPECT_EQ(ReadMovieFile(folder, "file://" + folder + "/index.html").status,
            MovieFileStatus::kRefused);
}

TEST_F(MovieFileTest, LinksAreJudgedWhereTheyLead) {
  ASSERT_EQ(symlink("../Config.cfg", dir.Join("prog/movie/out.txt").c_str()), 0);
  ASSERT_EQ(symlink("/etc", dir.Join("prog/movie/etc").c_str()), 0);
  ASSERT_EQ(symlink(dir.Join("prog").c_str(), dir.Join("prog/movie/up").c_str()), 0);
  ASSERT_EQ(symlink("data/games.json", dir.Join("prog/movie/list.json").c_str()), 0);
  ASSERT_EQ(symlink(dir.Join("prog/movie/data").c_str(), dir.Join("prog/movie/d").c_str()), 0);
  EXPECT_EQ(StatusOf("out.txt"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("etc/passwd"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("up/Config.cfg"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("up/movie/index.html"), MovieFileStatus::kOk);  // back inside
  EXPECT_EQ(Get("list.json").bytes, "[1]");
  EXPECT_EQ(Get("d/games.json").bytes, "[1]");
}

// The folder itself and its directories are no files; a missing name is not found.
TEST_F(MovieFileTest, TheFolderItselfAndDirectoriesAreNoFiles) {
  EXPECT_EQ(StatusOf(""), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("."), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("data"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("data/"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("missing.html"), MovieFileStatus::kNotFound);
  EXPECT_EQ(StatusOf("data/missing.json"), MovieFileStatus::kNotFound);
}

// A pipe would block the reader until someone writes to it; a device is no file.
TEST_F(MovieFileTest, PipesAndDevicesAreRefusedWithoutBlocking) {
  ASSERT_EQ(mkfifo(dir.Join("prog/movie/pipe.png").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.Join("prog/movie/zero.bin").c_str()), 0);
  EXPECT_EQ(StatusOf("pipe.png"), MovieFileStatus::kRefused);
  EXPECT_EQ(StatusOf("zero.bin"), MovieFileStatus::kRefused);
}

TEST_F(MovieFileTest, AFileLargerThanTheCapIsNotRead) {
  const std::string path = dir.Join("prog/movie/huge.bin");
  int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(kMaxMovieFileBytes) + 1), 0);
  close(fd);
  MovieFile file = Get("huge.bin");
  EXPECT_EQ(file.status, MovieFileStatus::kTooLarge);
  EXPECT_TRUE(file.bytes.empty());
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kMaxMovieFileBytes)), 0);
  EXPECT_EQ(Get("huge.bin").bytes.size(), kMaxMovieFileBytes);
}

TEST(MovieFileTypeTest, ContentTypesFollowTheExtensionInAnyCase) {
  EXPECT_EQ(ContentTypeFor("a/b.JS"), "text/javascript");
  EXPECT_EQ(ContentTypeFor("style.css"), "text/css");
  EXPECT_EQ(ContentTypeFor("logo.png"), "image/png");
  EXPECT_EQ(ContentTypeFor("font.woff2"), "font/woff2");
  EXPECT_EQ(ContentTypeFor("dir.png/file"), "application/octet-stream");
  EXPECT_EQ(ContentTypeFor("noextension"), "application/octet-stream");
}

}  // namespace
}  // namespace lobby::player
