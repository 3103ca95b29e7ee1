// When the lobby skips the hand-over to the updater after a self-update that did not install.
#include <gtest/gtest.h>

#include "contract/SelfUpdateMarker.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/update/HandOverPause.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

namespace lobby {
namespace {

using contract::SelfUpdateMarker;
using contract::UpdaterExit;

constexpr int64_t kNow = 1700000000;

SelfUpdateMarker Marker(const char16_t* version, int64_t age) {
  return SelfUpdateMarker{u"/opt/lobby", version, kNow - age, UpdaterExit::kRefused};
}

TEST(HandOverPause, SameVersionIsSkippedForThePause) {
  EXPECT_TRUE(HandOverPaused(Marker(u"1.0.2", 10 * 60), u"1.0.2", kNow));
  EXPECT_TRUE(HandOverPaused(Marker(u"1.0.2", kHandOverPauseSeconds - 1), u"1.0.2", kNow));
  EXPECT_FALSE(HandOverPaused(Marker(u"1.0.2", kHandOverPauseSeconds), u"1.0.2", kNow));
}

TEST(HandOverPause, AnotherVersionIsTriedOnceTheLobbyWasNotJustRestarted) {
  EXPECT_FALSE(HandOverPaused(Marker(u"1.0.2", kJustFailedSeconds), u"1.0.3", kNow));
  EXPECT_TRUE(HandOverPaused(Marker(u"1.0.2", 5), u"1.0.3", kNow)) << "an announcement that keeps changing";
}

TEST(HandOverPause, NoMarkerOrOneFarInTheFutureDoesNotPause) {
  EXPECT_FALSE(HandOverPaused(std::nullopt, u"1.0.2", kNow));
  EXPECT_FALSE(HandOverPaused(Marker(u"1.0.2", -2 * kHandOverPauseSeconds), u"1.0.2", kNow));
}

TEST(SelfUpdateMarkerFile, IsFoundForTheSameDirectoryUnderAnotherSpelling) {
  testsupport::TempDir dir;
  const text::WString state = text::FromUtf8(dir.Join("state"));
  const text::WString prog = text::FromUtf8(dir.Join("prog"));
  platform::CreateDirectory(state);
  platform::CreateDirectory(prog);
  ASSERT_TRUE(contract::WriteSelfUpdateMarker(state, {prog, u"1.0.2", kNow, UpdaterExit::kRefused}));
  const auto read = contract::ReadSelfUpdateMarker(state, prog + u"/./");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->version, u"1.0.2");
  EXPECT_EQ(read->time, kNow);
  EXPECT_EQ(read->outcome, UpdaterExit::kRefused);
  EXPECT_FALSE(contract::ReadSelfUpdateMarker(state, text::FromUtf8(dir.Join("other"))));
  contract::RemoveSelfUpdateMarker(state, prog);
  EXPECT_FALSE(contract::ReadSelfUpdateMarker(state, prog));
}

TEST(SkippedUpdate, LoginServerTellsThePageOnlyWhenAnUpdateWasSkipped) {
  ClientConfig c(u"/l", "");
  const std::string plain = text::ToUtf8(LoginServerMessage(c));
  EXPECT_EQ(plain.find("SkippedUpdate"), std::string::npos);
  c.SkippedUpdateVersion = u"1.0.2";
  c.SkippedUpdateResult = 3;
  const std::string told = text::ToUtf8(LoginServerMessage(c));
  EXPECT_NE(told.find("<property id=\"SkippedUpdate\"><object>"
                      "<property id=\"Version\"><string>1.0.2</string></property>"
                      "<property id=\"Result\"><number>3</number></property>"
                      "<property id=\"Outcome\"><string>refused</string></property>"
                      "</object></property>"),
            std::string::npos)
      << told;
}

}  // namespace
}  // namespace lobby
