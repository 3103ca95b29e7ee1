// Which addresses belong to the movie: its folder and the folders below it, nothing beside it.
#include <gtest/gtest.h>

#include "lobby/player/MovieFolder.h"

namespace lobby::player {
namespace {

MovieAddress Movie() { return *MakeMovieAddress("/opt/zemba/Movie/Lobby.html"); }

TEST(PlayerMovieAddressTest, FileAndFolderAddressesOfTheMovie) {
  auto movie = MakeMovieAddress("/opt/zemba/大厅/Lobby page.html");
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->fileUri, "file:///opt/zemba/%E5%A4%A7%E5%8E%85/Lobby%20page.html");
  EXPECT_EQ(movie->folderUri, "file:///opt/zemba/%E5%A4%A7%E5%8E%85/");
  EXPECT_EQ(movie->folderPath, "/opt/zemba/大厅");
}

TEST(PlayerMovieAddressTest, BackslashesOfAWindowsMadeConfigurationBecomeSlashes) {
  auto movie = MakeMovieAddress("/opt/zemba\\Movie\\Lobby.html");
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->fileUri, "file:///opt/zemba/Movie/Lobby.html");
}

TEST(PlayerMovieAddressTest, RelativeEmptyAndClimbingPathsAreRefused) {
  EXPECT_FALSE(MakeMovieAddress(""));
  EXPECT_FALSE(MakeMovieAddress("Movie/Lobby.html"));
  EXPECT_FALSE(MakeMovieAddress("C:\\Zemba\\Lobby.html"));
  EXPECT_FALSE(MakeMovieAddress("/opt/zemba/../etc/Lobby.html"));
}

TEST(PlayerMovieFolderTest, PagesOfTheFolderAndBelowAreInside) {
  EXPECT_TRUE(IsInsideMovieFolder("file:///opt/zemba/Movie/Lobby.html", Movie()));
  EXPECT_TRUE(IsInsideMovieFolder("file:///opt/zemba/Movie/games/list.html?x=1#top", Movie()));
  EXPECT_TRUE(IsInsideMovieFolder("file://localhost/opt/zemba/Movie/Lobby.html", Movie()));
}

TEST(PlayerMovieFolderTest, EverythingElseIsOutside) {
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie/", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie2/Lobby.html", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Config.cfg", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie/../Config.cfg", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie/%2E%2E/Config.cfg", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie%2F..%2FConfig.cfg", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file://evil.example/opt/zemba/Movie/Lobby.html", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("http://example.com/opt/zemba/Movie/Lobby.html", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("about:blank", Movie()));
  EXPECT_FALSE(IsInsideMovieFolder("file:///opt/zemba/Movie/Lobby.html", MovieAddress{}));
}

TEST(PlayerMovieFolderTest, NavigationsLoadOpenOutsideOrAreRefused) {
  EXPECT_EQ(JudgeNavigation("file:///opt/zemba/Movie/b.html", Movie()), NavigationVerdict::kLoad);
  EXPECT_EQ(JudgeNavigation("http://example.com/", Movie()), NavigationVerdict::kOpenOutside);
  EXPECT_EQ(JudgeNavigation("HTTPS://example.com/", Movie()), NavigationVerdict::kOpenOutside);
  EXPECT_EQ(JudgeNavigation("file:///etc/passwd", Movie()), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("data:text/html,x", Movie()), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("javascript:alert(1)", Movie()), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("mailto:a@b.c", Movie()), NavigationVerdict::kRefuse);
  EXPECT_EQ(JudgeNavigation("httpx://example.com/", Movie()), NavigationVerdict::kRefuse);
}

}  // namespace
}  // namespace lobby::player
