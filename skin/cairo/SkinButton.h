// An image button with four looks taken from one strip: 1 normal, 2 hovered, 3 pressed,
// 4 disabled. It paints over a copy of its owner's background, so its transparent pixels show
// the owner's artwork. It takes the keyboard focus (a dotted ring inside its edge shows it)
// and Enter or Space press it. The state and painting work without a window, which tests rely on.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "skin/ImageStrip.h"
#include "skin/cairo/Cairo.h"

namespace skin {

class CSkinButton {
 public:
  enum State : unsigned { kNormal = 1, kHovered = 2, kPressed = 3, kDisabled = 4 };

  CSkinButton() = default;
  ~CSkinButton();
  CSkinButton(const CSkinButton&) = delete;
  CSkinButton& operator=(const CSkinButton&) = delete;

  // Creates the button's window inside the owner's fixed container at (x, y).
  GtkWidget* Create(GtkFixed* parent, int x, int y);
  GtkWidget* Widget() const { return widget_; }

  // The first image becomes the strip (4 frames side by side) and fixes the size; later calls
  // keep the first strip and only apply the size again. Always true.
  bool SetImage(SurfacePtr image);
  // The same from a loaded strip, which brings its sharp drawing for HiDPI screens along.
  bool SetImage(ImageStrip strip);
  // The owner's composed background (not owned; must outlive the painting) and where the
  // button sits in it.
  void SetBackground(const ImageStrip* background, int x, int y);
  void OnClicked(std::function<void()> handler) { clicked_ = std::move(handler); }

  void SetEnabled(bool enabled);
  void SetHovered(bool hovered);
  void SetPressed(bool pressed);
  void SetFocused(bool focused);
  bool Focused() const { return focused_; }
  State CurrentState() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::optional<ImageStrip>& Strip() const { return strip_; }

  // Paints the current frame at (0, 0) of the context, over the copied background region, at
  // the context's device pixels per pixel.
  void Paint(cairo_t* cr) const;

  // Called by the window's events.
  void Release(bool inside);
  // Enter or Space while focused: a click, when the button is enabled.
  void Activate();

 private:
  void Invalidate();

  std::optional<ImageStrip> strip_;
  const ImageStrip* background_ = nullptr;
  int backgroundX_ = 0;
  int backgroundY_ = 0;
  int width_ = 10;
  int height_ = 10;
  bool enabled_ = true;
  bool hovered_ = false;
  bool pressed_ = false;
  bool focused_ = false;
  std::function<void()> clicked_;
  GtkWidget* widget_ = nullptr;
};

// The look of a button: disabled wins over pressed, pressed over hovered. Focus does not change
// the frame; the ring is drawn over it.
CSkinButton::State ButtonState(bool enabled, bool pressed, bool hovered);

// The focus ring's colour: the light blue of the title strip's highlights, seen on its dark blue.
inline constexpr uint32_t kFocusRingColor = 0xFFA8C8F0;

// A dotted 1-pixel ring one pixel inside a width x height control, in kFocusRingColor.
void DrawFocusRing(cairo_t* cr, int width, int height);

}  // namespace skin
