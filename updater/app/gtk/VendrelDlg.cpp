#include "updater/app/gtk/VendrelDlg.h"

#include "updater/app/VendrelLayout.h"

namespace vendrel {
namespace {

using updater::ProgressMessage;
namespace layout = vendrel::layout;

// A message on its way to the main loop; owns its text until handled or dropped.
struct Queued {
  std::shared_ptr<CVendrelDlg*> target;
  ProgressMessage message;
};

gboolean DeliverQueued(gpointer data) {
  auto* queued = static_cast<Queued*>(data);
  if (CVendrelDlg* dlg = *queued->target) dlg->Handle(queued->message);
  return G_SOURCE_REMOVE;
}

void FreeQueued(gpointer data) { delete static_cast<Queued*>(data); }

void DrawAt(cairo_t* cr, const skin::ImageStrip& strip, int x, int y) {
  if (strip.HasImage()) skin::DrawFrame(cr, strip, 1, skin::Rect{x, y, strip.Width(), strip.Height()});
}

void PaintLabel(cairo_t* cr, const skin::CSkinStatic& label, const skin::Rect& box) {
  cairo_save(cr);
  cairo_translate(cr, box.x, box.y);
  label.Paint(cr);
  cairo_restore(cr);
}

}  // namespace

CVendrelDlg::CVendrelDlg() : self_(std::make_shared<CVendrelDlg*>(this)) {}

CVendrelDlg::~CVendrelDlg() {
  *self_ = nullptr;
  if (closeTimer_) g_source_remove(closeTimer_);
  if (window_) gtk_widget_destroy(window_);
  if (loop_) g_main_loop_unref(loop_);
}

int CVendrelDlg::Width() const { return art_.Width(); }

int CVendrelDlg::Height() const { return art_.Height(); }

void CVendrelDlg::Post(ProgressMessage message) {
  // An idle source at default priority: handled in posting order, never inside Post itself.
  g_idle_add_full(G_PRIORITY_DEFAULT, DeliverQueued, new Queued{self_, std::move(message)},
                  FreeQueued);
}

void CVendrelDlg::Changed() {
  art_.status.SetText(StatusText());
  art_.bytes.SetText(ByteText());
  if (window_) gtk_widget_queue_draw(window_);
}

void CVendrelDlg::Render(cairo_t* cr) const {
  skin::SurfacePtr bitmap = skin::MakeArgbSurface(Width(), Height());
  skin::ContextPtr off(cairo_create(bitmap.get()));
  DrawAt(off.get(), art_.background, 0, 0);
  DrawAt(off.get(), art_.leftCap, layout::kLeftCapX, layout::kBarY);
  for (unsigned i = 0; i < SegmentsShown(); ++i) {
    DrawAt(off.get(), art_.segment, layout::SegmentX(i), layout::kBarY);
  }
  if (RightCapShown()) DrawAt(off.get(), art_.rightCap, layout::kRightCapX, layout::kBarY);
  PaintLabel(off.get(), art_.status, layout::kStatusBox);
  PaintLabel(off.get(), art_.bytes, layout::kBytesBox);
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

}  // namespace vendrel
