// The instance-lock service: a named mutex. Its existence is the lock, so a
// process that ends in any way releases it.
#include <windows.h>

#include "platform/instance_lock.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

class Win32InstanceLock : public InstanceLock {
 public:
  explicit Win32InstanceLock(HANDLE mutex) : mutex_(mutex) {}
  ~Win32InstanceLock() override { CloseHandle(mutex_); }
  Win32InstanceLock(const Win32InstanceLock&) = delete;
  Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

 private:
  HANDLE mutex_;
};

class Win32InstanceLocks : public InstanceLocks {
 public:
  LockResult Acquire(const std::string& name, std::unique_ptr<InstanceLock>* lock) override {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, win32::Widen(name).c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
      // A mutex made by another user's session may not be opened by ours,
      // but it is there all the same.
      return error == ERROR_ACCESS_DENIED ? LockResult::HeldElsewhere : LockResult::Unavailable;
    }
    if (error == ERROR_ALREADY_EXISTS) {
      CloseHandle(mutex);
      return LockResult::HeldElsewhere;
    }
    *lock = std::make_unique<Win32InstanceLock>(mutex);
    return LockResult::Acquired;
  }
};

}  // namespace

}  // namespace platform

platform::InstanceLocks& platform::win32::TheInstanceLocks() {
  static Win32InstanceLocks locks;
  return locks;
}
