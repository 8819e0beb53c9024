// The instance-lock service: a named mutex. Its existence is the lock, so a
// process that ends in any way releases it. Every signed-in user may open it,
// so that a standard user's run sees an administrator's as holding it.
#include <windows.h>

#include <sddl.h>

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
    // Authenticated users may wait on it and release it; SYSTEM and the
    // administrators may do anything with it. Without a list of its own it
    // would take the creator's default one, which shuts other users out.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100001;;;AU)(A;;GA;;;SY)(A;;GA;;;BA)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
      return LockResult::Unavailable;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // Asking for no more than the list grants every user (SYNCHRONIZE |
    // MUTEX_MODIFY_STATE): CreateMutexW would ask for all access to a mutex
    // that exists, which the list refuses a standard user.
    HANDLE mutex = CreateMutexExW(&attributes, win32::Widen(name).c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    if (mutex == nullptr) {
      // A mutex that another account made with a list that keeps us out
      // (an older version's, say) is there all the same.
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
