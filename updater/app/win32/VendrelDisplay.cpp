#include "skin/gdiplus/GdiplusSession.h"
#include "updater/app/VendrelApp.h"

namespace vendrel {

bool OpenDisplay() {
  // Runs until the process ends: the window paints with GDI+ to the very last message.
  static skin::GdiplusSession gdiplus;
  return gdiplus.Started();
}

}  // namespace vendrel
