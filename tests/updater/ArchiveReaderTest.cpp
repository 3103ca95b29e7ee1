#include "updater/ArchiveReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "tests/support/FileModes.h"
#include "tests/support/TempDir.h"
#include "tests/updater/ZipTestFiles.h"

using testsupport::ReadFileBytes;
using testsupport::UnixFile;
using testsupport::ZipItem;
using updater::ArchiveReader;
using updater::ArchiveResult;

namespace {

class ArchiveReaderTest : public ::testing::Test {
 protected:
  std::string Zip(const std::vector<ZipItem>& items) {
    std::string path = dir_.Join("archive.zip");
    EXPECT_TRUE(testsupport::WriteZip(path, items));
    return path;
  }

  ArchiveResult ExtractFirst(const std::string& archive, const std::string& target) {
    ArchiveReader reader;
    ArchiveResult opened = reader.OpenArchive(text::FromUtf8(archive));
    if (opened != ArchiveResult::kOk) return opened;
    return reader.ExtractItem(0, text::FromUtf8(target));
  }

  struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
  }

  testsupport::TempDir dir_;
};

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm calendar{};
  calendar.tm_year = year - 1900;
  calendar.tm_mon = month - 1;
  calendar.tm_mday = day;
  calendar.tm_hour = hour;
  calendar.tm_min = minute;
  calendar.tm_sec = second;
  calendar.tm_isdst = -1;
  return std::mktime(&calendar);
}

}  // namespace

TEST_F(ArchiveReaderTest, FirstItemOfSeveralGoesToTheTargetWhateverItsStoredName) {
  std::string archive = Zip({UnixFile("first.txt", "first item"), UnixFile("second.txt", "second item")});
  std::string target = dir_.Join("out.bin");
  ASSERT_EQ(ExtractFirst(archive, target), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(target), "first item");
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("first.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("second.txt")));
}

TEST_F(ArchiveReaderTest, StoredNameThatClimbsOutPlaysNoPart) {
  std::string archive = Zip({UnixFile("../../escaped.txt", "data")});
  std::string target = dir_.Join("inside.txt");
  ASSERT_EQ(ExtractFirst(archive, target), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(target), "data");
}

TEST_F(ArchiveReaderTest, ItemIndexSelectsTheItemAndAnIndexPastTheEndIsABadArgument) {
  std::string archive = Zip({UnixFile("a", "A"), UnixFile("b", "B")});
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenArchive(text::FromUtf8(archive)), ArchiveResult::kOk);
  EXPECT_EQ(reader.ExtractItem(1, text::FromUtf8(dir_.Join("second"))), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir_.Join("second")), "B");
  EXPECT_EQ(reader.ExtractItem(2, text::FromUtf8(dir_.Join("third"))), ArchiveResult::kBadArgument);
  EXPECT_EQ(reader.ExtractItem(-1, text::FromUtf8(dir_.Join("third"))), ArchiveResult::kBadArgument);
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("third")));
}

// Chinese names reach the system as they are (on Windows: not through the ANSI code page).
TEST_F(ArchiveReaderTest, ArchiveAndTargetWithChineseNamesAreFound) {
  std::string archive = dir_.Join("更新 包.zip");
  ASSERT_TRUE(testsupport::WriteZip(archive, {UnixFile("x", "内容")}));
  std::string target = dir_.Join("目录/文件.txt");
  ASSERT_EQ(ExtractFirst(archive, target), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(target), "内容");
}

TEST_F(ArchiveReaderTest, LargeItemIsWrittenWhole) {
  std::string data;
  for (int i = 0; i < 50000; ++i) data += static_cast<char>(i * 7 % 251);
  std::string target = dir_.Join("large.bin");
  ASSERT_EQ(ExtractFirst(Zip({UnixFile("large.bin", data)}), target), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(target), data);
}


TEST_F(ArchiveReaderTest, MissingLevelsOfTheTargetDirectoryAreCreated) {
  std::string target = dir_.Join("a/b/c.txt");
  ASSERT_EQ(ExtractFirst(Zip({UnixFile("c.txt", "deep")}), target), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(target), "deep");
}

TEST_F(ArchiveReaderTest, DirectoryItemCreatesADirectoryNamedLikeTheTarget) {
  ZipItem item;
  item.name = "folder/";
  item.external = 040755u << 16 | 0x10;
  std::string target = dir_.Join("made");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_TRUE(std::filesystem::is_directory(target));
}

TEST_F(ArchiveReaderTest, DosReadOnlyItemLosesEveryWriteBit) {
  ZipItem item;
  item.name = "readonly.txt";
  item.data = "locked";
  item.host = testsupport::kHostDos;
  item.external = 0x01 | 0x20;  // read-only, archive
  std::string target = dir_.Join("readonly.txt");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_EQ(testsupport::ModeOf(target), 0444u);
  EXPECT_EQ(ReadFileBytes(target), "locked");
}


TEST_F(ArchiveReaderTest, UnixItemKeepsItsExecuteBits) {
  std::string target = dir_.Join("game");
  ASSERT_EQ(ExtractFirst(Zip({UnixFile("game", "#!/bin/sh\n", 0755)}), target), ArchiveResult::kOk);
  EXPECT_EQ(testsupport::ModeOf(target), testsupport::KeptMode(0755));
}

TEST_F(ArchiveReaderTest, UnixItemWithoutOwnerWriteIsReadOnly) {
  std::string target = dir_.Join("data");
  ASSERT_EQ(ExtractFirst(Zip({UnixFile("data", "x", 0444)}), target), ArchiveResult::kOk);
  EXPECT_EQ(testsupport::ModeOf(target), 0444u);
}

TEST_F(ArchiveReaderTest, DosTimeIsAppliedAsLocalTime) {
  ZipItem item = UnixFile("dated", "x");
  item.dosDate = testsupport::DosDateTime(2021, 3, 4, 5, 6, 8);
  std::string target = dir_.Join("dated");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_EQ(Stat(target).st_mtime, LocalTime(2021, 3, 4, 5, 6, 8));
  EXPECT_EQ(Stat(target).st_atime, LocalTime(2021, 3, 4, 5, 6, 8));
}

TEST_F(ArchiveReaderTest, ExtendedTimestampOverridesTheDosTime) {
  ZipItem item = UnixFile("stamped", "x");
  item.localExtra = testsupport::ExtendedTimestamp(1600000000u, 1500000000u);
  std::string target = dir_.Join("stamped");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_EQ(Stat(target).st_mtime, 1600000000);
  EXPECT_EQ(Stat(target).st_atime, 1500000000);
}

TEST_F(ArchiveReaderTest, ExtendedTimestampIsFoundAfterAnotherBlock) {
  ZipItem item = UnixFile("stamped", "x");
  item.localExtra = std::string("\x99\x99\x02\x00zz", 6) + testsupport::ExtendedTimestamp(1600000000u, 1500000000u);
  std::string target = dir_.Join("stamped");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_EQ(Stat(target).st_mtime, 1600000000);
}

TEST_F(ArchiveReaderTest, TimestampBlockTooShortForItsFlagsKeepsTheDosTime) {
  ZipItem item = UnixFile("short", "x");
  item.dosDate = testsupport::DosDateTime(2021, 3, 4, 5, 6, 8);
  item.localExtra = std::string("UT\x03\x00\x03\x10\x20", 7);  // claims two times, holds two bytes
  std::string target = dir_.Join("short");
  ASSERT_EQ(ExtractFirst(Zip({item}), target), ArchiveResult::kOk);
  EXPECT_EQ(Stat(target).st_mtime, LocalTime(2021, 3, 4, 5, 6, 8));
}

TEST_F(ArchiveReaderTest, RelativeTargetResolvesAgainstTheDirectoryCurrentAtOpening) {
  std::string archive = Zip({UnixFile("r", "relative")});
  ArchiveReader reader;
  {
    testsupport::CurrentDirectory inDir(dir_.Path());
    ASSERT_TRUE(inDir.Changed());
    ASSERT_EQ(reader.OpenArchive(text::FromUtf8(archive)), ArchiveResult::kOk);
  }
  ASSERT_EQ(reader.ExtractItem(0, u"sub/rel.txt"), ArchiveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir_.Join("sub/rel.txt")), "relative");
}

TEST_F(ArchiveReaderTest, MissingArchiveCannotBeOpened) {
  ArchiveReader reader;
  EXPECT_EQ(reader.OpenArchive(text::FromUtf8(dir_.Join("absent.zip"))), ArchiveResult::kCannotOpen);
  EXPECT_EQ(reader.ExtractItem(0, text::FromUtf8(dir_.Join("out"))), ArchiveResult::kBadArgument);
}

TEST_F(ArchiveReaderTest, FileThatIsNotAZipCannotBeOpened) {
  std::string path = dir_.Join("garbage.zip");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, std::string(300, 'Z')));
  ArchiveReader reader;
  EXPECT_EQ(reader.OpenArchive(text::FromUtf8(path)), ArchiveResult::kCannotOpen);
}

TEST_F(ArchiveReaderTest, DamagedCompressedDataIsADecompressionFailure) {
  std::string payload;
  for (int i = 0; i < 4000; ++i) payload += std::to_string(i * 31 % 997);
  std::string archive = Zip({UnixFile("item", payload)});
  std::string bytes = ReadFileBytes(archive);
  // Overwrite the middle of the deflate stream; the directories at the end stay intact.
  for (size_t i = 100; i < 400; ++i) bytes[i] = '\xFF';
  ASSERT_TRUE(testsupport::WriteFileBytes(archive, bytes));
  EXPECT_EQ(ExtractFirst(archive, dir_.Join("broken")), ArchiveResult::kDecompressFailure);
}

TEST_F(ArchiveReaderTest, SecondOpenWhileOpenIsRefusedAndCloseReleases) {
  std::string archive = Zip({UnixFile("a", "A")});
  ArchiveReader reader;
  ASSERT_EQ(reader.OpenArchive(text::FromUtf8(archive)), ArchiveResult::kOk);
  EXPECT_EQ(reader.OpenArchive(text::FromUtf8(archive)), ArchiveResult::kBadArgument);
  EXPECT_EQ(reader.CloseArchive(), ArchiveResult::kOk);
  EXPECT_EQ(reader.CloseArchive(), ArchiveResult::kBadArgument);
  EXPECT_EQ(reader.OpenArchive(text::FromUtf8(archive)), ArchiveResult::kOk);
}
