#include "updater/app/gtk/VendrelDlg.h"

namespace vendrel {

using updater::ProgressMessage;

CVendrelDlg::~CVendrelDlg() {
  if (closeTimer_) g_source_remove(closeTimer_);
  if (window_) gtk_widget_destroy(window_);
  if (loop_) g_main_loop_unref(loop_);
}

void CVendrelDlg::Post(ProgressMessage message) {
  // Shared so the work can be copied; the text goes with the last copy, handled or dropped.
  posted_.Post([this, m = std::make_shared<ProgressMessage>(std::move(message))] { Handle(*m); });
}

void CVendrelDlg::Repaint() {
  if (window_) gtk_widget_queue_draw(window_);
}

void CVendrelDlg::Render(cairo_t* cr) const {
  skin::SurfacePtr bitmap = skin::MakeArgbSurface(Width(), Height(), skin::CanvasScale(cr));
  skin::ContextPtr off(cairo_create(bitmap.get()));
  Compose(off.get());
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

}  // namespace vendrel
