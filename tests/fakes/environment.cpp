#include "tests/fakes/environment.h"

#include "platform/mbcs.h"

namespace platform {
namespace {

constexpr const char* kDefaultAppData = "C:\\Users\\user\\AppData\\Roaming";

}  // namespace

MemoryEnvironment::MemoryEnvironment() : roamingAppData_(kDefaultAppData) {
  SetVariable("APPDATA", kDefaultAppData);
  SetVariable("SystemRoot", "C:\\Windows");
}

bool MemoryEnvironment::GetVariable(const std::string& name, std::string* value) {
  auto it = variables_.find(mbcs::ToUpper(name));
  if (it == variables_.end()) return false;
  *value = it->second;
  return true;
}

void MemoryEnvironment::SetVariable(const std::string& name, const std::string& value) {
  variables_[mbcs::ToUpper(name)] = value;
}

void MemoryEnvironment::Unset(const std::string& name) { variables_.erase(mbcs::ToUpper(name)); }

}  // namespace platform
