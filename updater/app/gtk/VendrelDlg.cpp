#include "updater/app/gtk/VendrelDlg.h"

#include "skin/cairo/Font.h"
#include "skin/cairo/PngResource.h"
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

skin::ImageStrip LoadStrip(unsigned id) {
  return skin::ImageStrip(skin::LoadPngResource(id, layout::kImageType));
}

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

CVendrelDlg::CVendrelDlg() : self_(std::make_shared<CVendrelDlg*>(this)) {
  LoadImages();
  SetUpTexts();
}

CVendrelDlg::~CVendrelDlg() {
  *self_ = nullptr;
  if (closeTimer_) g_source_remove(closeTimer_);
  if (window_) gtk_widget_destroy(window_);
  if (loop_) g_main_loop_unref(loop_);
}

void CVendrelDlg::LoadImages() {
  background_ = LoadStrip(layout::kBackgroundId);
  leftCap_ = LoadStrip(layout::kLeftCapId);
  segment_ = LoadStrip(layout::kSegmentId);
  rightCap_ = LoadStrip(layout::kRightCapId);
}

void CVendrelDlg::SetUpTexts() {
  skin::FontPtr font = skin::MakeFont(layout::kFontFamily, layout::kFontPixels);
  const struct {
    skin::CSkinStatic& label;
    skin::Rect box;
    skin::Align horizontal;
  } lines[] = {{status_, layout::kStatusBox, skin::Align::kNear},
               {bytes_, layout::kBytesBox, skin::Align::kCenter}};
  for (const auto& line : lines) {
    line.label.SetFont(font.get());
    line.label.SetTextColor(layout::kTextColour);
    line.label.SetBackground(&background_, line.box.x, line.box.y);
    line.label.SetLayout(line.box.width, line.box.height,
                         {0, 0, static_cast<float>(line.box.width), static_cast<float>(line.box.height)},
                         line.horizontal, skin::Align::kCenter);
  }
}

int CVendrelDlg::Width() const {
  return background_.HasImage() ? background_.Width() : layout::kDefaultWidth;
}

int CVendrelDlg::Height() const {
  return background_.HasImage() ? background_.Height() : layout::kDefaultHeight;
}

void CVendrelDlg::Post(ProgressMessage message) {
  // An idle source at default priority: handled in posting order, never inside Post itself.
  g_idle_add_full(G_PRIORITY_DEFAULT, DeliverQueued, new Queued{self_, std::move(message)},
                  FreeQueued);
}

void CVendrelDlg::Changed() {
  status_.SetText(StatusText());
  bytes_.SetText(ByteText());
  if (window_) gtk_widget_queue_draw(window_);
}

void CVendrelDlg::Render(cairo_t* cr) const {
  skin::SurfacePtr bitmap = skin::MakeArgbSurface(Width(), Height());
  skin::ContextPtr off(cairo_create(bitmap.get()));
  DrawAt(off.get(), background_, 0, 0);
  DrawAt(off.get(), leftCap_, layout::kLeftCapX, layout::kBarY);
  for (unsigned i = 0; i < SegmentsShown(); ++i) {
    DrawAt(off.get(), segment_, layout::SegmentX(i), layout::kBarY);
  }
  if (RightCapShown()) DrawAt(off.get(), rightCap_, layout::kRightCapX, layout::kBarY);
  PaintLabel(off.get(), status_, layout::kStatusBox);
  PaintLabel(off.get(), bytes_, layout::kBytesBox);
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

}  // namespace vendrel
