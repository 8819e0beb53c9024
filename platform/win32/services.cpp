#include "platform/win32/services.h"

namespace platform::win32 {

Services AllServices() {
  Services services;
  services.registry = &TheRegistry();
  services.files = &TheFiles();
  services.environment = &TheEnvironment();
  services.processes = &TheProcesses();
  services.messageBoxes = &TheMessageBoxes();
  services.windowHost = &TheWindowHost();
  services.folderBrowser = &TheFolderBrowser();
  services.systemInfo = &TheSystemInfo();
  services.clock = &TheClock();
  services.logFiles = &TheLogFiles();
  services.instanceLocks = &TheInstanceLocks();
  services.rights = &TheRights();
  services.userHives = &TheUserHives();
  services.appendFiles = &TheAppendFiles();
  return services;
}

}  // namespace platform::win32
