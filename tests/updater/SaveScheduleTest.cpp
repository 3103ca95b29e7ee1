#include "updater/SaveSchedule.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

using std::chrono::milliseconds;
using Clock = SaveSchedule::Clock;

TEST(SaveSchedule, CheapSavesComeAfterTheMinimumPause) {
  const Clock::time_point t0{};
  SaveSchedule s(milliseconds(1000), t0);
  EXPECT_FALSE(s.Due(t0 + milliseconds(999)));
  EXPECT_TRUE(s.Due(t0 + milliseconds(1000)));
  s.Saved(t0 + milliseconds(1000), t0 + milliseconds(1002));
  EXPECT_FALSE(s.Due(t0 + milliseconds(2001)));
  EXPECT_TRUE(s.Due(t0 + milliseconds(2002)));
}

// A log of 100,000 entries took over a second to save: saving it every second would leave
// little time for anything else.
TEST(SaveSchedule, ACostlySavePushesTheNextOneOutInProportion) {
  const Clock::time_point t0{};
  SaveSchedule s(milliseconds(1000), t0);
  s.Saved(t0, t0 + milliseconds(1200));
  const Clock::time_point after = t0 + milliseconds(1200);
  EXPECT_FALSE(s.Due(after + milliseconds(SaveSchedule::kCostFactor * 1200 - 1)));
  EXPECT_TRUE(s.Due(after + milliseconds(SaveSchedule::kCostFactor * 1200)));
  s.Saved(after + milliseconds(24000), after + milliseconds(24010));  // cheap again: back to the minimum
  EXPECT_TRUE(s.Due(after + milliseconds(24010 + 1000)));
}

}  // namespace
}  // namespace updater
