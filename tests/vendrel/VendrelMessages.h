// The worker's messages as the window tests post them.
#pragma once

#include <cstdint>
#include <memory>

#include "text/Text.h"
#include "updater/Messages.h"

namespace vendreltest {

inline updater::ProgressMessage Message(uint32_t id, uint32_t wParam = 0, uint32_t lParam = 0,
                                        const char16_t* text = nullptr) {
  updater::ProgressMessage m;
  m.id = id;
  m.wParam = wParam;
  m.lParam = lParam;
  if (text) m.text = std::make_unique<text::WString>(text);
  return m;
}

}  // namespace vendreltest
