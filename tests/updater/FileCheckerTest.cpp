#include "updater/FileChecker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "tests/updater/ZipTestFiles.h"

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;
using updater::FileChecker;

namespace {

class FileCheckerTest : public ::testing::Test {
 protected:
  text::WString Write(const std::string& name, const std::string& bytes) {
    EXPECT_TRUE(WriteFileBytes(dir_.Join(name), bytes));
    return text::FromUtf8(dir_.Join(name));
  }

  testsupport::TempDir dir_;
  FileChecker checker_;
};

}  // namespace

TEST_F(FileCheckerTest, MeasuresSizeAndCrcOfAFile) {
  text::WString path = Write("abc.txt", "abc");
  ASSERT_TRUE(checker_.MeasureFile(path));
  EXPECT_EQ(checker_.Size(), 3u);
  EXPECT_EQ(checker_.CrcText(), u"352441C2");
  EXPECT_EQ(checker_.Path(), path);
}

TEST_F(FileCheckerTest, EmptyFileMeasuresAsSizeZeroWithCrcZero) {
  ASSERT_TRUE(checker_.MeasureFile(Write("empty", "")));
  EXPECT_EQ(checker_.Size(), 0u);
  EXPECT_EQ(checker_.CrcText(), u"0");
}

TEST_F(FileCheckerTest, MissingFileFailsAndForgetsThePreviousMeasurement) {
  ASSERT_TRUE(checker_.MeasureFile(Write("abc.txt", "abc")));
  text::WString missing = text::FromUtf8(dir_.Join("missing"));
  EXPECT_FALSE(checker_.MeasureFile(missing));
  EXPECT_EQ(checker_.Size(), 0u);
  EXPECT_EQ(checker_.CrcText(), u"");
  EXPECT_EQ(checker_.Path(), missing);
}

TEST_F(FileCheckerTest, DirectoryCannotBeMeasured) {
  EXPECT_FALSE(checker_.MeasureFile(dir_.WPath()));
}

TEST_F(FileCheckerTest, UnpackWritesTheFirstItemBesideTheArchiveWithoutItsLastExtension) {
  ASSERT_TRUE(testsupport::WriteZip(dir_.Join("UpdateList.xml.zip"),
                                    {testsupport::UnixFile("whatever", "<UpdateConfig/>")}));
  ASSERT_TRUE(checker_.MeasureFile(text::FromUtf8(dir_.Join("UpdateList.xml.zip"))));
  ASSERT_TRUE(checker_.UnpackMeasured());
  EXPECT_EQ(ReadFileBytes(dir_.Join("UpdateList.xml")), "<UpdateConfig/>");
}

TEST_F(FileCheckerTest, UnpackReplacesAReadOnlyTargetLeftByAnEarlierRun) {
  ASSERT_TRUE(testsupport::WriteZip(dir_.Join("game.zip"), {testsupport::UnixFile("game", "new")}));
  Write("game", "old");
  ASSERT_EQ(::chmod(dir_.Join("game").c_str(), 0444), 0);
  ASSERT_TRUE(checker_.MeasureFile(text::FromUtf8(dir_.Join("game.zip"))));
  ASSERT_TRUE(checker_.UnpackMeasured());
  EXPECT_EQ(ReadFileBytes(dir_.Join("game")), "new");
}

TEST_F(FileCheckerTest, UnpackOfAnArchiveThatIsNotAZipFails) {
  ASSERT_TRUE(checker_.MeasureFile(Write("data.zip", "plain text")));
  EXPECT_FALSE(checker_.UnpackMeasured());
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("data")));
}

TEST_F(FileCheckerTest, UnpackNeedsAMeasuredPathWithADot) {
  EXPECT_FALSE(checker_.UnpackMeasured());
  ASSERT_TRUE(testsupport::WriteZip(dir_.Join("archive"), {testsupport::UnixFile("x", "x")}));
  testsupport::CurrentDirectory inDir(dir_.Path());
  ASSERT_TRUE(inDir.Changed());
  ASSERT_TRUE(checker_.MeasureFile(u"archive"));
  EXPECT_FALSE(checker_.UnpackMeasured());
}

TEST_F(FileCheckerTest, UnpackRefusesAPathWhoseOnlyDotIsTheFirstCharacter) {
  ASSERT_TRUE(testsupport::WriteZip(dir_.Join(".zip"), {testsupport::UnixFile("x", "x")}));
  testsupport::CurrentDirectory inDir(dir_.Path());
  ASSERT_TRUE(inDir.Changed());
  ASSERT_TRUE(checker_.MeasureFile(u".zip"));
  EXPECT_FALSE(checker_.UnpackMeasured());
}
