// Process service: the image names of the running processes.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Processes {
 public:
  virtual ~Processes() = default;

  // Executable file names (no path) of all running processes, in the order the
  // system lists them. False when the process list cannot be read.
  virtual bool ListImageNames(std::vector<std::string>* names) = 0;
};

Processes& GetProcesses();

}  // namespace platform
