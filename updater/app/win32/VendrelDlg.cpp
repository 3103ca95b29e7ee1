#include "updater/app/win32/VendrelDlg.h"

#include "skin/gdiplus/Font.h"
#include "skin/gdiplus/PngResource.h"
#include "updater/app/VendrelLayout.h"
#include "updater/app/win32/PostedText.h"

namespace vendrel {
namespace {

using updater::ProgressMessage;

skin::ImageStrip LoadStrip(unsigned id) {
  return skin::ImageStrip(skin::LoadPngResource(id, layout::kImageType));
}

void DrawAt(Gdiplus::Graphics& g, const skin::ImageStrip& strip, int x, int y) {
  if (strip.HasImage()) skin::DrawFrame(g, strip, 1, skin::Rect{x, y, strip.Width(), strip.Height()});
}

void PaintLabel(Gdiplus::Graphics& g, const skin::CSkinStatic& label, const skin::Rect& box) {
  const Gdiplus::GraphicsState state = g.Save();
  g.TranslateTransform(static_cast<Gdiplus::REAL>(box.x), static_cast<Gdiplus::REAL>(box.y));
  label.Paint(g);
  g.Restore(state);
}

}  // namespace

CVendrelDlg::CVendrelDlg() {
  LoadImages();
  SetUpTexts();
}

CVendrelDlg::~CVendrelDlg() {
  if (hwnd_) DisposeWindow();
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
  // The text rides in the lParam of a step, as the worker's messages always carried it.
  LPARAM lParam = message.lParam;
  if (message.id == updater::WM_UPDATE_STEP) lParam = posted::Release(std::move(message.text));
  std::lock_guard<std::mutex> lock(postLock_);
  if (hwnd_ && PostMessageW(hwnd_, message.id, message.wParam, lParam)) return;
  if (message.id == updater::WM_UPDATE_STEP) posted::TakeBack(lParam);  // nobody will
}

void CVendrelDlg::Changed() {
  status_.SetText(StatusText());
  bytes_.SetText(ByteText());
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CVendrelDlg::Compose(Gdiplus::Graphics& g) const {
  DrawAt(g, background_, 0, 0);
  DrawAt(g, leftCap_, layout::kLeftCapX, layout::kBarY);
  for (unsigned i = 0; i < SegmentsShown(); ++i) {
    DrawAt(g, segment_, layout::SegmentX(i), layout::kBarY);
  }
  if (RightCapShown()) DrawAt(g, rightCap_, layout::kRightCapX, layout::kBarY);
  PaintLabel(g, status_, layout::kStatusBox);
  PaintLabel(g, bytes_, layout::kBytesBox);
}

std::unique_ptr<Gdiplus::Bitmap> CVendrelDlg::Render() const {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(Width(), Height(), PixelFormat32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  Compose(g);
  return bitmap;
}

}  // namespace vendrel
