#include "tests/fakes/instance_locks.h"

namespace platform {

class MemoryInstanceLocks::Held : public InstanceLock {
 public:
  Held(std::set<std::string>& here, std::string name) : here_(here), name_(std::move(name)) { here_.insert(name_); }
  ~Held() override { here_.erase(name_); }

 private:
  std::set<std::string>& here_;
  std::string name_;
};

// Like a named mutex, a lock this process holds already counts as held.
LockResult MemoryInstanceLocks::Acquire(const std::string& name, std::unique_ptr<InstanceLock>* lock) {
  if (unavailable_) return LockResult::Unavailable;
  if (elsewhere_.count(name) != 0 || here_.count(name) != 0) return LockResult::HeldElsewhere;
  *lock = std::make_unique<Held>(here_, name);
  return LockResult::Acquired;
}

}  // namespace platform
