#include "deploy/host_check.h"

#include <string>
#include <vector>

#include "platform/mbcs.h"
#include "platform/processes.h"

bool IsHostRunning() {
  const std::string pattern = mbcs::ToLower("acad.exe");
  std::vector<std::string> names;
  if (!platform::GetProcesses().ListImageNames(&names)) return false;
  for (const std::string& name : names) {
    if (mbcs::Find(mbcs::ToLower(name), pattern) != mbcs::npos) return true;
  }
  return false;
}
