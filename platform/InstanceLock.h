// Machine-wide single-instance lock: held by one process at a time, for every user, and freed
// by the kernel when the holder dies (no stale lock files).
#pragma once

#include <memory>
#include <string>

namespace platform {

// Forms the lock name the programs share: "Global\<app>_<corp>".
std::string InstanceLockName(const std::string& app, const std::string& corp);

class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  InstanceLock(InstanceLock&& other) noexcept = default;
  InstanceLock& operator=(InstanceLock&& other) noexcept = default;

  // True when this object now holds the name; false when another process holds it or the lock
  // cannot be made. Holding an already held lock again returns true.
  bool Acquire(const std::string& name);
  void Release();
  bool IsHeld() const { return handle_ != nullptr; }

  // True while some process holds the name. Never holds it itself, so it never blocks the holder.
  static bool IsTaken(const std::string& name);

  // The backend's hold on the name (a bound socket, a mutex handle); freeing it releases it.
  struct Handle;
  struct HandleDeleter {
    void operator()(Handle* handle) const;
  };

 private:
  std::unique_ptr<Handle, HandleDeleter> handle_;
};

}  // namespace platform
