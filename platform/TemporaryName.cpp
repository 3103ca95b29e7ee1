#include "platform/detail/TemporaryName.h"

#include <cstdint>
#include <cstdio>

namespace platform::detail {
namespace {

// FNV-1a: a stable short stand-in for a name too long to extend.
uint64_t NameHash(const std::string& name) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  return h;
}

}  // namespace

std::string TemporaryNameBeside(const std::string& target, const char* separators,
                                const std::function<bool(const std::string& name)>& fits) {
  constexpr const char* kSuffix = ".vendrel-part";
  size_t slash = target.find_last_of(separators);
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::string name = target.substr(start);
  std::string temp = "." + name + kSuffix;
  if (!fits(temp)) {
    char hashed[32];
    std::snprintf(hashed, sizeof hashed, ".%016llx", static_cast<unsigned long long>(NameHash(name)));
    temp = hashed + std::string(kSuffix);
  }
  return target.substr(0, start) + temp;
}

}  // namespace platform::detail
