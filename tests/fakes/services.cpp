#include "tests/fakes/services.h"

#include "tests/fakes/append_files.h"
#include "tests/fakes/clock.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/files.h"
#include "tests/fakes/folder_browser.h"
#include "tests/fakes/instance_locks.h"
#include "tests/fakes/log_files.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/system_info.h"
#include "tests/fakes/user_hives.h"
#include "tests/fakes/window_host.h"

namespace platform {
namespace {

Services& Own() {
  static Services services;
  return services;
}

template <typename Service>
void Swap(Service* Services::*slot, Service* service) {
  Services current = CurrentServices();
  current.*slot = service != nullptr ? service : Own().*slot;
  UseServices(current);
}

}  // namespace

void InstallTestServices(const Services& services) {
  Own() = services;
  UseServices(services);
}

const Services& TestServices() { return Own(); }

void SetRegistry(Registry* registry) { Swap(&Services::registry, registry); }
void SetFiles(Files* files) { Swap(&Services::files, files); }
void SetEnvironment(Environment* environment) { Swap(&Services::environment, environment); }
void SetProcesses(Processes* processes) { Swap(&Services::processes, processes); }
void SetMessageBoxes(MessageBoxes* boxes) { Swap(&Services::messageBoxes, boxes); }
void SetWindowHost(WindowHost* host) { Swap(&Services::windowHost, host); }
void SetFolderBrowser(FolderBrowser* browser) { Swap(&Services::folderBrowser, browser); }
void SetSystemInfo(SystemInfo* info) { Swap(&Services::systemInfo, info); }
void SetClock(Clock* clock) { Swap(&Services::clock, clock); }
void SetLogFiles(LogFiles* files) { Swap(&Services::logFiles, files); }
void SetInstanceLocks(InstanceLocks* locks) { Swap(&Services::instanceLocks, locks); }
void SetRights(Rights* rights) { Swap(&Services::rights, rights); }
void SetUserHives(UserHives* hives) { Swap(&Services::userHives, hives); }
void SetAppendFiles(AppendFiles* files) { Swap(&Services::appendFiles, files); }

Services FakeServices() {
  static MemoryRegistry registry;
  static MemoryFiles files;
  static MemoryEnvironment environment;
  static MemoryProcesses processes;
  static MemoryMessageBoxes boxes;
  static HeadlessWindowHost host;
  static FakeFolderBrowser browser(host);
  static MemorySystemInfo info;
  static FakeClock clock;
  static MemoryLogFiles logFiles;
  static MemoryInstanceLocks locks;
  static MemoryRights rights;  // over whichever file service a test puts in use
  static MemoryUserHives hives(registry);
  static MemoryAppendFiles appendFiles(files);  // appending to the same disk
  Services services;
  services.registry = &registry;
  services.files = &files;
  services.environment = &environment;
  services.processes = &processes;
  services.messageBoxes = &boxes;
  services.windowHost = &host;
  services.folderBrowser = &browser;
  services.systemInfo = &info;
  services.clock = &clock;
  services.logFiles = &logFiles;
  services.instanceLocks = &locks;
  services.rights = &rights;
  services.userHives = &hives;
  services.appendFiles = &appendFiles;
  return services;
}

}  // namespace platform
