#include "platform/UpdaterContract.h"

#include <cstdio>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"

namespace platform {

text::WString UpdaterStateDir() {
  const text::WString root = DataRoot();
  if (root.empty()) return {};
  const text::WString corp = root + u"/" + text::FromUtf8(kCorp);
  CreateDirectory(root);
  CreateDirectory(corp);
  const text::WString dir = corp + u"/Vendrel";
  CreateDirectory(dir);
  return dir;
}

text::WString CanonicalDirectory(text::WStringView dir) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(FsPath(text::ToUtf8(dir)), ec);
  if (ec) return text::WString(dir);
  std::string out = Utf8Path(resolved);
  while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) out.pop_back();
  return text::FromUtf8(out);
}

text::WString StateFileFor(text::WStringView stateDir, const char* kind, text::WStringView programDir) {
  // FNV-1a over the resolved form: a short, stable name; the content names the directory.
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text::ToUtf8(CanonicalDirectory(programDir))) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return text::WString(stateDir) + u"/" + text::FromUtf8(kind) + u"-" + text::FromUtf8(name) + u".txt";
}

}  // namespace platform
