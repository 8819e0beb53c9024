// The services in use, and the accessors each service header declares.
#include "platform/services.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/append_files.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/folder_browser.h"
#include "platform/instance_lock.h"
#include "platform/log_file.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/rights.h"
#include "platform/system_info.h"
#include "platform/user_hives.h"
#include "platform/window_host.h"

namespace platform {
namespace {

Services g_services;

// A service nobody installed is a wiring fault of the program, found at once.
template <typename Service>
Service& Installed(Service* service, const char* name) {
  if (service == nullptr) {
    const std::string message = std::string("no ") + name + " service installed\n";
    std::fputs(message.c_str(), stderr);
    std::abort();
  }
  return *service;
}

}  // namespace

void UseServices(const Services& services) { g_services = services; }
const Services& CurrentServices() { return g_services; }

Registry& GetRegistry() { return Installed(g_services.registry, "registry"); }
Files& GetFiles() { return Installed(g_services.files, "file"); }
Environment& GetEnvironment() { return Installed(g_services.environment, "environment"); }
Processes& GetProcesses() { return Installed(g_services.processes, "process"); }
MessageBoxes& GetMessageBoxes() { return Installed(g_services.messageBoxes, "message-box"); }
WindowHost& GetWindowHost() { return Installed(g_services.windowHost, "window-host"); }
FolderBrowser& GetFolderBrowser() { return Installed(g_services.folderBrowser, "folder-browser"); }
SystemInfo& GetSystemInfo() { return Installed(g_services.systemInfo, "system-information"); }
Clock& GetClock() { return Installed(g_services.clock, "clock"); }
LogFiles& GetLogFiles() { return Installed(g_services.logFiles, "log-file"); }
InstanceLocks& GetInstanceLocks() { return Installed(g_services.instanceLocks, "instance-lock"); }
Rights& GetRights() { return Installed(g_services.rights, "rights"); }
UserHives& GetUserHives() { return Installed(g_services.userHives, "user-hive"); }
AppendFiles& GetAppendFiles() { return Installed(g_services.appendFiles, "append"); }

}  // namespace platform
