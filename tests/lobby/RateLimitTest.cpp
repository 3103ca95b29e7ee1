// At most n events in any window: counted from each allowed event, refused ones not counted.
#include "lobby/flash/RateLimit.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(RateLimitTest, AllowsCountEventsInAnyWindowAndRefusesTheRest) {
  lobby::RateLimit limit(3, 2000ms);
  const std::chrono::steady_clock::time_point t0{};
  EXPECT_TRUE(limit.Allow(t0));
  EXPECT_TRUE(limit.Allow(t0 + 500ms));
  EXPECT_TRUE(limit.Allow(t0 + 1000ms));
  EXPECT_FALSE(limit.Allow(t0 + 1999ms));
  EXPECT_TRUE(limit.Allow(t0 + 2000ms));   // the first has left the window
  EXPECT_FALSE(limit.Allow(t0 + 2499ms));
  EXPECT_TRUE(limit.Allow(t0 + 2500ms));
  EXPECT_TRUE(limit.Allow(t0 + 3000ms));
  EXPECT_FALSE(limit.Allow(t0 + 3001ms));
}

}  // namespace
