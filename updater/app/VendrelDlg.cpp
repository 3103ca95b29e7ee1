#include "updater/app/VendrelDlg.h"

#include <algorithm>

#include "skin/Font.h"
#include "skin/PngResource.h"

namespace vendrel {
namespace {

using updater::ProgressMessage;

// Fixed layout of the window, in pixels.
constexpr int kDefaultWidth = 566;
constexpr int kDefaultHeight = 73;
constexpr int kBarY = 29;
constexpr int kLeftCapX = 18;
constexpr int kFirstSegmentX = 26;
constexpr int kSegmentWidth = 8;
constexpr int kRightCapX = 538;
constexpr skin::Rect kStatusBox{20, 0, 500, 28};
constexpr skin::Rect kBytesBox{0, 49, 566, 24};
constexpr uint32_t kTextColour = 0xFFFFFF78;
constexpr double kFontPixels = 12.0;

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

skin::ImageStrip LoadStrip(unsigned id) { return skin::ImageStrip(skin::LoadPngResource(id, "png")); }

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

text::WString ByteLine(uint32_t received, uint32_t expected) {
  if (expected == 0) return {};
  return text::FormatUInt(received) + u" Byte/ " + text::FormatUInt(expected) + u" Byte";
}

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
  background_ = LoadStrip(129);
  leftCap_ = LoadStrip(130);
  segment_ = LoadStrip(131);
  rightCap_ = LoadStrip(132);
}

void CVendrelDlg::SetUpTexts() {
  skin::FontPtr font = skin::MakeFont("宋体", kFontPixels);
  const struct {
    skin::CSkinStatic& label;
    skin::Rect box;
    skin::Align horizontal;
  } lines[] = {{status_, kStatusBox, skin::Align::kNear}, {bytes_, kBytesBox, skin::Align::kCenter}};
  for (const auto& line : lines) {
    line.label.SetFont(font.get());
    line.label.SetTextColor(kTextColour);
    line.label.SetBackground(&background_, line.box.x, line.box.y);
    line.label.SetLayout(line.box.width, line.box.height,
                         {0, 0, static_cast<float>(line.box.width), static_cast<float>(line.box.height)},
                         line.horizontal, skin::Align::kCenter);
  }
}

int CVendrelDlg::Width() const { return background_.HasImage() ? background_.Width() : kDefaultWidth; }

int CVendrelDlg::Height() const {
  return background_.HasImage() ? background_.Height() : kDefaultHeight;
}

void CVendrelDlg::Post(ProgressMessage message) {
  // An idle source at default priority: handled in posting order, never inside Post itself.
  g_idle_add_full(G_PRIORITY_DEFAULT, DeliverQueued, new Queued{self_, std::move(message)},
                  FreeQueued);
}

void CVendrelDlg::Handle(const ProgressMessage& message) {
  switch (message.id) {
    case updater::WM_UPDATE_STEP:
      step_ = std::min<unsigned>(message.wParam, kMaxSegments);
      status_.SetText(message.text ? *message.text : text::WString());
      Redraw();
      break;
    case updater::WM_UPDATE_BYTES:
      bytes_.SetText(ByteLine(message.wParam, message.lParam));
      Redraw();
      break;
    case updater::WM_UPDATE_FAILED:
      EndDialog(kCancel);
      break;
    case updater::WM_UPDATE_DONE:
      completed_ = true;
      step_ = kComplete;
      Redraw();
      EndAfterHold();
      break;
    default:
      break;
  }
}

void CVendrelDlg::Render(cairo_t* cr) const {
  skin::SurfacePtr bitmap = skin::MakeArgbSurface(Width(), Height());
  skin::ContextPtr off(cairo_create(bitmap.get()));
  DrawAt(off.get(), background_, 0, 0);
  DrawAt(off.get(), leftCap_, kLeftCapX, kBarY);
  for (unsigned i = 0; i < std::min(step_, kMaxSegments); ++i) {
    DrawAt(off.get(), segment_, kFirstSegmentX + kSegmentWidth * static_cast<int>(i), kBarY);
  }
  if (step_ == kComplete) DrawAt(off.get(), rightCap_, kRightCapX, kBarY);
  PaintLabel(off.get(), status_, kStatusBox);
  PaintLabel(off.get(), bytes_, kBytesBox);
  off.reset();
  cairo_set_source_surface(cr, bitmap.get(), 0, 0);
  cairo_paint(cr);
}

}  // namespace vendrel
