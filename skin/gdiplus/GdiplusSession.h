// The session every GDI+ call needs.
#pragma once

#include "skin/gdiplus/Gdiplus.h"

namespace skin {

// Starts GDI+ and shuts it down again; every GDI+ object must be gone before the session ends.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool Started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace skin
