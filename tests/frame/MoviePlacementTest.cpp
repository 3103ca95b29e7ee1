// The movie plays only from a folder below the program directory, wherever links lead.
#include "lobby/frame/MoviePlacement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace {

using lobby::MovieFolderIsBelow;

class MoviePlacementTest : public ::testing::Test {
 protected:
  MoviePlacementTest() {
    testsupport::WriteFileBytes(dir.Join("prog/movie/index.html"), "m");
    testsupport::WriteFileBytes(dir.Join("prog/index.html"), "m");
    testsupport::WriteFileBytes(dir.Join("other/index.html"), "m");
  }
  text::WString Prog() const { return text::FromUtf8(dir.Join("prog")); }
  text::WString At(const std::string& relative) const { return text::FromUtf8(dir.Join(relative)); }

  testsupport::TempDir dir;
};

TEST_F(MoviePlacementTest, AFolderBelowTheProgramDirectoryPlays) {
  EXPECT_TRUE(MovieFolderIsBelow(Prog(), At("prog/movie/index.html")));
  EXPECT_TRUE(MovieFolderIsBelow(Prog(), At("prog\\movie\\index.html")));
  EXPECT_TRUE(MovieFolderIsBelow(Prog() + u"/", At("prog/movie/index.html")));
}

TEST_F(MoviePlacementTest, TheProgramDirectoryItselfAndFoldersOutsideAreRefused) {
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/index.html")));
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/movie/../index.html")));
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/../other/index.html")));
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("other/index.html")));
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/missing/index.html")));
}

TEST_F(MoviePlacementTest, LinksAreJudgedWhereTheyLead) {
  ASSERT_EQ(symlink(".", dir.Join("prog/here").c_str()), 0);
  ASSERT_EQ(symlink("../other", dir.Join("prog/away").c_str()), 0);
  ASSERT_EQ(symlink(dir.Join("prog").c_str(), dir.Join("link-to-prog").c_str()), 0);
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/here/index.html")));
  EXPECT_FALSE(MovieFolderIsBelow(Prog(), At("prog/away/index.html")));
  EXPECT_TRUE(MovieFolderIsBelow(At("link-to-prog"), At("prog/movie/index.html")));
}

}  // namespace
