// The GTK side of the progress window: creation, the modal loop, keys and dragging.
#include <gdk/gdkkeysyms.h>

#include "skin/cairo/WindowIcon.h"
#include "updater/app/VendrelLayout.h"
#include "updater/app/gtk/VendrelDlg.h"

namespace vendrel {
namespace {

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

void CVendrelDlg::OpenWindow() {
  window_ = MakeWindow();
  gtk_widget_show_all(window_);
}

void CVendrelDlg::RunModalLoop() {
  loop_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop_);
}

void CVendrelDlg::DisposeWindow() {
  gtk_widget_destroy(window_);
  window_ = nullptr;
}

void CVendrelDlg::QuitAfterHold(unsigned ms) {
  if (!loop_) return;
  closeTimer_ = g_timeout_add(ms, [](gpointer self) -> gboolean {
    auto* dlg = static_cast<CVendrelDlg*>(self);
    dlg->closeTimer_ = 0;
    dlg->QuitModalLoop();
    return G_SOURCE_REMOVE;
  }, this);
}

void CVendrelDlg::QuitModalLoop() {
  if (loop_) g_main_loop_quit(loop_);
}

void CVendrelDlg::OnKey(guint keyval) {
  if (keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter) {
    OnEnter();
  } else if (keyval == GDK_KEY_Escape) {
    OnEscape();
  }
}

void CVendrelDlg::OnButtonPress(GdkEventButton* event) {
  if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return;
  gtk_window_begin_move_drag(GTK_WINDOW(window_), static_cast<int>(event->button),
                             static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                             event->time);
}

}  // namespace vendrel
