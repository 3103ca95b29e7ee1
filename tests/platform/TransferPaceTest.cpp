// The stall and rate-floor rules every HTTP backend applies, on a clock the test moves.
#include "platform/TransferPace.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using std::chrono::milliseconds;
const TransferPace::Clock::time_point t0{};

HttpLimits Limits(long stallMs, long minBytesPerSecond, long rateWindowMs) {
  HttpLimits l;
  l.stallMs = stallMs;
  l.minBytesPerSecond = minBytesPerSecond;
  l.rateWindowMs = rateWindowMs;
  return l;
}

TEST(TransferPace, NothingReceivedForTheStallTimeFails) {
  const HttpLimits limits = Limits(500, 0, 1000);
  TransferPace pace(limits, t0);
  EXPECT_TRUE(pace.Keeps(0, t0 + milliseconds(500)));
  EXPECT_FALSE(pace.Keeps(0, t0 + milliseconds(501)));
}

TEST(TransferPace, EveryNewByteRestartsTheStallTime) {
  const HttpLimits limits = Limits(500, 0, 1000);
  TransferPace pace(limits, t0);
  EXPECT_TRUE(pace.Keeps(1, t0 + milliseconds(400)));
  EXPECT_TRUE(pace.Keeps(2, t0 + milliseconds(800)));
  EXPECT_TRUE(pace.Keeps(2, t0 + milliseconds(1300)));
  EXPECT_FALSE(pace.Keeps(2, t0 + milliseconds(1301)));
}

TEST(TransferPace, TricklingBelowTheFloorOverAWindowFails) {
  const HttpLimits limits = Limits(500, 1000, 2000);  // at least 2,000 bytes per 2 s
  TransferPace pace(limits, t0);
  uint64_t received = 0;
  for (int ms = 100; ms < 2000; ms += 100) EXPECT_TRUE(pace.Keeps(received += 100, t0 + milliseconds(ms)));
  EXPECT_FALSE(pace.Keeps(received += 50, t0 + milliseconds(2000)));  // 1,950 bytes in the window
}

TEST(TransferPace, EachWindowIsJudgedOnItsOwnBytes) {
  const HttpLimits limits = Limits(5000, 1000, 1000);
  TransferPace pace(limits, t0);
  EXPECT_TRUE(pace.Keeps(5000, t0 + milliseconds(1000)));  // a fast first window
  EXPECT_TRUE(pace.Keeps(5500, t0 + milliseconds(1500)));
  EXPECT_FALSE(pace.Keeps(5900, t0 + milliseconds(2000)));  // 900 bytes in the second
}

TEST(TransferPace, NoFloorMeansOnlyTheStallRule) {
  const HttpLimits limits = Limits(500, 0, 100);
  TransferPace pace(limits, t0);
  for (int ms = 100; ms <= 5000; ms += 100) EXPECT_TRUE(pace.Keeps(static_cast<uint64_t>(ms / 100), t0 + milliseconds(ms)));
}

}  // namespace
}  // namespace platform
