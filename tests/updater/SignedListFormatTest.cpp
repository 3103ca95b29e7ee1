// The signed list's additions (the signing time, the list tie of a log, each archive's hash) and
// how readers from before them take a signed list.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "tests/updater/FrozenListReader.h"
#include "updater/ArchiveHash.h"
#include "updater/UpdateList.h"

namespace updater {
namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

FileRecord Record(const std::string& name, const std::string& path, const std::string& hash) {
  FileRecord r;
  r.fileName = name;
  r.filePath = path;
  r.fileCrc = "352441C2";
  r.fileLen = 3;
  r.compressName = name + ".102";
  r.compressPath = path;
  r.compressCrc = "ABCD";
  r.compressLen = 120;
  r.command = "run";
  r.compressHash = hash;
  return r;
}

frozen::Record Frozen(const FileRecord& r) {
  return {r.status, r.fileName, r.filePath, r.fileCrc, r.fileLen, r.zip, r.compressName, r.compressPath,
          r.compressCrc, r.compressLen, r.command};
}

class SignedListFormat : public ::testing::Test {
 protected:
  std::string Printed(const std::string& signedTime, const std::vector<FileRecord>& records) {
    UpdateList list;
    list.SetName(u"Game");
    list.SetVersion(u"1.0.2");
    EXPECT_TRUE(list.SetSignedTime(signedTime));
    for (const FileRecord& r : records) EXPECT_TRUE(list.Add(r));
    return list.Print();
  }
  bool Load(UpdateList& list, const std::string& document) {
    const std::string path = dir.Join("list.xml");
    WriteFileBytes(path, document);
    return list.Load(text::FromUtf8(path));
  }
  testsupport::TempDir dir;
  std::vector<FileRecord> records = {Record("a.exe", "", HashText("a")), Record("b.dat", "sub\\dir", HashText("b")),
                                     Record("Update.cfg", "", HashText("c"))};
};

TEST_F(SignedListFormat, ReaderFromBeforeSigningReadsASignedListAsTheUnsignedOne) {
  const std::optional<frozen::List> old = frozen::Read(Printed("1700000000", records));
  ASSERT_TRUE(old);
  EXPECT_EQ(old->name, "Game");
  EXPECT_EQ(old->version, "1.0.2");
  ASSERT_EQ(old->files.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(old->files[i], Frozen(records[i])) << i;
}

TEST_F(SignedListFormat, SigningTimeAndHashesSurviveTheRoundTrip) {
  UpdateList list;
  ASSERT_TRUE(Load(list, Printed("1700000000", records)));
  EXPECT_EQ(list.SignedTime(), "1700000000");
  size_t i = 0;
  for (UpdateFileEntry* e = list.First(); e; e = list.Next(), ++i) EXPECT_EQ(e->Record(), records[i]);
  EXPECT_EQ(i, records.size());
}

TEST_F(SignedListFormat, LogTieIsWrittenAndRead) {
  UpdateList list;
  ASSERT_TRUE(list.SetListHash(HashText("list")));
  UpdateList again;
  ASSERT_TRUE(Load(again, list.Print()));
  EXPECT_EQ(again.ListHash(), HashText("list"));
}

TEST_F(SignedListFormat, MalformedHashOrTimeIsRefused) {
  std::vector<FileRecord> bad = records;
  bad[1].compressHash = std::string(64, 'G');
  UpdateList list;
  EXPECT_FALSE(list.Add(bad[1]));
  std::string document = Printed("1700000000", records);
  const std::string good = HashText("b");
  document.replace(document.find(good), good.size(), good.substr(0, 63) + "X");
  EXPECT_FALSE(Load(list, document));
  EXPECT_EQ(list.Count(), 0u);
  std::string timed = Printed("1700000000", records);
  timed.replace(timed.find("1700000000"), 10, "17000000x0");
  EXPECT_FALSE(Load(list, timed));
  EXPECT_FALSE(list.SetSignedTime("-5"));
}

TEST_F(SignedListFormat, HashOfKnownBytes) {
  // BLAKE2b-256 of "abc".
  EXPECT_EQ(HashText("abc"), "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319");
  ArchiveHash streamed;
  streamed.Update("a", 1);
  streamed.Update("bc", 2);
  EXPECT_EQ(streamed.FinishText(), HashText("abc"));
}

}  // namespace
}  // namespace updater
