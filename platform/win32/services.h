// The Win32 implementation of every platform service, for the program's
// entry (and the Windows test program) to install.
#pragma once

#include "platform/services.h"

namespace platform::win32 {

Services AllServices();

// Each service alone, as AllServices() hands them out.
Registry& TheRegistry();
Files& TheFiles();
Environment& TheEnvironment();
Processes& TheProcesses();
MessageBoxes& TheMessageBoxes();
WindowHost& TheWindowHost();
FolderBrowser& TheFolderBrowser();
SystemInfo& TheSystemInfo();
Clock& TheClock();
LogFiles& TheLogFiles();
InstanceLocks& TheInstanceLocks();
Rights& TheRights();
UserHives& TheUserHives();
AppendFiles& TheAppendFiles();

}  // namespace platform::win32
