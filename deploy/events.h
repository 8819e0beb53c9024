// What the deployment and the AutoCAD integration report while they work:
// every file copied or not, every registry value written or not, each with
// the operating system's answer. The install engine passes the stream on to
// whoever runs it (the dialog, the command line, the log).
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "platform/status.h"

enum class FileKind {
  Payload,      // a Data entry copied into the install folder
  Settings,     // the settings file, into APPDATA\Zorvel
  SupportFile,  // a font or the plot driver, into an AutoCAD folder
  Backup,       // AutoCAD's own plot driver, kept before ours replaces it
  Uninstaller,  // the running program, copied into the install folder
  Record,       // the record of what the install changed, for the uninstall
  SettingsKept,  // a user's own settings file, kept beside it before ours replaces it
};

struct FileEvent {
  FileKind kind = FileKind::Payload;
  std::string source;
  std::string destination;
  std::uint64_t bytes = 0;  // the source's size, where known
  bool replaced = false;    // a file of that name was there before
  platform::Status status;  // of the copy
};

struct ValueEvent {
  platform::Hive hive = platform::Hive::LocalMachine;
  std::string key;   // below the hive root
  std::string name;
  std::string data;  // a text as written, a number in decimal
  platform::Status status;  // of the write (or of what kept it from being made)
};

class InstallEvents {
 public:
  virtual ~InstallEvents() = default;
  virtual void OnFile(const FileEvent& event) = 0;
  virtual void OnValue(const ValueEvent& event) = 0;
};
