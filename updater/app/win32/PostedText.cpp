#include "updater/app/win32/PostedText.h"

#include <atomic>

namespace vendrel::posted {
namespace {

std::atomic<int> g_inFlight{0};

}  // namespace

LPARAM Release(std::unique_ptr<text::WString> text) {
  if (!text) return 0;
  g_inFlight.fetch_add(1, std::memory_order_relaxed);
  return reinterpret_cast<LPARAM>(text.release());
}

std::unique_ptr<text::WString> TakeBack(LPARAM lParam) {
  if (lParam == 0) return nullptr;
  g_inFlight.fetch_sub(1, std::memory_order_relaxed);
  return std::unique_ptr<text::WString>(reinterpret_cast<text::WString*>(lParam));
}

int InFlight() { return g_inFlight.load(std::memory_order_relaxed); }

}  // namespace vendrel::posted
