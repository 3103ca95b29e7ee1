// The lobby window steps aside and comes back: unmapped on X11; on Wayland kept mapped, but
// transparent and deaf to keys and close requests until it is shown again. What the compositor
// makes of it (the place kept, nothing seen, clicks passing through) is the Wayland whole run's.
#include "lobby/frame/WindowHiding.h"

#include <gtest/gtest.h>

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace {

using lobby::HideWay;

class WindowHidingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setenv("NO_AT_BRIDGE", "1", TRUE);
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 200, 100);
    g_signal_connect(window, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                       ++static_cast<WindowHidingTest*>(self)->keyPresses;
                       return TRUE;
                     }),
                     this);
    g_signal_connect(window, "key-release-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                       ++static_cast<WindowHidingTest*>(self)->keyReleases;
                       return TRUE;
                     }),
                     this);
    g_signal_connect(window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                       ++static_cast<WindowHidingTest*>(self)->closeRequests;
                       return TRUE;
                     }),
                     this);
    gtk_widget_show(window);
    Settle();
  }
  void TearDown() override {
    if (window) gtk_widget_destroy(window);
  }
  static void Settle() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  }
  // Hands the window an event as the main loop would.
  void Send(GdkEventType type) {
    GdkEvent* event = gdk_event_new(type);
    reinterpret_cast<GdkEventAny*>(event)->window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    if (type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE) event->key.keyval = GDK_KEY_a;
    gtk_widget_event(window, event);
    gdk_event_free(event);
  }

  GtkWidget* window = nullptr;
  int keyPresses = 0;
  int keyReleases = 0;
  int closeRequests = 0;
};

TEST_F(WindowHidingTest, OnX11TheWindowIsUnmappedAndMappedAgain) {
  if (!GDK_IS_X11_DISPLAY(gtk_widget_get_display(window))) GTEST_SKIP() << "not an X11 display";
  ASSERT_EQ(lobby::HideWayFor(window), HideWay::kUnmap);
  lobby::HideWindow(window, HideWay::kUnmap);
  EXPECT_FALSE(gtk_widget_get_mapped(window));
  lobby::ShowHiddenWindow(window, HideWay::kUnmap);
  EXPECT_TRUE(gtk_widget_get_mapped(window));
  EXPECT_FALSE(lobby::HasVanished(window));
}

TEST_F(WindowHidingTest, AVanishedWindowStaysMappedButIsTransparent) {
  lobby::HideWindow(window, HideWay::kVanish);
  EXPECT_TRUE(lobby::HasVanished(window));
  EXPECT_TRUE(gtk_widget_get_mapped(window));
  EXPECT_EQ(gtk_widget_get_opacity(window), 0.0);
  lobby::ShowHiddenWindow(window, HideWay::kVanish);
  EXPECT_FALSE(lobby::HasVanished(window));
  EXPECT_TRUE(gtk_widget_get_mapped(window));
  EXPECT_EQ(gtk_widget_get_opacity(window), 1.0);
}

TEST_F(WindowHidingTest, AVanishedWindowDropsKeysAndCloseRequestsButNotReleases) {
  lobby::HideWindow(window, HideWay::kVanish);
  Send(GDK_KEY_PRESS);
  Send(GDK_DELETE);
  Send(GDK_KEY_RELEASE);
  EXPECT_EQ(keyPresses, 0);
  EXPECT_EQ(closeRequests, 0);
  EXPECT_EQ(keyReleases, 1);
  lobby::ShowHiddenWindow(window, HideWay::kVanish);
  Send(GDK_KEY_PRESS);
  Send(GDK_DELETE);
  EXPECT_EQ(keyPresses, 1);
  EXPECT_EQ(closeRequests, 1);
}

TEST_F(WindowHidingTest, HidingTwiceNeedsOneShow) {
  lobby::HideWindow(window, HideWay::kVanish);
  lobby::HideWindow(window, HideWay::kVanish);
  lobby::ShowHiddenWindow(window, HideWay::kVanish);
  EXPECT_FALSE(lobby::HasVanished(window));
  EXPECT_EQ(gtk_widget_get_opacity(window), 1.0);
  Send(GDK_KEY_PRESS);
  EXPECT_EQ(keyPresses, 1);
}

TEST_F(WindowHidingTest, ShowingAWindowThatNeverVanishedLeavesItAsItIs) {
  lobby::ShowHiddenWindow(window, HideWay::kVanish);
  EXPECT_TRUE(gtk_widget_get_mapped(window));
  EXPECT_EQ(gtk_widget_get_opacity(window), 1.0);
  Send(GDK_KEY_PRESS);
  EXPECT_EQ(keyPresses, 1);
}

}  // namespace
