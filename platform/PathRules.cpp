#include "platform/Paths.h"

namespace platform {

bool IsPlainName(text::WStringView name) {
  if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\') return false;
  }
  return true;
}

bool IsAbsolutePath(text::WStringView path) {
#if defined(_WIN32)
  auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
  return path.size() >= 3 && text::AsciiLower(path[0]) >= u'a' && text::AsciiLower(path[0]) <= u'z' &&
         path[1] == u':' && separator(path[2]);
#else
  return !path.empty() && path[0] == u'/';
#endif
}

}  // namespace platform
