// The operating-system services the program reaches, one pointer each. The
// program's entry installs the Win32 services (platform/win32/services.h); a
// test program installs its own. Nothing in the libraries picks a default, so
// no library depends on the one that implements it.
#pragma once

namespace platform {

class Registry;
class Files;
class Environment;
class Processes;
class MessageBoxes;
class WindowHost;
class FolderBrowser;
class SystemInfo;
class Clock;
class LogFiles;
class InstanceLocks;
class Rights;
class UserHives;
class AppendFiles;

struct Services {
  Registry* registry = nullptr;
  Files* files = nullptr;
  Environment* environment = nullptr;
  Processes* processes = nullptr;
  MessageBoxes* messageBoxes = nullptr;
  WindowHost* windowHost = nullptr;
  FolderBrowser* folderBrowser = nullptr;
  SystemInfo* systemInfo = nullptr;
  Clock* clock = nullptr;
  LogFiles* logFiles = nullptr;
  InstanceLocks* instanceLocks = nullptr;
  Rights* rights = nullptr;
  UserHives* userHives = nullptr;
  AppendFiles* appendFiles = nullptr;
};

// The services every Get*() answers with from now on.
void UseServices(const Services& services);
const Services& CurrentServices();

}  // namespace platform
