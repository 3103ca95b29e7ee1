#include "updater/FileDigest.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "updater/Crc32.h"

namespace updater {
namespace {

using namespace testsupport;

TEST(FileDigest, MeasuresSizeAndCrcAcrossManyBlocks) {
  TempDir dir;
  std::string data(600 * 1024 + 7, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + i / 977);
  WriteFileBytes(dir.Join("f"), data);
  FileDigest d;
  ASSERT_TRUE(d.Measure(dir.Join("f")));
  EXPECT_EQ(d.Size(), data.size());
  EXPECT_EQ(d.CrcText(), u"38174F52");  // computed independently, in one piece
  EXPECT_EQ(d.CrcText(), CrcText(Crc32(data.data(), data.size())));
}

TEST(FileDigest, KnownSmallContent) {
  TempDir dir;
  WriteFileBytes(dir.Join("abc"), "abc");
  FileDigest d;
  ASSERT_TRUE(d.Measure(dir.Join("abc")));
  EXPECT_EQ(d.CrcText(), u"352441C2");
}

TEST(FileDigest, EmptyFileIsSizeZeroWithCrcZero) {
  TempDir dir;
  WriteFileBytes(dir.Join("empty"), "");
  FileDigest d;
  ASSERT_TRUE(d.Measure(dir.Join("empty")));
  EXPECT_EQ(d.Size(), 0u);
  EXPECT_EQ(d.CrcText(), u"0");
  EXPECT_TRUE(d.Matches(dir.Join("empty"), 0, u"0"));
}

TEST(FileDigest, MissingFileFailsAndClearsTheLastMeasurement) {
  TempDir dir;
  WriteFileBytes(dir.Join("abc"), "abc");
  FileDigest d;
  ASSERT_TRUE(d.Measure(dir.Join("abc")));
  EXPECT_FALSE(d.Measure(dir.Join("missing")));
  EXPECT_EQ(d.Size(), 0u);
  EXPECT_EQ(d.CrcText(), u"");
}

TEST(FileDigest, MatchesComparesSizeAndCrcTextExactly) {
  TempDir dir;
  WriteFileBytes(dir.Join("abc"), "abc");
  FileDigest d;
  EXPECT_TRUE(d.Matches(dir.Join("abc"), 3, u"352441C2"));
  EXPECT_FALSE(d.Matches(dir.Join("abc"), 3, u"352441c2"));
  EXPECT_FALSE(d.Matches(dir.Join("abc"), 4, u"352441C2"));
  EXPECT_FALSE(d.Matches(dir.Join("missing"), 3, u"352441C2"));
}

TEST(FileDigest, DirectoryNeverMatches) {
  TempDir dir;
  FileDigest d;
  EXPECT_FALSE(d.Matches(dir.Path(), 0, u"0"));
}

TEST(FileDigest, MatchAllAnswersForEveryFileInOrder) {
  TempDir dir;
  std::vector<ExpectedFile> files;
  for (int i = 0; i < 40; ++i) {
    const std::string path = dir.Join("f" + std::to_string(i));
    const std::string data(static_cast<size_t>(i) * 100, static_cast<char>('a' + i % 26));
    WriteFileBytes(path, data);
    // Every third file is expected with another CRC, every fifth is missing.
    const text::WString crc = i % 3 == 0 ? u"1" : CrcText(Crc32(data.data(), data.size()));
    files.push_back({i % 5 == 0 ? path + ".missing" : path, i * 100, crc});
  }
  const std::vector<bool> result = MatchAll(files);
  ASSERT_EQ(result.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(result[i], i % 3 != 0 && i % 5 != 0) << i;
}

TEST(FileDigest, MatchAllOfNothingIsEmpty) {
  EXPECT_TRUE(MatchAll({}).empty());
}

}  // namespace
}  // namespace updater
