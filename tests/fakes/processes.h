// In-memory process list for tests: the image names the test sets, or a list
// that cannot be read at all.
#pragma once

#include <string>
#include <vector>

#include "platform/processes.h"

namespace platform {

class MemoryProcesses : public Processes {
 public:
  bool ListImageNames(std::vector<std::string>* names) override;

  void SetImageNames(std::vector<std::string> names) { names_ = std::move(names); }
  void SetUnreadable(bool unreadable) { unreadable_ = unreadable; }

 private:
  std::vector<std::string> names_ = {"System", "explorer.exe"};
  bool unreadable_ = false;
};

}  // namespace platform
