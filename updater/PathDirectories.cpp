#include "updater/PathDirectories.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "updater/ListPaths.h"

namespace updater {

void CreatePathDirectories(text::WStringView relativePath, text::WStringView base) {
  text::WString path(base);
  platform::CreateDirectory(path);
  if (relativePath.empty()) return;
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
}

bool CreateRealDirectories(text::WStringView relativePath, text::WStringView base) {
  platform::CreateDirectory(base);
  if (relativePath.empty()) return true;
  std::string path = text::ToUtf8(base);
  const std::string relative = text::ToUtf8(LocalRelativePath(relativePath));
  for (size_t start = 0; start <= relative.size();) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    path += "/" + relative.substr(start, end - start);
    if (!platform::MakeRealDirectory(path)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace updater
