#include "updater/ListPaths.h"

namespace updater {
namespace {

bool IsControl(char16_t c) { return c < 0x20 || c == 0x7F; }

// A single level of a path: a real name, not a way to climb or stay put.
bool IsSafeLevel(text::WStringView level) {
  if (level.empty() || level == u"." || level == u"..") return false;
  for (char16_t c : level) {
    if (IsControl(c) || c == u'/' || c == u'\\') return false;
  }
  return true;
}

}  // namespace

bool IsSafeFileName(text::WStringView name) { return IsSafeLevel(name); }

bool IsSafeFilePath(text::WStringView path) {
  if (path.empty()) return true;
  // A drive prefix would make the path absolute on the platform that wrote the list.
  if (path.size() >= 2 && path[1] == u':') return false;
  size_t start = 0;
  while (true) {
    size_t end = path.find(u'\\', start);
    text::WStringView level = path.substr(start, end == text::WStringView::npos ? text::WStringView::npos : end - start);
    if (!IsSafeLevel(level)) return false;
    if (end == text::WStringView::npos) return true;
    start = end + 1;
  }
}

text::WString LocalRelativePath(text::WStringView filePath) {
  text::WString local(filePath);
  for (char16_t& c : local) {
    if (c == u'\\') c = u'/';
  }
  return local;
}

}  // namespace updater
