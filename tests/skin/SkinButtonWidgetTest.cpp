// The button's window: real GTK events reach the state, and the pointer turns into a hand.
// Needs a display (the test run provides one); skipped without.
#include <gtest/gtest.h>

#include "Pixels.h"
#include "skin/cairo/SkinButton.h"

namespace {

using skin::CSkinButton;

constexpr uint32_t kFour[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};

class SkinButtonWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setenv("NO_AT_BRIDGE", "1", TRUE);  // no accessibility bus: it keeps allocations to exit
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), fixed);
    button.SetImage(skintest::ColumnSheet(kFour, 4, 56, 35));
    button.Create(GTK_FIXED(fixed), 30, 5);
    button.OnClicked([this] { ++clicks; });
    gtk_widget_show_all(window);
    while (gtk_events_pending()) gtk_main_iteration();
  }

  void TearDown() override {
    if (window) gtk_widget_destroy(window);
  }

  // Delivers a synthetic event to the button's window, as the display would.
  void Send(GdkEventType type, double x = 10, double y = 10) {
    GdkEvent* event = gdk_event_new(type);
    GdkWindow* target = gtk_widget_get_window(button.Widget());
    if (type == GDK_ENTER_NOTIFY || type == GDK_LEAVE_NOTIFY) {
      event->crossing.window = GDK_WINDOW(g_object_ref(target));
    } else {
      event->button.window = GDK_WINDOW(g_object_ref(target));
      event->button.button = GDK_BUTTON_PRIMARY;
      event->button.x = x;
      event->button.y = y;
    }
    gtk_widget_event(button.Widget(), event);
    gdk_event_free(event);
  }

  GtkWidget* window = nullptr;
  GtkWidget* fixed = nullptr;
  CSkinButton button;
  int clicks = 0;
};

TEST_F(SkinButtonWidgetTest, WindowTakesTheFrameSizeAtItsPlace) {
  GtkAllocation a;
  gtk_widget_get_allocation(button.Widget(), &a);
  EXPECT_EQ(a.x, 30);
  EXPECT_EQ(a.y, 5);
  EXPECT_EQ(a.width, 56);
  EXPECT_EQ(a.height, 35);
}

TEST_F(SkinButtonWidgetTest, PointerOverTheButtonIsAHand) {
  GdkCursor* cursor = gdk_window_get_cursor(gtk_widget_get_window(button.Widget()));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(gdk_cursor_get_cursor_type(cursor), GDK_HAND2);
}

TEST_F(SkinButtonWidgetTest, EnterShowsHoverAndLeaveTheNormalFrame) {
  Send(GDK_ENTER_NOTIFY);
  EXPECT_EQ(button.CurrentState(), CSkinButton::kHovered);
  Send(GDK_LEAVE_NOTIFY);
  EXPECT_EQ(button.CurrentState(), CSkinButton::kNormal);
}

TEST_F(SkinButtonWidgetTest, PressAndReleaseInsideClick) {
  Send(GDK_BUTTON_PRESS);
  EXPECT_EQ(button.CurrentState(), CSkinButton::kPressed);
  Send(GDK_BUTTON_RELEASE);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SkinButtonWidgetTest, ReleaseOutsideDoesNotClick) {
  Send(GDK_BUTTON_PRESS);
  Send(GDK_BUTTON_RELEASE, 70, 10);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(button.CurrentState(), CSkinButton::kNormal);
}

TEST_F(SkinButtonWidgetTest, DisabledButtonIgnoresThePointer) {
  button.SetEnabled(false);
  EXPECT_FALSE(gtk_widget_get_sensitive(button.Widget()));
  EXPECT_EQ(button.CurrentState(), CSkinButton::kDisabled);
}

// A key press delivered to the button's window, as the display would send it to the focus.
bool SendKey(GtkWidget* widget, guint keyval) {
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
  event->key.keyval = keyval;
  const bool handled = gtk_widget_event(widget, event);
  gdk_event_free(event);
  return handled;
}

TEST_F(SkinButtonWidgetTest, TakesTheFocusAndShowsIt) {
  EXPECT_TRUE(gtk_widget_get_can_focus(button.Widget()));
  gtk_window_present(GTK_WINDOW(window));
  gtk_widget_grab_focus(button.Widget());
  GdkEvent* in = gdk_event_new(GDK_FOCUS_CHANGE);
  in->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(button.Widget())));
  in->focus_change.in = TRUE;
  gtk_widget_send_focus_change(button.Widget(), in);
  gdk_event_free(in);
  EXPECT_TRUE(button.Focused());
}

TEST_F(SkinButtonWidgetTest, EnterAndSpaceClick) {
  EXPECT_TRUE(SendKey(button.Widget(), GDK_KEY_Return));
  EXPECT_TRUE(SendKey(button.Widget(), GDK_KEY_KP_Enter));
  EXPECT_TRUE(SendKey(button.Widget(), GDK_KEY_space));
  EXPECT_EQ(clicks, 3);
}

TEST_F(SkinButtonWidgetTest, OtherKeysAndEscapePassOn) {
  EXPECT_FALSE(SendKey(button.Widget(), GDK_KEY_Escape));
  EXPECT_FALSE(SendKey(button.Widget(), GDK_KEY_a));
  EXPECT_EQ(clicks, 0);
}

}  // namespace
