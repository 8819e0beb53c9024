// Process service: the image names of the running processes, and starting a
// program and waiting for it (the uninstaller runs its removal from a copy of
// itself in the temp folder, so that its own file can go too).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace platform {

// A program this process started. Null means none.
using ProcessHandle = struct ProcessOpaque*;

class Processes {
 public:
  virtual ~Processes() = default;

  // Executable file names (no path) of all running processes, in the order the
  // system lists them. False when the process list cannot be read.
  virtual bool ListImageNames(std::vector<std::string>* names) = 0;

  // Starts `program` with `arguments`, each of which reaches the program as
  // one argument as CommandLineToArgvW splits its command line, whatever
  // spaces, quotes and backslashes it holds. The program starts in its own
  // folder, so that it keeps no other folder from being removed. Null on
  // failure, with the reason in `*status` when given.
  virtual ProcessHandle Start(const std::string& program, const std::vector<std::string>& arguments,
                              Status* status = nullptr) = 0;

  // Waits for a started program to end and gives its exit code; the handle is
  // released either way.
  virtual Status Wait(ProcessHandle process, std::uint32_t* exitCode) = 0;

  // Lets a started program run on without waiting for it; releases the handle.
  virtual void Release(ProcessHandle process) = 0;

  // This process's id.
  virtual std::uint32_t CurrentProcessId() = 0;

  // Waits until the process with id `id` has ended; returns at once when no
  // such process runs.
  virtual void WaitForEnd(std::uint32_t id) = 0;
};

Processes& GetProcesses();

}  // namespace platform
