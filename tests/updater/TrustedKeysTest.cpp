// The key file beside the updater: what counts as a key, and that anything else refuses all.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"
#include "tests/updater/SignedRelease.h"
#include "updater/InstalledRelease.h"
#include "updater/ReleaseAuthentication.h"
#include "updater/TrustedKeys.h"

namespace updater {
namespace {

using Mode = UpdateTrust::Mode;
using testsupport::TestKey;

class TrustedKeyFile : public ::testing::Test {
 protected:
  TestKey a, b;
};

TEST_F(TrustedKeyFile, KeysCommentsBlankLinesAndCrLf) {
  const UpdateTrust trust = ParseTrustedKeys("\xEF\xBB\xBF# operator keys\r\n\r\n" + a.Line() + "\r\n" + b.Line("Game,Other") + "\n");
  ASSERT_EQ(trust.mode, Mode::kKeys);
  ASSERT_EQ(trust.keys.size(), 2u);
  EXPECT_EQ(trust.keys[0].key, a.publicKey);
  EXPECT_TRUE(trust.keys[0].programs.empty());
  EXPECT_EQ(trust.keys[1].programs, (std::vector<text::WString>{u"Game", u"Other"}));
}

TEST_F(TrustedKeyFile, AKeyWithoutAListSignsAnyProgramAListOnlyItsOwn) {
  const UpdateTrust trust = ParseTrustedKeys(b.Line("游戏,Other"));
  EXPECT_TRUE(trust.keys[0].MaySign(u"游戏"));
  EXPECT_FALSE(trust.keys[0].MaySign(u"game"));
  EXPECT_FALSE(trust.keys[0].MaySign(u"Quorvane"));
  EXPECT_TRUE(ParseTrustedKeys(a.Line()).keys[0].MaySign(u"Quorvane"));
  EXPECT_TRUE(CanSignFor(ParseTrustedKeys(b.Line("Other") + "\n" + a.Line("Game")), u"Game"));
  EXPECT_FALSE(CanSignFor(ParseTrustedKeys(b.Line("Other")), u"Game"));
}

TEST_F(TrustedKeyFile, AnythingButKeysAndCommentsBreaksTheWholeFile) {
  const std::string key = a.Line();
  for (const std::string& text : {
           key + "\n" + "garbage",                      // a line that is not a key
           key.substr(0, 43) + "\n",                     // a key cut short
           key + "AAAA\n",                               // a longer key
           " " + key + "\n",                             // leading space
           key + " \n",                                  // a list without a name
           key + " Game,,Other\n",                       // an empty name
           key + " Game, Other\n",                       // a name with a space
           std::string("# comments only\n"),             // no key at all
           std::string(),                                // an empty file
           key + "\n" + std::string(kKeyFileLimit, '#'),  // past the size cap
       }) {
    EXPECT_EQ(ParseTrustedKeys(text).mode, Mode::kBroken) << text.substr(0, 80);
  }
}

TEST_F(TrustedKeyFile, MissingFileMeansNoAuthenticationAPresentOneThatCannotBeReadRefuses) {
  testsupport::TempDir dir;
  EXPECT_EQ(LoadTrustedKeys(dir.Join("UpdateKeys.pub")).mode, Mode::kNoKeyFile);
  std::filesystem::create_directories(dir.Join("folder/UpdateKeys.pub"));
  EXPECT_EQ(LoadTrustedKeys(dir.Join("folder/UpdateKeys.pub")).mode, Mode::kBroken);
  testsupport::WriteFileBytes(dir.Join("UpdateKeys.pub"), a.Line() + "\n");
  EXPECT_EQ(LoadTrustedKeys(dir.Join("UpdateKeys.pub")).mode, Mode::kKeys);
  testsupport::WriteFileBytes(dir.Join("UpdateKeys.pub"), a.Line() + "\n" + std::string(kKeyFileLimit, '#'));
  EXPECT_EQ(LoadTrustedKeys(dir.Join("UpdateKeys.pub")).mode, Mode::kBroken);
}

TEST(SignatureFile, OnlyOneLineOfExactBase64Verifies) {
  TestKey key;
  const UpdateTrust trust = ParseTrustedKeys(key.Line());
  const std::string sig = key.Sign("archive bytes");
  std::string why;
  EXPECT_TRUE(SignedByTrustedKey(trust, "archive bytes", sig, u"Game", why)) << why;
  EXPECT_TRUE(SignedByTrustedKey(trust, "archive bytes", sig.substr(0, sig.size() - 1) + "\r\n", u"Game", why));
  EXPECT_FALSE(SignedByTrustedKey(trust, "archive bytes!", sig, u"Game", why));
  EXPECT_FALSE(SignedByTrustedKey(trust, "archive bytes", " " + sig, u"Game", why));
  EXPECT_FALSE(SignedByTrustedKey(trust, "archive bytes", sig + std::string(kSignatureFileLimit, '#'), u"Game", why));
}

TEST(SigningTime, ComparesAsNumbersOfAnyLength) {
  EXPECT_TRUE(SignedEarlier("999999999", "1700000000"));
  EXPECT_FALSE(SignedEarlier("1700000000", "999999999"));
  EXPECT_FALSE(SignedEarlier("1700000000", "1700000000"));
  EXPECT_FALSE(SignedEarlier("01700000000", "1700000000"));
  EXPECT_TRUE(SignedEarlier("1699999999", "1700000000"));
}

}  // namespace
}  // namespace updater
