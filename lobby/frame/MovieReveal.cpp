#include "lobby/frame/MovieReveal.h"

namespace lobby {
namespace {

// The engine's view reports its load through this property; the frame reads it by name, as it
// reaches the view only as a widget.
constexpr char kLoadingProperty[] = "is-loading";

bool IsLoading(GtkWidget* view) {
  gboolean loading = FALSE;
  g_object_get(view, kLoadingProperty, &loading, nullptr);
  return loading;
}

void OnLoadingNotify(GObject*, GParamSpec*, gpointer self) {
  static_cast<MovieReveal*>(self)->OnLoadingChanged();
}

gboolean OnDeadlineTick(gpointer self) {
  static_cast<MovieReveal*>(self)->OnDeadline();
  return G_SOURCE_REMOVE;
}

}  // namespace

MovieReveal::~MovieReveal() { Stop(); }

// The engine tells no "first paint". "is-loading" turning false is the end of the load: the
// document, its style sheets, scripts and images are in and its load handlers have run, so the
// first frame it paints is the movie's own. Shown then, the view paints its background (the
// window's black) for the few milliseconds until that frame arrives; shown earlier, it would
// wait for a page that has nothing to paint yet.
void MovieReveal::Start(GtkWidget* view, std::function<void()> shown) {
  Stop();
  if (!view) return;
  view_ = GTK_WIDGET(g_object_ref(view));
  shown_ = std::move(shown);
  sawLoading_ = false;
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(view), kLoadingProperty)) {
    sawLoading_ = IsLoading(view);
    loadingHandler_ = g_signal_connect(view, "notify::is-loading", G_CALLBACK(OnLoadingNotify), this);
  }
  deadline_ = g_timeout_add(kRevealDeadlineMs, OnDeadlineTick, this);
}

// A load that ends (finished or failed) shows the view; a load not yet begun is waited for.
void MovieReveal::OnLoadingChanged() {
  if (!view_) return;
  if (IsLoading(view_)) {
    sawLoading_ = true;
  } else if (sawLoading_) {
    Reveal();
  }
}

void MovieReveal::OnDeadline() {
  deadline_ = 0;  // its source ends by returning
  Reveal();
}

void MovieReveal::Reveal() {
  if (!view_) return;
  GtkWidget* view = GTK_WIDGET(g_object_ref(view_));
  std::function<void()> shown = std::move(shown_);
  Stop();
  gtk_widget_show(view);
  if (shown) shown();
  g_object_unref(view);
}

void MovieReveal::Stop() {
  if (deadline_) g_source_remove(deadline_);
  deadline_ = 0;
  if (view_) {
    // A destroyed view has dropped its handlers already.
    if (loadingHandler_ && g_signal_handler_is_connected(view_, loadingHandler_)) {
      g_signal_handler_disconnect(view_, loadingHandler_);
    }
    g_object_unref(view_);
  }
  loadingHandler_ = 0;
  view_ = nullptr;
  shown_ = nullptr;
}

}  // namespace lobby
