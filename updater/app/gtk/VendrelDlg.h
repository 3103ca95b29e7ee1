// The updater's progress window on GTK: an orange strip with a bar of up to 65 segments, a
// status line and a byte count, drawn with cairo. The worker drives it only through Post;
// everything else runs on the GTK main thread. The state and the painting work without a
// display, so tests render it to an image.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "skin/cairo/Cairo.h"
#include "skin/cairo/MainLoopQueue.h"
#include "updater/app/VendrelDlgBase.h"

namespace vendrel {

class CVendrelDlg : public VendrelDlgBase {
 public:
  ~CVendrelDlg() override;

  // Any thread: hands the message to the main loop, which handles it in posting order.
  // Messages still queued when the dialog is gone are dropped with their text.
  void Post(updater::ProgressMessage message) override;

  // Paints the whole window at (0, 0) of the context.
  void Render(cairo_t* cr) const;

  // GTK event handlers.
  void OnKey(guint keyval);
  void OnButtonPress(GdkEventButton* event);

 private:
  void OpenWindow() override;
  void RunModalLoop() override;
  void DisposeWindow() override;
  void QuitModalLoop() override;
  void QuitAfterHold(unsigned ms) override;
  void Repaint() override;

  GtkWidget* MakeWindow();

  GtkWidget* window_ = nullptr;
  GMainLoop* loop_ = nullptr;
  guint closeTimer_ = 0;
  skin::MainLoopQueue posted_;
};

}  // namespace vendrel
