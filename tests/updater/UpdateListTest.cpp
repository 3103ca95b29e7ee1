#include "updater/UpdateList.h"

#include <gtest/gtest.h>

#include <chrono>

#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;
using updater::FileRecord;
using updater::UpdateFileEntry;
using updater::UpdateList;

namespace {

const char* const kGameGbk = "\xD3\xCE\xCF\xB7";  // 游戏 in code page 936

std::string FileElement(const std::string& name, const std::string& path = "", const std::string& extra = "") {
  return "<File" + extra + "><FileName>" + name + "</FileName><FilePath>" + path +
         "</FilePath><FileCrc>352441C2</FileCrc><FileLen>3</FileLen><CompressType>zip</CompressType>"
         "<CompressName>c.zip</CompressName><CompressPath></CompressPath>"
         "<CompressCrc>ABCD</CompressCrc><CompressLen>120</CompressLen></File>";
}

std::string Document(const std::string& files, const std::string& software = " version=\"1.0.2\"") {
  return "<?xml version=\"1.0\" encoding=\"gbk\" ?>\n<UpdateConfig version=\"1.0\"><Software" + software + ">" +
         files + "</Software></UpdateConfig>\n";
}

class UpdateListTest : public ::testing::Test {
 protected:
  bool LoadText(const std::string& xml) {
    std::string path = dir_.Join("list" + std::to_string(++files_) + ".xml");
    EXPECT_TRUE(WriteFileBytes(path, xml));
    return list_.Load(text::FromUtf8(path));
  }

  std::vector<text::WString> Names() {
    std::vector<text::WString> names;
    for (UpdateFileEntry* e = list_.First(); e; e = list_.Next()) names.push_back(e->FileName());
    return names;
  }

  FileRecord Record(const std::string& name, const std::string& path = "") {
    FileRecord r;
    r.fileName = name;
    r.filePath = path;
    r.fileCrc = "352441C2";
    r.fileLen = 3;
    r.compressName = name + ".zip";
    r.compressCrc = "ABCD";
    r.compressLen = 120;
    return r;
  }

  testsupport::TempDir dir_;
  UpdateList list_;
  int files_ = 0;
};

}  // namespace

TEST_F(UpdateListTest, LoadReadsSoftwareAttributesAndEveryFileField) {
  ASSERT_TRUE(LoadText(Document(
      "<File status=\"1\"><FileName>" + std::string(kGameGbk) + ".exe</FileName><FilePath>bin\\x86</FilePath>"
      "<FileCrc>1A2B</FileCrc><FileLen>4096</FileLen><CompressType>zip</CompressType>"
      "<CompressName>g.zip</CompressName><CompressPath>p</CompressPath><CompressCrc>FFEE</CompressCrc>"
      "<CompressLen>2048</CompressLen><Command>run me</Command></File>",
      " name=\"Game\" version=\"1.0.2\" prog=\"/opt/g\" down=\"/tmp/d\" url=\"http://h/g\" status=\"7\"")));
  EXPECT_EQ(list_.Version(), u"1.0.2");
  EXPECT_EQ(list_.Name(), u"Game");
  EXPECT_EQ(list_.SoftwareStatus(), 7);
  ASSERT_EQ(list_.Count(), 1u);
  UpdateFileEntry* e = list_.First();
  EXPECT_EQ(e->Status(), 1);
  EXPECT_EQ(e->FileName(), u"游戏.exe");
  EXPECT_EQ(e->FilePath(), u"bin\\x86");
  EXPECT_EQ(e->FileCrc(), u"1A2B");
  EXPECT_EQ(e->FileLen(), 4096);
  EXPECT_TRUE(e->IsZip());
  EXPECT_EQ(e->CompressName(), u"g.zip");
  EXPECT_EQ(e->CompressPath(), u"p");
  EXPECT_EQ(e->CompressCrc(), u"FFEE");
  EXPECT_EQ(e->CompressLen(), 2048);
  EXPECT_EQ(e->Command(), u"run me");
  EXPECT_EQ(e->Owner(), &list_);
}

TEST_F(UpdateListTest, SaveWritesTheDocumentShapeByteForByte) {
  ASSERT_TRUE(list_.SetName(u"Game"));
  ASSERT_TRUE(list_.SetVersion(u"1.0.2"));
  FileRecord first = Record("a.exe");
  first.command = "go";
  ASSERT_NE(list_.Add(first), nullptr);
  FileRecord second = Record(kGameGbk, "data\\maps");
  second.status = 1;
  second.zip = false;
  ASSERT_NE(list_.Add(second), nullptr);
  std::string path = dir_.Join("out.xml");
  ASSERT_TRUE(list_.Save(text::FromUtf8(path)));
  EXPECT_EQ(ReadFileBytes(path),
            "<?xml version=\"1.0\" encoding=\"gbk\" standalone=\"yes\" ?>\n"
            "<UpdateConfig version=\"1.0\">\n"
            "    <Software name=\"Game\" version=\"1.0.2\">\n"
            "        <File>\n"
            "            <FileName>a.exe</FileName>\n"
            "            <FilePath></FilePath>\n"
            "            <FileCrc>352441C2</FileCrc>\n"
            "            <FileLen>3</FileLen>\n"
            "            <CompressType>zip</CompressType>\n"
            "            <CompressName>a.exe.zip</CompressName>\n"
            "            <CompressPath></CompressPath>\n"
            "            <CompressCrc>ABCD</CompressCrc>\n"
            "            <CompressLen>120</CompressLen>\n"
            "            <Command>go</Command>\n"
            "        </File>\n"
            "        <File status=\"1\">\n"
            "            <FileName>\xD3\xCE\xCF\xB7</FileName>\n"
            "            <FilePath>data\\maps</FilePath>\n"
            "            <FileCrc>352441C2</FileCrc>\n"
            "            <FileLen>3</FileLen>\n"
            "            <CompressType>zip</CompressType>\n"
            "            <CompressName>\xD3\xCE\xCF\xB7.zip</CompressName>\n"
            "            <CompressPath></CompressPath>\n"
            "            <CompressCrc>ABCD</CompressCrc>\n"
            "            <CompressLen>120</CompressLen>\n"
            "        </File>\n"
            "    </Software>\n"
            "</UpdateConfig>\n");
}

TEST_F(UpdateListTest, SaveThenLoadGivesTheSameEntries) {
  list_.SetVersion(u"2.1");
  FileRecord a = Record("a.dll", "lib\\x");
  a.status = 1;
  a.command = "cmd";
  a.compressPath = "srv";
  list_.Add(a);
  list_.Add(Record(kGameGbk));
  std::string path = dir_.Join("round.xml");
  ASSERT_TRUE(list_.Save(text::FromUtf8(path)));

  UpdateList loaded;
  ASSERT_TRUE(loaded.Load(text::FromUtf8(path)));
  EXPECT_EQ(loaded.Version(), u"2.1");
  ASSERT_EQ(loaded.Count(), 2u);
  const FileRecord& r = loaded.First()->Record();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.fileName, "a.dll");
  EXPECT_EQ(r.filePath, "lib\\x");
  EXPECT_EQ(r.fileCrc, "352441C2");
  EXPECT_EQ(r.fileLen, 3);
  EXPECT_EQ(r.compressName, "a.dll.zip");
  EXPECT_EQ(r.compressPath, "srv");
  EXPECT_EQ(r.compressCrc, "ABCD");
  EXPECT_EQ(r.compressLen, 120);
  EXPECT_EQ(r.command, "cmd");
  EXPECT_EQ(loaded.Next()->FileName(), u"游戏");
}

// A download directory below a user folder may carry any name, also one the ANSI code page
// cannot write (Korean here, beside Chinese).
TEST_F(UpdateListTest, SaveThenLoadUnderAFolderNamedOutsideTheAnsiCodePage) {
  list_.SetVersion(u"2.1");
  list_.Add(Record(kGameGbk));
  const text::WString folder = dir_.WPath() + u"/下载-한글";
  ASSERT_TRUE(platform::MakeRealDirectory(text::ToUtf8(folder)));
  ASSERT_TRUE(list_.Save(folder + u"/UpdateLog.xml"));
  UpdateList loaded;
  ASSERT_TRUE(loaded.Load(folder + u"/UpdateLog.xml"));
  ASSERT_EQ(loaded.Count(), 1u);
  EXPECT_EQ(loaded.First()->FileName(), u"游戏");
}

TEST_F(UpdateListTest, RootWithAnotherNameLoads) {
  ASSERT_TRUE(LoadText("<Anything><Software version=\"3\">" + FileElement("a") + "</Software></Anything>"));
  EXPECT_EQ(list_.Version(), u"3");
  EXPECT_EQ(list_.Count(), 1u);
}

TEST_F(UpdateListTest, SoftwareWithoutFilesLoadsAsAnEmptyList) {
  EXPECT_TRUE(LoadText(Document("")));
  EXPECT_EQ(list_.Count(), 0u);
  EXPECT_EQ(list_.Version(), u"1.0.2");
}

TEST_F(UpdateListTest, ElementsBeforeTheFirstFileAreIgnored) {
  ASSERT_TRUE(LoadText(Document("<Note>x</Note>" + FileElement("a"))));
  EXPECT_EQ(Names(), std::vector<text::WString>{u"a"});
}

TEST_F(UpdateListTest, ElementAfterTheFirstFileIsReadAsAFileAndEmptiesTheList) {
  ASSERT_TRUE(LoadText(Document(FileElement("old"))));
  EXPECT_FALSE(LoadText(Document(FileElement("a") + "<Note>x</Note>", " version=\"9\"")));
  EXPECT_EQ(list_.Count(), 0u);
  EXPECT_EQ(list_.Version(), u"");
}

TEST_F(UpdateListTest, StatusChildElementOverridesTheAttribute) {
  std::string file = FileElement("a", "", " status=\"1\"");
  file.insert(file.find("</File>"), "<status>0</status>");
  ASSERT_TRUE(LoadText(Document(file)));
  EXPECT_EQ(list_.First()->Status(), 0);
}


TEST_F(UpdateListTest, UpperCaseCompressTypeLoadsAsNotZipAndIsWrittenAsZip) {
  std::string file = FileElement("a");
  file.replace(file.find(">zip<"), 5, ">ZIP<");
  ASSERT_TRUE(LoadText(Document(file)));
  EXPECT_FALSE(list_.First()->IsZip());
  std::string path = dir_.Join("saved.xml");
  ASSERT_TRUE(list_.Save(text::FromUtf8(path)));
  EXPECT_NE(ReadFileBytes(path).find("<CompressType>zip</CompressType>"), std::string::npos);
}

TEST_F(UpdateListTest, LoadingTheSameFileTwiceGivesEveryEntryTwice) {
  std::string path = dir_.Join("twice.xml");
  ASSERT_TRUE(WriteFileBytes(path, Document(FileElement("a") + FileElement("b"))));
  ASSERT_TRUE(list_.Load(text::FromUtf8(path)));
  ASSERT_TRUE(list_.Load(text::FromUtf8(path)));
  EXPECT_EQ(Names(), (std::vector<text::WString>{u"a", u"b", u"a", u"b"}));
}

TEST_F(UpdateListTest, MissingOrMalformedFileLeavesTheListUnchanged) {
  ASSERT_TRUE(LoadText(Document(FileElement("a"))));
  EXPECT_FALSE(list_.Load(text::FromUtf8(dir_.Join("absent.xml"))));
  EXPECT_FALSE(LoadText("<UpdateConfig><Software>"));
  EXPECT_FALSE(LoadText("<UpdateConfig><Other/></UpdateConfig>"));
  EXPECT_EQ(list_.Count(), 1u);
  EXPECT_EQ(list_.Version(), u"1.0.2");
}

TEST_F(UpdateListTest, EmptyFilePathAndCompressPathElementsAreAccepted) {
  std::string file = FileElement("a");
  file.replace(file.find("<FilePath></FilePath>"), 21, "<FilePath />");
  ASSERT_TRUE(LoadText(Document(file)));
  EXPECT_EQ(list_.First()->FilePath(), u"");
}

TEST_F(UpdateListTest, EntryMissingARequiredFieldEmptiesTheList) {
  const std::vector<std::pair<std::string, std::string>> cuts = {
      {"<FileName>a</FileName>", ""},          {"<FileName>a</FileName>", "<FileName></FileName>"},
      {"<FilePath></FilePath>", ""},           {"<FileCrc>352441C2</FileCrc>", "<FileCrc/>"},
      {"<FileLen>3</FileLen>", ""},            {"<CompressType>zip</CompressType>", ""},
      {"<CompressPath></CompressPath>", ""},   {"<CompressCrc>ABCD</CompressCrc>", ""},
      {"<CompressLen>120</CompressLen>", ""},
  };
  for (const auto& [from, to] : cuts) {
    std::string file = FileElement("a");
    file.replace(file.find(from), from.size(), to);
    ASSERT_TRUE(LoadText(Document(FileElement("kept"))));
    EXPECT_FALSE(LoadText(Document(file))) << from;
    EXPECT_EQ(list_.Count(), 0u) << from;
  }
}

TEST_F(UpdateListTest, FieldLimitsHoldAtTheirBoundary) {
  EXPECT_TRUE(LoadText(Document(FileElement(std::string(260, 'n')))));
  list_.Clear();
  EXPECT_FALSE(LoadText(Document(FileElement(std::string(261, 'n')))));
  std::string crc = FileElement("a");
  crc.replace(crc.find("352441C2"), 8, std::string(17, 'F'));
  EXPECT_FALSE(LoadText(Document(crc)));
}

TEST_F(UpdateListTest, OverLongCarriedValuesRejectTheLoad) {
  EXPECT_FALSE(LoadText(Document(FileElement("a"), " version=\"" + std::string(33, '1') + "\"")));
  EXPECT_FALSE(LoadText(Document(FileElement("a", std::string(261, 'p')))));
  std::string command = FileElement("a");
  command.insert(command.find("</File>"), "<Command>" + std::string(501, 'c') + "</Command>");
  EXPECT_FALSE(LoadText(Document(command)));
  EXPECT_EQ(list_.Count(), 0u);
}

TEST_F(UpdateListTest, EntriesThatCouldWriteOutsideTheirDirectoryAreRejected) {
  const std::vector<std::pair<std::string, std::string>> unsafe = {
      {"..", ""}, {"a/b", ""}, {"a\\b", ""}, {"a", "..\\.."}, {"a", "\\etc"}, {"a", "x\\..\\..\\y"},
      {"a", "C:\\Windows"}, {"a", "x\\\\y"}, {"a", "x/y"}, {"a&#x9;b", ""},
  };
  for (const auto& [name, path] : unsafe) {
    ASSERT_TRUE(LoadText(Document(FileElement("kept"))));
    EXPECT_FALSE(LoadText(Document(FileElement(name, path)))) << name << " in " << path;
    EXPECT_EQ(list_.Count(), 0u);
  }
}

TEST_F(UpdateListTest, NumbersFollowAtoiRules) {
  std::string file = FileElement("a");
  file.replace(file.find("<FileLen>3</FileLen>"), 20, "<FileLen> 12abc</FileLen>");
  file.replace(file.find("<CompressLen>120</CompressLen>"), 30, "<CompressLen>x</CompressLen>");
  ASSERT_TRUE(LoadText(Document(file)));
  EXPECT_EQ(list_.First()->FileLen(), 12);
  EXPECT_EQ(list_.First()->CompressLen(), 0);
}

TEST_F(UpdateListTest, TotalArchiveSizeCountsEveryEntryWhateverItsStatus) {
  FileRecord done = Record("a");
  done.status = 1;
  done.compressLen = 2000000000;
  list_.Add(done);
  FileRecord pending = Record("b");
  pending.compressLen = 2000000000;
  list_.Add(pending);
  EXPECT_EQ(list_.TotalArchiveSize(), 4000000000LL);
}

TEST_F(UpdateListTest, IterationFollowsDocumentOrderAndSurvivesRemovingTheCurrentEntry) {
  ASSERT_TRUE(LoadText(Document(FileElement("c") + FileElement("a") + FileElement("b"))));
  std::vector<text::WString> visited;
  for (UpdateFileEntry* e = list_.First(); e; e = list_.Next()) {
    visited.push_back(e->FileName());
    if (e->FileName() == u"a") {
      EXPECT_TRUE(list_.Remove(e));
    }
  }
  EXPECT_EQ(visited, (std::vector<text::WString>{u"c", u"a", u"b"}));
  EXPECT_EQ(Names(), (std::vector<text::WString>{u"c", u"b"}));
  EXPECT_EQ(list_.Next(), nullptr);
}

TEST_F(UpdateListTest, RemoveRefusesAnEntryOfAnotherList) {
  UpdateList other;
  UpdateFileEntry* foreign = other.Add(Record("x"));
  list_.Add(Record("y"));
  EXPECT_FALSE(list_.Remove(foreign));
  EXPECT_EQ(other.Count(), 1u);
  EXPECT_EQ(list_.Count(), 1u);
}

// A scan from the start per removal took seconds here; the check removes every current file.
TEST_F(UpdateListTest, RemovingHalfOfALongListTakesNoTimePerEntry) {
  std::vector<UpdateFileEntry*> entries;
  for (int i = 0; i < 100000; ++i) entries.push_back(list_.Add(Record("f" + std::to_string(i))));
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = entries.size() / 2; i < entries.size(); ++i) ASSERT_TRUE(list_.Remove(entries[i]));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(list_.Count(), 50000u);
  EXPECT_EQ(list_.First()->FileName(), u"f0");
}

TEST_F(UpdateListTest, SetVersionCountsBytesOfCodePage936) {
  EXPECT_TRUE(list_.SetVersion(text::WString(16, u'版')));  // 32 bytes
  EXPECT_FALSE(list_.SetVersion(text::WString(17, u'版')));
  EXPECT_FALSE(list_.SetVersion(u"1.0\U0001F600"));
  EXPECT_EQ(list_.Version(), text::WString(16, u'版'));
}

TEST_F(UpdateListTest, AddRefusesRecordsThatLoadWouldReject) {
  EXPECT_EQ(list_.Add(Record("../x")), nullptr);
  EXPECT_EQ(list_.Add(Record("a", "..\\b")), nullptr);
  FileRecord noCrc = Record("a");
  noCrc.fileCrc.clear();
  EXPECT_EQ(list_.Add(noCrc), nullptr);
  EXPECT_EQ(list_.Count(), 0u);
}

TEST_F(UpdateListTest, ClearEmptiesEntriesAndSoftwareFields) {
  ASSERT_TRUE(LoadText(Document(FileElement("a"), " name=\"G\" version=\"1\" status=\"3\"")));
  list_.Clear();
  EXPECT_EQ(list_.Count(), 0u);
  EXPECT_EQ(list_.First(), nullptr);
  EXPECT_EQ(list_.Name(), u"");
  EXPECT_EQ(list_.Version(), u"");
  EXPECT_EQ(list_.SoftwareStatus(), 0);
}

TEST_F(UpdateListTest, SaveIntoAMissingDirectoryFails) {
  EXPECT_FALSE(list_.Save(text::FromUtf8(dir_.Join("no/such/dir/list.xml"))));
}
