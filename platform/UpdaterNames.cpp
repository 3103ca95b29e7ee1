#include "platform/UpdaterNames.h"

#include <algorithm>

#include "platform/InstanceLock.h"

namespace platform {

std::string UpdaterLockName() { return InstanceLockName("Vendrel", kCorp); }

text::WString VersionKey(text::WStringView version) {
  text::WString key(version);
  key.erase(std::remove(key.begin(), key.end(), u'.'), key.end());
  return key;
}

}  // namespace platform
