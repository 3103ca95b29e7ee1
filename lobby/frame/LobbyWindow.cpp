// The GTK side of the lobby frame: the window, its signals, the modal loop, timers and work
// posted from other threads.
#include <gdk/gdkkeysyms.h>

#include "lobby/config/ClientConfig.h"
#include "lobby/frame/LobbyFrame.h"
#include "lobby/frame/WindowHiding.h"
#include "lobby/frame/WindowPlacement.h"
#include "skin/cairo/BorderlessWindow.h"

namespace lobby {
namespace {

struct TimerTick {
  CLobbyFrame* frame;
  int id;
};

gboolean OnTimerTick(gpointer data) {
  auto* tick = static_cast<TimerTick*>(data);
  tick->frame->OnTimer(tick->id);
  return G_SOURCE_CONTINUE;  // a tick that stopped its own timer has removed the source already
}

void FreeTimerTick(gpointer data) { delete static_cast<TimerTick*>(data); }

gboolean OnDrawBackdrop(GtkWidget*, cairo_t* cr, gpointer self) {
  static_cast<const CLobbyFrame*>(self)->PaintBackground(cr);
  return TRUE;
}

gboolean OnBackdropPress(GtkWidget*, GdkEventButton* event, gpointer self) {
  static_cast<CLobbyFrame*>(self)->OnBackgroundPress(event);
  return TRUE;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
  bool handled = false;
  static_cast<CLobbyFrame*>(self)->OnKey(event, handled);
  return handled;
}

// The window moved to a screen of another scale (or learnt its own when it was realised).
void OnScaleFactor(GtkWidget* window, GParamSpec*, gpointer self) {
  static_cast<CLobbyFrame*>(self)->SetScale(gtk_widget_get_scale_factor(window));
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  // The window manager's close request goes where the close button goes.
  static_cast<CLobbyFrame*>(self)->OnCommand(CLobbyFrame::kClose);
  return TRUE;
}

bool IsTab(guint keyval) {
  return keyval == GDK_KEY_Tab || keyval == GDK_KEY_ISO_Left_Tab || keyval == GDK_KEY_KP_Tab;
}

bool IsEnterOrEscape(guint keyval) {
  return keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_Escape;
}

}  // namespace

CLobbyFrame::~CLobbyFrame() {
  for (auto& [id, source] : timers_) g_source_remove(source);
  timers_.clear();
  if (window_) gtk_widget_destroy(window_);
  if (loop_) g_main_loop_unref(loop_);
}

GtkWidget* CLobbyFrame::MakeWindow() {
  const skin::Rect& size = layout_.window;
  GtkWidget* window = skin::MakeBorderlessWindow(text::ToUtf8(config_.GetTitle()).c_str(),
                                                 size.width, size.height);
  fixed_ = GTK_FIXED(gtk_fixed_new());
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(fixed_));
  // The backdrop paints the composed background and is what dragging grabs: whatever no
  // control covers.
  backdrop_ = skin::MakePaintedArea(size.width, size.height, G_CALLBACK(OnDrawBackdrop),
                                    G_CALLBACK(OnBackdropPress), this);
  gtk_fixed_put(fixed_, backdrop_, 0, 0);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
  SetScale(gtk_widget_get_scale_factor(window));
  g_signal_connect(window, "notify::scale-factor", G_CALLBACK(OnScaleFactor), this);
  return window;
}

void CLobbyFrame::CreateControls() {
  const struct {
    skin::CSkinButton& button;
    Point at;
    int command;
  } buttons[] = {{proposal_, layout_.proposal, kProposal},
                 {service_, layout_.service, kService},
                 {minimize_, layout_.minimize, kMinimize},
                 {close_, layout_.close, kClose}};
  for (const auto& b : buttons) {
    ShowControl(b.button.Create(fixed_, b.at.x, b.at.y), true);
    b.button.OnClicked([this, id = b.command] { OnCommand(id); });
  }
}

void CLobbyFrame::DoModal() {
  window_ = MakeWindow();
  gtk_widget_show(GTK_WIDGET(fixed_));
  gtk_widget_show(backdrop_);
  CreateControls();
  if (IsFlashAvailable()) {
    LoadLobbyMovie();
  } else {
    ComposeNotice();
    ShowControl(download_.Create(fixed_, layout_.download.x, layout_.download.y), true);
    download_.OnClicked([this] { OnCommand(kDownload); });
    ShowControl(notice_.Create(fixed_, layout_.noticeText.x, layout_.noticeText.y), true);
    StartTimer(kTimerFlashPoll, kFlashPollPeriodMs);
  }
  PlaceOnScreen(window_, layout_.window.width, layout_.window.height);
  gtk_widget_show(window_);
  // Showing gives the first button the focus; the keyboard belongs to the movie until the user
  // tabs away from it.
  gtk_window_set_focus(GTK_WINDOW(window_), nullptr);
  if (ended_) return;
  loop_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop_);
}

void CLobbyFrame::ShowControl(GtkWidget* widget, bool visible) {
  if (!widget) return;
  if (visible) {
    gtk_widget_show(widget);
  } else {
    gtk_widget_hide(widget);
  }
}

// While a game or the updater runs: hidden in the way that brings it back where it was.
void CLobbyFrame::ShowWindow(bool visible) {
  if (!window_) return;
  const HideWay way = HideWayFor(window_);
  if (visible) {
    ShowHiddenWindow(window_, way);
  } else {
    HideWindow(window_, way);
  }
}

void CLobbyFrame::StartTimer(int id, unsigned periodMs) {
  StopTimer(id);
  timers_[id] = g_timeout_add_full(G_PRIORITY_DEFAULT, periodMs, OnTimerTick, new TimerTick{this, id},
                                   FreeTimerTick);
}

void CLobbyFrame::StopTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  g_source_remove(it->second);
  timers_.erase(it);
}

void CLobbyFrame::EndDialog() {
  ended_ = true;
  if (loop_) g_main_loop_quit(loop_);
}

void CLobbyFrame::OpenWebAddress(const std::string& uri) {
  GError* error = nullptr;
  if (!g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error)) {
    g_printerr("Quorvane: cannot open %s: %s\n", uri.c_str(), error ? error->message : "no handler");
  }
  g_clear_error(&error);
}

void CLobbyFrame::PostToMainLoop(std::function<void()> work) { posted_.Post(std::move(work)); }

// Enter and Escape never end or minimise the lobby: they belong to the movie. With the movie
// focused they reach it the usual way; otherwise they are handed to it, but for Enter on a
// focused button, which presses that button. A Tab the movie hands back is dropped (TabEcho).
void CLobbyFrame::OnKey(const GdkEventKey* event, bool& handled) {
  GtkWidget* view = player_.Widget();
  GtkWidget* focus = window_ ? gtk_window_get_focus(GTK_WINDOW(window_)) : nullptr;
  const bool movieFocused = view && focus && (focus == view || gtk_widget_is_ancestor(focus, view));
  if (IsTab(event->keyval)) {
    handled = tabs_.IsEcho(*event, movieFocused);
    // The engine waits to see its handed-back press pass through the view once more, and
    // until then passes over the next key the movie gets: let it see it, to no effect.
    if (handled && view) {
      gtk_widget_event(view, reinterpret_cast<GdkEvent*>(const_cast<GdkEventKey*>(event)));
    }
    return;
  }
  if (!IsEnterOrEscape(event->keyval) || movieFocused) return;
  // Enter presses a focused button; Escape still goes to the movie.
  if (event->keyval != GDK_KEY_Escape && ButtonHasFocus(focus)) return;
  player_.ForwardKey(event);
  handled = true;
}

bool CLobbyFrame::ButtonHasFocus(GtkWidget* focus) const {
  if (!focus) return false;
  for (const skin::CSkinButton* b : {&proposal_, &service_, &minimize_, &close_, &download_}) {
    if (b->Widget() == focus) return true;
  }
  return false;
}

void CLobbyFrame::OnBackgroundPress(const GdkEventButton* event) {
  skin::BeginDrag(window_, event);
}

}  // namespace lobby
