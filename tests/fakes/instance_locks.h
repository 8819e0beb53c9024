// In-memory instance locks for tests: a lock another process holds, a system
// that cannot make locks, and which locks this process holds now.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/instance_lock.h"

namespace platform {

class MemoryInstanceLocks : public InstanceLocks {
 public:
  LockResult Acquire(const std::string& name, std::unique_ptr<InstanceLock>* lock) override;

  void HoldElsewhere(const std::string& name) { elsewhere_.insert(name); }
  void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
  bool HeldHere(const std::string& name) const { return here_.count(name) != 0; }

 private:
  class Held;

  std::set<std::string> elsewhere_;
  std::set<std::string> here_;
  bool unavailable_ = false;
};

}  // namespace platform
