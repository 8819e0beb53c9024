#include "platform/memory/processes.h"

#include "platform/defaults.h"

namespace platform {

bool MemoryProcesses::ListImageNames(std::vector<std::string>* names) {
  if (unreadable_) return false;
  *names = names_;
  return true;
}

#ifndef _WIN32
Processes& DefaultProcesses() {
  static MemoryProcesses processes;
  return processes;
}
#endif

}  // namespace platform
