// A window larger than the work area keeps its close and minimise buttons on screen; one that
// fits is left to the usual centring.
#include "lobby/frame/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

using lobby::FitToWorkArea;

TEST(WindowPlacementTest, AWindowThatFitsIsLeftToTheCentring) {
  EXPECT_FALSE(FitToWorkArea(800, 635, {0, 0, 1280, 1024}));
  EXPECT_FALSE(FitToWorkArea(1280, 1024, {0, 0, 1280, 1024}));
}

TEST(WindowPlacementTest, TooWideAndTooTallHangsPastTheLeftAndBottomEdges) {
  auto at = FitToWorkArea(1600, 1235, {0, 0, 1280, 1024});
  ASSERT_TRUE(at);
  EXPECT_EQ(at->x, -320);  // right end on the right edge
  EXPECT_EQ(at->y, 0);     // title strip at the top
}

TEST(WindowPlacementTest, TheWorkAreaNotTheMonitorCounts) {
  // A panel of 30 pixels at the top and a second monitor to the left.
  auto at = FitToWorkArea(1600, 1235, {-1920, 30, 1280, 994});
  ASSERT_TRUE(at);
  EXPECT_EQ(at->x, -1920 + 1280 - 1600);
  EXPECT_EQ(at->y, 30);
}

TEST(WindowPlacementTest, ASideThatFitsIsCentred) {
  auto wide = FitToWorkArea(1600, 635, {0, 0, 1280, 1024});
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->x, -320);
  EXPECT_EQ(wide->y, (1024 - 635) / 2);
  auto tall = FitToWorkArea(800, 1235, {100, 0, 1280, 1024});
  ASSERT_TRUE(tall);
  EXPECT_EQ(tall->x, 100 + (1280 - 800) / 2);
  EXPECT_EQ(tall->y, 0);
}

TEST(WindowPlacementTest, NoWorkAreaLeavesTheWindowAlone) {
  EXPECT_FALSE(FitToWorkArea(1600, 1235, {0, 0, 0, 0}));
}

}  // namespace
