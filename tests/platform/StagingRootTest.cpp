// Where re-downloadable files are staged: the user's cache folder, and a folder of the user's
// own in the shared temporary directory when the cache folder is not usable. Each case runs in
// a child of its own, since GLib reads the folders once per process.
#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/TempDir.h"

namespace {

// In a child: sets XDG_CACHE_HOME and TMPDIR, then exits 0 when StagingRoot() is `expected`,
// a directory of mode `mode`; else prints what it found and exits 1.
void ExpectRootInChild(const std::string& cache, const std::string& tmp, const std::string& expected, unsigned mode) {
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  setenv("TMPDIR", tmp.c_str(), 1);
  const std::string root = text::ToUtf8(platform::StagingRoot("Brand"));
  struct stat st {};
  const bool ok = root == expected && ::stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 0777) == mode;
  if (!ok) std::fprintf(stderr, "root \"%s\", mode %o\n", root.c_str(), st.st_mode & 0777);
  std::fflush(stderr);
  _exit(ok ? 0 : 1);
}

TEST(StagingRoot, IsAFolderOfOurOwnInTheCacheFolder) {
  testsupport::TempDir dir;
  const std::string cache = dir.Join("cache");
  EXPECT_EXIT(ExpectRootInChild(cache, dir.Join("tmp"), cache + "/Brand", 0700), testing::ExitedWithCode(0), "");
}

// A relative cache folder would stage wherever the program happens to run.
TEST(StagingRoot, WithoutAnAbsoluteCacheFolderIsTheUsersOwnFolderInTheTemporaryDirectory) {
  testsupport::TempDir dir;
  const std::string tmp = dir.Join("tmp");
  const std::string own = tmp + "/Brand-" + std::to_string(::getuid());
  EXPECT_EXIT(ExpectRootInChild("relative/cache", tmp, own, 0700), testing::ExitedWithCode(0), "");
}

}  // namespace
