#include "updater/PathDirectories.h"

#include "platform/Paths.h"

namespace updater {

bool CreatePathDirectories(text::WStringView relativePath, text::WStringView base) {
  text::WString path(base);
  platform::CreateDirectory(path);
  if (relativePath.empty()) return true;
  path += u'/';
  for (char16_t c : relativePath) {
    if (c == u'\\') {
      platform::CreateDirectory(path);
      path += u'/';
    } else {
      path += c;
    }
  }
  platform::CreateDirectory(path);
  return true;
}

}  // namespace updater
