#include "tests/fakes/processes.h"

namespace platform {

bool MemoryProcesses::ListImageNames(std::vector<std::string>* names) {
  if (unreadable_) return false;
  *names = names_;
  return true;
}

}  // namespace platform
