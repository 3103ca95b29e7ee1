// The four messages the updater's worker posts to its progress window. The ids keep their
// WM_USER+n values so logs and tests read the same on every platform.
#pragma once

#include <cstdint>
#include <memory>

#include "text/Text.h"

namespace updater {

inline constexpr uint32_t WM_USER = 0x400;
inline constexpr uint32_t WM_UPDATE_STEP = WM_USER + 1;    // wParam step, text status (or none)
inline constexpr uint32_t WM_UPDATE_BYTES = WM_USER + 2;   // wParam received, lParam expected
inline constexpr uint32_t WM_UPDATE_FAILED = WM_USER + 3;  // the run ended without installing
inline constexpr uint32_t WM_UPDATE_DONE = WM_USER + 4;    // the run installed everything

struct ProgressMessage {
  uint32_t id = 0;
  uint32_t wParam = 0;
  uint32_t lParam = 0;
  std::unique_ptr<text::WString> text;  // owned by the message; the receiver frees it
};

// Whatever shows progress: the GTK window, or a queue in tests. Post never blocks on drawing
// and may be called from the worker thread.
class IProgressWindow {
 public:
  virtual ~IProgressWindow() = default;
  virtual void Post(ProgressMessage message) = 0;
};

}  // namespace updater
