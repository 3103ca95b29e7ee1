// A list and a resume log written on one system read back on the other: both systems write
// the documents in code page 936 ("gbk"). Each run writes its pair into build/interop/<system>
// and reads the other system's pair when it is there; scripts/test.sh runs the Linux reading
// again after the Windows tests, so both directions are checked in one run.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "text/CodePage.h"
#include "updater/UpdateList.h"

namespace {

using updater::FileRecord;
using updater::UpdateFileEntry;
using updater::UpdateList;

#ifdef _WIN32
const char* const kThisSystem = "windows";
const char* const kOtherSystem = "linux";
#else
const char* const kThisSystem = "linux";
const char* const kOtherSystem = "windows";
#endif

std::string InteropDir(const char* system) {
  return std::string(ZEMBA_BINARY_DIR) + "/../interop/" + system;
}

std::string Ansi(const char16_t* s) { return text::EncodeAnsi(s).value_or(""); }

FileRecord Record(const char16_t* name, const char16_t* path, int32_t status) {
  FileRecord r;
  r.status = status;
  r.fileName = Ansi(name);
  r.filePath = Ansi(path);
  r.fileCrc = "352441C2";
  r.fileLen = 3;
  r.compressName = r.fileName + ".1012";
  r.compressCrc = "ABCD";
  r.compressLen = 120;
  return r;
}

// The list the publisher would write, and a log with one file done.
void Fill(UpdateList& list, bool log) {
  ASSERT_TRUE(list.SetName(u"象棋"));
  ASSERT_TRUE(list.SetVersion(u"1.0.12"));
  ASSERT_NE(list.Add(Record(u"棋盘.png", u"图片\\大", log ? 1 : 0)), nullptr);
  ASSERT_NE(list.Add(Record(u"象棋.exe", u"", 0)), nullptr);
}

void ExpectSame(const std::string& path, bool log) {
  UpdateList list;
  ASSERT_TRUE(list.Load(text::FromUtf8(path))) << path;
  EXPECT_EQ(list.Name(), u"象棋");
  EXPECT_EQ(list.Version(), u"1.0.12");
  UpdateFileEntry* first = list.First();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->FileName(), u"棋盘.png");
  EXPECT_EQ(first->Status(), log ? updater::kEntryFetched : updater::kEntryPending);
  UpdateFileEntry* second = list.Next();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->FileName(), u"象棋.exe");
  EXPECT_EQ(list.Next(), nullptr);
}

TEST(GbkInterop, ListAndLogAreWrittenInCodePage936) {
  const std::string dir = InteropDir(kThisSystem);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::u8path(dir), ec);
  for (bool log : {false, true}) {
    UpdateList list;
    Fill(list, log);
    const std::string path = dir + (log ? "/UpdateLog.xml" : "/UpdateList.xml");
    ASSERT_TRUE(list.Save(text::FromUtf8(path))) << path;
    const std::string bytes = testsupport::ReadFileBytes(path);
    EXPECT_NE(bytes.find("encoding=\"gbk\""), std::string::npos);
    EXPECT_NE(bytes.find("\xCF\xF3\xC6\xE5"), std::string::npos);  // 象棋 in code page 936
    EXPECT_EQ(bytes.find("\xE8\xB1\xA1"), std::string::npos);      // and not in UTF-8
    ExpectSame(path, log);
  }
}

TEST(GbkInterop, ListAndLogOfTheOtherSystemReadBack) {
  const std::string dir = InteropDir(kOtherSystem);
  if (!std::filesystem::exists(std::filesystem::u8path(dir + "/UpdateLog.xml"))) {
    GTEST_SKIP() << "nothing written by " << kOtherSystem << " yet in " << dir;
  }
  ExpectSame(dir + "/UpdateList.xml", false);
  ExpectSame(dir + "/UpdateLog.xml", true);
}

}  // namespace
