// The movie view stays hidden until its page has loaded, or until the deadline when it never
// does. A stand-in widget carries the engine's "is-loading" property.
#include "lobby/frame/MovieReveal.h"

#include <gtest/gtest.h>

namespace {

struct FakeView {
  GtkDrawingArea parent;
  gboolean loading;
};
struct FakeViewClass {
  GtkDrawingAreaClass parent;
};

G_DEFINE_TYPE(FakeView, fake_view, GTK_TYPE_DRAWING_AREA)

void FakeViewGet(GObject* object, guint, GValue* value, GParamSpec*) {
  g_value_set_boolean(value, reinterpret_cast<FakeView*>(object)->loading);
}
void FakeViewSet(GObject* object, guint, const GValue* value, GParamSpec*) {
  reinterpret_cast<FakeView*>(object)->loading = g_value_get_boolean(value);
}
void fake_view_class_init(FakeViewClass* klass) {
  GObjectClass* object = G_OBJECT_CLASS(klass);
  object->get_property = FakeViewGet;
  object->set_property = FakeViewSet;
  g_object_class_install_property(
      object, 1, g_param_spec_boolean("is-loading", "", "", FALSE, G_PARAM_READWRITE));
}
void fake_view_init(FakeView*) {}

class MovieRevealTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setenv("NO_AT_BRIDGE", "1", TRUE);
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    view = GTK_WIDGET(g_object_ref_sink(g_object_new(fake_view_get_type(), nullptr)));
  }
  void TearDown() override {
    if (view) g_object_unref(view);
  }
  void SetLoading(bool loading) { g_object_set(view, "is-loading", loading, nullptr); }
  // Runs the main loop until the view is shown or `seconds` have passed.
  void RunUntilShown(double seconds) {
    const gint64 end = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
    while (!gtk_widget_get_visible(view) && g_get_monotonic_time() < end) {
      g_main_context_iteration(nullptr, FALSE);
      g_usleep(1000);
    }
  }

  GtkWidget* view = nullptr;
  int shown = 0;
};

TEST_F(MovieRevealTest, HiddenWhileThePageLoadsAndShownWhenItHasLoaded) {
  lobby::MovieReveal reveal;
  reveal.Start(view, [this] { ++shown; });
  SetLoading(true);
  EXPECT_FALSE(gtk_widget_get_visible(view));
  SetLoading(false);
  EXPECT_TRUE(gtk_widget_get_visible(view));
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(reveal.Waiting());
}

TEST_F(MovieRevealTest, ALoadNotYetBegunIsWaitedFor) {
  lobby::MovieReveal reveal;
  reveal.Start(view, [this] { ++shown; });
  SetLoading(false);  // a change before the load starts is no end of it
  EXPECT_FALSE(gtk_widget_get_visible(view));
  SetLoading(true);
  SetLoading(false);
  EXPECT_TRUE(gtk_widget_get_visible(view));
}

TEST_F(MovieRevealTest, APageThatNeverFinishesIsShownAtTheDeadline) {
  lobby::MovieReveal reveal;
  reveal.Start(view, [this] { ++shown; });
  SetLoading(true);
  RunUntilShown(lobby::kRevealDeadlineMs / 1000.0 * 5);
  EXPECT_TRUE(gtk_widget_get_visible(view));
  EXPECT_EQ(shown, 1);
  SetLoading(false);  // a late end of the load shows nothing twice
  EXPECT_EQ(shown, 1);
}

TEST_F(MovieRevealTest, NothingHappensOnceTheRevealIsGone) {
  {
    lobby::MovieReveal reveal;
    reveal.Start(view, [this] { ++shown; });
    SetLoading(true);
  }
  SetLoading(false);
  RunUntilShown(lobby::kRevealDeadlineMs / 1000.0 * 2);
  EXPECT_FALSE(gtk_widget_get_visible(view));
  EXPECT_EQ(shown, 0);
}

}  // namespace
