// Which addresses belong to the movie: those of the lobby's own scheme, nothing else.
#include <glib.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "lobby/player/MovieFolder.h"
#include "tests/support/TempDir.h"

namespace lobby::player {
namespace {

TEST(PlayerMovieAddressTest, ThePageGetsTheLobbysOwnAddressAndTheFolderItsRealPath) {
  testsupport::TempDir dir;
  ASSERT_EQ(g_mkdir_with_parents(dir.Join("大厅").c_str(), 0700), 0);
  auto movie = MakeMovieAddress(dir.Join("大厅/Lobby page.html"));
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->pageUri, "quorvane://movie/Lobby%20page.html");
  char* real = realpath(dir.Join("大厅").c_str(), nullptr);
  EXPECT_EQ(movie->folderPath, real);
  free(real);
}

TEST(PlayerMovieAddressTest, BackslashesOfAWindowsMadeConfigurationBecomeSlashes) {
  testsupport::TempDir dir;
  ASSERT_EQ(g_mkdir_with_parents(dir.Join("Movie").c_str(), 0700), 0);
  auto movie = MakeMovieAddress(dir.Join("Movie\\Lobby.html"));
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->pageUri, "quorvane://movie/Lobby.html");
}

TEST(PlayerMovieAddressTest, RelativeEmptyClimbingAndMissingPathsAreRefused) {
  testsupport::TempDir dir;
  EXPECT_FALSE(MakeMovieAddress(""));
  EXPECT_FALSE(MakeMovieAddress("Movie/Lobby.html"));
  EXPECT_FALSE(MakeMovieAddress("C:\\Zemba\\Lobby.html"));
  EXPECT_FALSE(MakeMovieAddress(dir.Join("../etc/Lobby.html")));
  EXPECT_FALSE(MakeMovieAddress(dir.Join("missing/Lobby.html")));
  EXPECT_FALSE(MakeMovieAddress(dir.Join("")));
}

TEST(PlayerMovieFolderTest, OnlyTheLobbysOwnSchemeAndHostAreTheMovie) {
  EXPECT_TRUE(IsMovieAddress("quorvane://movie/Lobby.html"));
  EXPECT_TRUE(IsMovieAddress("quorvane://movie/games/list.html?x=1#top"));
  EXPECT_FALSE(IsMovieAddress("quorvane://movie"));
  EXPECT_FALSE(IsMovieAddress("quorvane://movie.example/Lobby.html"));
  EXPECT_FALSE(IsMovieAddress("quorvane://movie@evil/Lobby.html"));
  EXPECT_FALSE(IsMovieAddress("quorvane://other/Lobby.html"));
  EXPECT_FALSE(IsMovieAddress("file:///opt/zemba/movie/Lobby.html"));
  EXPECT_FALSE(IsMovieAddress("http://movie/Lobby.html"));
  EXPECT_FALSE(IsMovieAddress("about:blank"));
}

TEST(PlayerMovieFolderTest, NavigationsLoadOpenOutsideOrAreRefused) {
  EXPECT_EQ(JudgeNavigation("quorvane://movie/b.html"), NavigationVerdict::kLoad);
  EXPECT_EQ(JudgeNavigation("http://example.com/"), NavigationVerdict::kOpenOutside);
  EXPECT_EQ(JudgeNavigation("HTTPS://example.com/"), NavigationVerdict::kOpenOutside);
  EXPECT_EQ(JudgeNavigation("file:///etc/passwd"), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("data:text/html,x"), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("javascript:alert(1)"), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("mailto:a@b.c"), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("httpx://example.com/"), NavigationVerdict::kRefuse);
}

}  // namespace
}  // namespace lobby::player
