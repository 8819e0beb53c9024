#include "tests/fakes/processes.h"

namespace platform {

bool MemoryProcesses::ListImageNames(std::vector<std::string>* names) {
  if (unreadable_) return false;
  *names = names_;
  return true;
}

ProcessHandle MemoryProcesses::Start(const std::string& program, const std::vector<std::string>& arguments,
                                     Status* status) {
  std::optional<std::uint32_t> exitCode;
  if (startError_ == 0 && program_) exitCode = program_(program, arguments);
  const Status result = startError_ != 0 ? Status(startError_) : exitCode ? Status() : Status(kErrorFileNotFound);
  if (status) *status = result;
  if (!result) return nullptr;
  started_.push_back({program, arguments, false});
  const std::uintptr_t id = nextHandle_++;
  running_[id] = {started_.size() - 1, *exitCode};
  return reinterpret_cast<ProcessHandle>(id);
}

Status MemoryProcesses::Wait(ProcessHandle process, std::uint32_t* exitCode) {
  auto it = running_.find(reinterpret_cast<std::uintptr_t>(process));
  if (it == running_.end()) return Status(kErrorInvalidHandle);
  started_[it->second.first].waited = true;
  *exitCode = it->second.second;
  running_.erase(it);
  return Status::Ok();
}

void MemoryProcesses::Release(ProcessHandle process) { running_.erase(reinterpret_cast<std::uintptr_t>(process)); }

}  // namespace platform
