// Setting the test process's own environment, on both systems.
#pragma once

#include <cstdlib>

namespace testsupport {

// Sets `name` to `value`, or removes it when `value` is null.
inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value) setenv(name, value, 1); else unsetenv(name);
#endif
}

}  // namespace testsupport
