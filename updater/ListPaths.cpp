#include "updater/ListPaths.h"

#if defined(_WIN32)
#include <windows.h>
#endif

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

#if defined(_WIN32)
// The system's own upper case, not a table of ours: it folds what the file system folds.
text::WString UpperCase(text::WStringView s) {
  if (s.empty()) return {};
  std::wstring wide(s.begin(), s.end());
  std::wstring out(wide.size() * 2, L'\0');
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                              out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
  if (n <= 0) return text::WString(s);
  return text::WString(out.begin(), out.begin() + n);
}

// "a. \b" names "a\b": Windows drops a level's trailing dots and spaces.
text::WString WithoutTrailingDots(text::WStringView path) {
  text::WString out;
  size_t start = 0;
  while (true) {
    const size_t end = path.find(u'\\', start);
    text::WStringView level = path.substr(start, end == text::WStringView::npos ? text::WStringView::npos : end - start);
    while (!level.empty() && (level.back() == u'.' || level.back() == u' ')) level.remove_suffix(1);
    out += level;
    if (end == text::WStringView::npos) return out;
    out += u'\\';
    start = end + 1;
  }
}
#endif

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

text::WString FileSystemKey(text::WStringView listPath) {
#if defined(_WIN32)
  text::WString key(listPath);
  for (char16_t& c : key) {
    if (c == u'/') c = u'\\';
  }
  return UpperCase(WithoutTrailingDots(key));
#elif defined(__linux__)
  return text::WString(listPath);
#else
#error "FileSystemKey: say how this system's file system compares names"
#endif
}

}  // namespace updater
