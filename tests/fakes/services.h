// The services a test program runs on: its main installs its own set (the
// fakes natively, the Win32 services in the Windows test program) with
// InstallTestServices, and a test swaps single services in and out. Passing
// null puts the test program's own back.
#pragma once

#include "platform/services.h"

namespace platform {

void InstallTestServices(const Services& services);
const Services& TestServices();

void SetRegistry(Registry* registry);
void SetFiles(Files* files);
void SetEnvironment(Environment* environment);
void SetProcesses(Processes* processes);
void SetMessageBoxes(MessageBoxes* boxes);
void SetWindowHost(WindowHost* host);
void SetFolderBrowser(FolderBrowser* browser);
void SetSystemInfo(SystemInfo* info);
void SetClock(Clock* clock);
void SetLogFiles(LogFiles* files);
void SetInstanceLocks(InstanceLocks* locks);
void SetRights(Rights* rights);
void SetUserHives(UserHives* hives);
void SetAppendFiles(AppendFiles* files);

// The fakes a native test program installs; their lifetime is the program's.
Services FakeServices();

}  // namespace platform
