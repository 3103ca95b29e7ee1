#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace platform {

text::WString CanonicalDirectory(text::WStringView dir) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(FsPath(text::ToUtf8(dir)), ec);
  if (ec) return text::WString(dir);
  std::string out = Utf8Path(resolved);
  while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) out.pop_back();
  return text::FromUtf8(out);
}

}  // namespace platform
