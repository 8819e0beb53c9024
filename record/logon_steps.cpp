#include "record/logon_steps.h"

#include <optional>

#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"
#include "platform/registry.h"
#include "record/install_record.h"

using platform::Hive;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

// A value's text as written: with its terminator, as Windows' tools store
// the texts other programs read.
Status SetText(Registry& registry, platform::RegKey key, const char* name, std::uint32_t type,
               const std::string& text) {
  const platform::StoredValue stored = StoredValueOf(type, text);
  const std::string bytes = type == platform::kRegSz ? stored.bytes + '\0' : stored.bytes;
  return registry.SetValue(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

struct StepValue {
  const char* key;
  const char* name;  // "" is the key's default value
  std::uint32_t type;
  std::string text;
};

// Whether the text of value `name` of the key `path` (below HKEY_LOCAL_MACHINE)
// runs `command`; nothing when there is no such value.
std::optional<bool> Runs(Registry& registry, platform::RegKey root, const char* path, const char* name,
                         const std::string& command) {
  ScopedKey key(registry, registry.OpenRead(root, path));
  platform::StoredValue value;
  if (!key || platform::ReadValue(registry, key.get(), name, &value) != platform::QueryResult::Ok)
    return std::nullopt;
  return mbcs::EqualsNoCase(value.bytes.substr(0, value.bytes.find('\0')), command);
}

}  // namespace

std::string ActiveSetupVersion(const BuildInfo& build, std::uint32_t serial) {
  const int date = build.date;
  return mbcs::Decimal(date / 10000) + "," + mbcs::Decimal(date / 100 % 100) + "," + mbcs::Decimal(date % 100) +
         "," + mbcs::Decimal(serial);
}

std::string UserPartCommand(const std::string& installDir) {
  std::string folder = installDir;
  mbcs::DropTrailingBackslash(folder);
  return "\"" + folder + "\\" + kUninstallerName + "\" " + kUserPartSwitch;
}

int WriteLogonSteps(const std::string& installDir, const std::string& version, InstallEvents& events) {
  const std::string command = UserPartCommand(installDir);
  const StepValue values[] = {
      {kActiveSetupKey, "", platform::kRegSz, kProductName},
      {kActiveSetupKey, "StubPath", platform::kRegSz, command},
      {kActiveSetupKey, "Version", platform::kRegSz, version},
      {kActiveSetupKey, "IsInstalled", platform::kRegDword, "1"},
      {kRunKey, kRunValue, platform::kRegSz, command},
  };
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  int failed = 0;
  for (const StepValue& value : values) {
    ValueEvent event;
    event.hive = Hive::LocalMachine;
    event.key = value.key;
    event.name = value.name;
    event.data = value.text;
    ScopedKey key(registry, registry.Create(root.get(), value.key, &event.status));
    if (key) event.status = SetText(registry, key.get(), value.name, value.type, value.text);
    if (!key && event.status) event.status = Status(platform::kErrorInvalidHandle);
    failed += event.status ? 0 : 1;
    events.OnValue(event);
  }
  return failed;
}

std::vector<LogonStepRemoval> RemoveLogonSteps(const std::string& installDir) {
  const std::string command = UserPartCommand(installDir);
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  std::vector<LogonStepRemoval> removals;
  using Result = LogonStepRemoval::Result;

  LogonStepRemoval activeSetup;
  activeSetup.key = kActiveSetupKey;
  const std::optional<bool> stub = Runs(registry, root.get(), kActiveSetupKey, "StubPath", command);
  if (!stub) {
    ScopedKey key(registry, registry.OpenRead(root.get(), kActiveSetupKey));
    activeSetup.result = key ? Result::Taken : Result::Gone;  // a key of ours always has its StubPath
  } else if (!*stub) {
    activeSetup.result = Result::Taken;
  } else {
    activeSetup.status = registry.DeleteKey(root.get(), kActiveSetupKey);
    activeSetup.result = activeSetup.status ? Result::Removed : Result::Failed;
  }
  removals.push_back(activeSetup);

  LogonStepRemoval run;
  run.key = std::string(kRunKey) + "\\" + kRunValue;
  const std::optional<bool> runs = Runs(registry, root.get(), kRunKey, kRunValue, command);
  if (!runs) {
    run.result = Result::Gone;
  } else if (!*runs) {
    run.result = Result::Taken;
  } else {
    ScopedKey key(registry, registry.Open(root.get(), kRunKey));
    run.status = key ? registry.DeleteValue(key.get(), kRunValue) : Status(platform::kErrorInvalidHandle);
    run.result = run.status ? Result::Removed : Result::Failed;
  }
  removals.push_back(run);
  return removals;
}

Status DeleteActiveSetupMarker() {
  Registry& registry = platform::GetRegistry();
  ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
  const Status status = registry.DeleteKey(user.get(), kActiveSetupMarkerKey);
  return status.code() == platform::kErrorFileNotFound ? Status::Ok() : status;
}
