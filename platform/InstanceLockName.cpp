#include "platform/InstanceLock.h"

namespace platform {

std::string InstanceLockName(const std::string& app, const std::string& corp) {
  return "Global\\" + app + "_" + corp;
}

}  // namespace platform
