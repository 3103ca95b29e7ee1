#include "contract/UpdaterState.h"

#include <cstdio>

#include "contract/Contract.h"
#include "platform/Paths.h"

namespace contract {

text::WString UpdaterStateDir() {
  const text::WString root = platform::DataRoot();
  if (root.empty()) return {};
  const text::WString corp = root + u"/" + text::FromUtf8(kCorp);
  platform::CreateDirectory(root);
  platform::CreateDirectory(corp);
  const text::WString dir = corp + u"/" + text::FromUtf8(kUpdaterName);
  platform::CreateDirectory(dir);
  return dir;
}

text::WString StateFileFor(text::WStringView stateDir, const char* kind, text::WStringView programDir) {
  // FNV-1a over the resolved form: a short, stable name; the content names the directory.
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text::ToUtf8(platform::CanonicalDirectory(programDir))) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return text::WString(stateDir) + u"/" + text::FromUtf8(kind) + u"-" + text::FromUtf8(name) + u".txt";
}

}  // namespace contract
