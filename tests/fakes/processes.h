// In-memory processes for tests: the image names the test sets, or a list
// that cannot be read at all; programs started "run" at once as a function
// the test gives, which sees the program and its arguments and returns the
// exit code, and every start and wait is recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace platform {

class MemoryProcesses : public Processes {
 public:
  bool ListImageNames(std::vector<std::string>* names) override;
  ProcessHandle Start(const std::string& program, const std::vector<std::string>& arguments,
                      Status* status = nullptr) override;
  Status Wait(ProcessHandle process, std::uint32_t* exitCode) override;
  void Release(ProcessHandle process) override;
  std::uint32_t CurrentProcessId() override { return kOwnId; }
  void WaitForEnd(std::uint32_t id) override { waitedFor_.push_back(id); }

  void SetImageNames(std::vector<std::string> names) { names_ = std::move(names); }
  void SetUnreadable(bool unreadable) { unreadable_ = unreadable; }

  // What a started program does; it runs during Start and returns the exit
  // code, or nothing when there is no such program file (the start then fails
  // as it does on Windows). With none set, every start fails that way.
  using Program = std::function<std::optional<std::uint32_t>(const std::string& program,
                                                             const std::vector<std::string>& arguments)>;
  void SetProgram(Program program) { program_ = std::move(program); }
  // A start fails with `error` before the program runs.
  void FailStarts(OsError error) { startError_ = error; }

  struct Started {
    std::string program;
    std::vector<std::string> arguments;
    bool waited = false;
  };
  const std::vector<Started>& started() const { return started_; }
  const std::vector<std::uint32_t>& waitedFor() const { return waitedFor_; }
  int openHandles() const { return static_cast<int>(running_.size()); }

  static constexpr std::uint32_t kOwnId = 4242;

 private:
  std::vector<std::string> names_ = {"System", "explorer.exe"};
  bool unreadable_ = false;
  Program program_;
  OsError startError_ = 0;
  std::vector<Started> started_;
  std::vector<std::uint32_t> waitedFor_;
  std::map<std::uintptr_t, std::pair<std::size_t, std::uint32_t>> running_;  // handle -> (start, exit code)
  std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace platform
