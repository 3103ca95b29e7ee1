// The GTK side of the progress window: creation, the modal loop, keys and dragging.
#include <gdk/gdkkeysyms.h>

#include "skin/PngResource.h"
#include "skin/WindowIcon.h"
#include "updater/app/VendrelDlg.h"

namespace vendrel {
namespace {

// How long the finished bar stays visible before the window closes by itself.
constexpr guint kDoneHoldMs = 400;

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  static_cast<const CVendrelDlg*>(self)->Render(cr);
  return TRUE;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
  static_cast<CVendrelDlg*>(self)->OnKey(event->keyval);
  return TRUE;
}

gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
  static_cast<CVendrelDlg*>(self)->OnButtonPress(event);
  return TRUE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<CVendrelDlg*>(self)->EndDialog(CVendrelDlg::kCancel);
  return TRUE;  // the dialog destroys its own window
}

}  // namespace

GtkWidget* CVendrelDlg::MakeWindow() {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* w = GTK_WINDOW(window);
  gtk_window_set_title(w, "Vendrel");
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_resizable(w, FALSE);
  gtk_window_set_default_size(w, Width(), Height());
  gtk_window_set_position(w, GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(w, TRUE);
  skin::SetWindowIcon(w);

  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, Width(), Height());
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
  gtk_container_add(GTK_CONTAINER(window), area);
  g_signal_connect(area, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(area, "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
  return window;
}

CVendrelDlg::Result CVendrelDlg::DoModal() {
  window_ = MakeWindow();
  gtk_widget_show_all(window_);
  if (start_ && !start_()) {
    // The worker never ran, so nothing else would close the window.
    updater::ProgressMessage failed;
    failed.id = updater::WM_UPDATE_FAILED;
    Post(std::move(failed));
  }
  if (result_ == kNone) {
    loop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop_);
  }
  gtk_widget_destroy(window_);
  window_ = nullptr;
  return result_;
}

void CVendrelDlg::EndDialog(Result result) {
  if (result_ == kNone) result_ = result;  // the first ending counts
  CloseWindow();
}

void CVendrelDlg::EndAfterHold() {
  if (result_ != kNone) return;
  result_ = kOk;
  if (!loop_) return;
  // Let the complete bar be seen before the window goes.
  closeTimer_ = g_timeout_add(kDoneHoldMs, [](gpointer self) -> gboolean {
    auto* dlg = static_cast<CVendrelDlg*>(self);
    dlg->closeTimer_ = 0;
    dlg->CloseWindow();
    return G_SOURCE_REMOVE;
  }, this);
}

void CVendrelDlg::CloseWindow() {
  if (loop_) g_main_loop_quit(loop_);
}

void CVendrelDlg::OnKey(guint keyval) {
  if (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter) {
    EndDialog(kOk);
  } else if (keyval == GDK_KEY_Escape) {
    EndDialog(kCancel);
  }
}

void CVendrelDlg::OnButtonPress(GdkEventButton* event) {
  if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return;
  gtk_window_begin_move_drag(GTK_WINDOW(window_), static_cast<int>(event->button),
                             static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                             event->time);
}

void CVendrelDlg::Redraw() {
  if (window_) gtk_widget_queue_draw(window_);
}

}  // namespace vendrel
