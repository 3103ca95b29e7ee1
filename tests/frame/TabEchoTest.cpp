// A Tab the movie passes back after moving the focus out itself is dropped; every other Tab
// moves the focus as usual.
#include "lobby/frame/TabEcho.h"

#include <gtest/gtest.h>

namespace {

GdkEventKey Tab(guint32 time, guint keyval = GDK_KEY_Tab) {
  GdkEventKey event{};
  event.type = GDK_KEY_PRESS;
  event.time = time;
  event.keyval = keyval;
  return event;
}

TEST(TabEchoTest, TheMoviesTabComingBackIsDropped) {
  lobby::TabEcho tabs;
  EXPECT_FALSE(tabs.IsEcho(Tab(100), true));   // to the movie, which moves the focus out
  EXPECT_TRUE(tabs.IsEcho(Tab(100), false));   // handed back: already done
}

TEST(TabEchoTest, ANewPressAfterTheMovieMovesTheFocus) {
  lobby::TabEcho tabs;
  tabs.IsEcho(Tab(100), true);
  EXPECT_FALSE(tabs.IsEcho(Tab(250), false));
}

TEST(TabEchoTest, TabsBetweenButtonsAreNeverDropped) {
  lobby::TabEcho tabs;
  EXPECT_FALSE(tabs.IsEcho(Tab(100), false));
  EXPECT_FALSE(tabs.IsEcho(Tab(100), false));  // even with the same time: not from the movie
}

TEST(TabEchoTest, OnlyTheSameKeyIsTheEcho) {
  lobby::TabEcho tabs;
  tabs.IsEcho(Tab(100, GDK_KEY_ISO_Left_Tab), true);
  EXPECT_FALSE(tabs.IsEcho(Tab(100, GDK_KEY_Tab), false));
}

TEST(TabEchoTest, AnEchoIsDroppedOnce) {
  lobby::TabEcho tabs;
  tabs.IsEcho(Tab(100), true);
  EXPECT_TRUE(tabs.IsEcho(Tab(100), false));
  EXPECT_FALSE(tabs.IsEcho(Tab(100), false));
}

}  // namespace
