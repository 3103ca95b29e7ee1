#include "platform/InstanceLock.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

// A named mutex in the global namespace: one holder machine-wide, freed by the system when the
// holder ends.
struct InstanceLock::Handle {
  HANDLE mutex;
};

void InstanceLock::HandleDeleter::operator()(Handle* handle) const {
  CloseHandle(handle->mutex);
  delete handle;
}

bool InstanceLock::Acquire(const std::string& name) {
  if (handle_) return true;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, detail::Wide(name).c_str());
  if (mutex == nullptr) return false;
  // The name exists already: another process holds it.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  handle_.reset(new Handle{mutex});
  return true;
}

void InstanceLock::Release() { handle_.reset(); }

bool InstanceLock::IsTaken(const std::string& name) {
  // Opening never creates the name, so a probe cannot make a starting holder fail.
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, detail::Wide(name).c_str());
  if (mutex != nullptr) {
    CloseHandle(mutex);
    return true;
  }
  // Not found means free. Anything else (access denied...) counts as taken: a lock that cannot
  // be tested must not look free.
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}

}  // namespace platform
