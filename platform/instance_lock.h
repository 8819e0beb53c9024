// Instance-lock service: a named lock held by one process at a time across
// the machine (a named mutex), so that two setup programs never install at
// once.
#pragma once

#include <memory>
#include <string>

namespace platform {

// Held until destroyed.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
};

enum class LockResult {
  Acquired,
  HeldElsewhere,  // another process holds it
  Unavailable,    // the system could not make the lock at all
};

class InstanceLocks {
 public:
  virtual ~InstanceLocks() = default;

  // Takes the lock `name` when no other process holds it; `*lock` then holds
  // it. On any other result `*lock` stays empty.
  virtual LockResult Acquire(const std::string& name, std::unique_ptr<InstanceLock>* lock) = 0;
};

InstanceLocks& GetInstanceLocks();

}  // namespace platform
