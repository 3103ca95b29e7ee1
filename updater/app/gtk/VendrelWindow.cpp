// The GTK side of the progress window: creation, the modal loop, keys and dragging.
#include <gdk/gdkkeysyms.h>

#include "skin/cairo/BorderlessWindow.h"
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
  GtkWidget* window = skin::MakeBorderlessWindow("Vendrel", Width(), Height());
  gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
  GtkWidget* area =
      skin::MakePaintedArea(Width(), Height(), G_CALLBACK(OnDraw), G_CALLBACK(OnButton), this);
  gtk_container_add(GTK_CONTAINER(window), area);
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

void CVendrelDlg::OnButtonPress(GdkEventButton* event) { skin::BeginDrag(window_, event); }

}  // namespace vendrel
