// A whole machine in memory for runs of the setup program from its command
// line: the distribution C:\dist (SetUp.exe beside Data), AutoCAD 2007 in the
// 32-bit registry view, 2008 and 2010 in the 64-bit one, one profile, and
// every service the run reaches, failure shims included. The world's services
// are in use while it lives.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/fakes/append_files.h"
#include "tests/fakes/clock.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/faulty_registry.h"
#include "tests/fakes/files.h"
#include "tests/fakes/instance_locks.h"
#include "tests/fakes/log_files.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"
#include "tests/fakes/system_info.h"

struct SetupWorld {
  static constexpr char kProduct2007[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R17.0\\ACAD-5001:804";
  static constexpr char kProduct2008[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804";
  static constexpr char kProduct2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
  static constexpr char kVariables[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Default\\Variables";
  static constexpr char kAcad2007[] = "C:\\Program Files (x86)\\AutoCAD 2007";
  static constexpr char kAcad2008[] = "C:\\Program Files\\AutoCAD 2008";
  static constexpr char kAcad2010[] = "C:\\Program Files\\AutoCAD 2010";
  static constexpr char kDefaultInstall[] = "C:\\Zorvel\\Zorvel批打印软件";
  static constexpr char kTempLog[] = "C:\\Users\\user\\AppData\\Local\\Temp\\ZorvelSetup.log";

  SetupWorld() {
    files.SetModulePath("C:\\dist\\SetUp.exe");
    files.AddFile("C:\\dist\\SetUp.exe", "the setup program");
    for (const char* name : {"SetUp.EXE", "ZV_BatchPlot2008.ARX", "ZV_BatchPlot2010.ARX", "Zorvel.prt7", "Zorvel.Ini",
                             "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5", "readme.txt"})
      files.AddFile(std::string("C:\\dist\\Data\\") + name, name);
    files.AddFolder("C:\\Users\\user\\AppData\\Roaming");
    files.AddFolder("C:\\Users\\user\\AppData\\Local\\Temp");
    files.AddFolder("C:\\Windows\\Temp");
    for (const char* location : {kAcad2007, kAcad2008, kAcad2010}) files.AddFolder(std::string(location) + "\\Fonts");
    files.AddFolder(std::string(kAcad2008) + "\\Drv");
    Product(kProduct2007, kAcad2007, "AutoCAD 2007");
    Product(kProduct2008, kAcad2008, "AutoCAD 2008");
    Product(kProduct2010, kAcad2010, "AutoCAD 2010");
    Text(platform::Hive::CurrentUser, kVariables, "TRUSTEDPATHS", "d:\\lisp");
    platform::SetFiles(&faultyFiles);
    platform::SetAppendFiles(&appendFiles);
    platform::SetRegistry(&faultyRegistry);
    platform::SetEnvironment(&environment);
    platform::SetProcesses(&processes);
    platform::SetMessageBoxes(&boxes);
    platform::SetSystemInfo(&system);
    platform::SetClock(&clock);
    platform::SetLogFiles(&logs);
    platform::SetInstanceLocks(&locks);
    platform::SetRights(&rights);
  }
  ~SetupWorld() {
    platform::SetFiles(nullptr);
    platform::SetAppendFiles(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetEnvironment(nullptr);
    platform::SetProcesses(nullptr);
    platform::SetMessageBoxes(nullptr);
    platform::SetSystemInfo(nullptr);
    platform::SetClock(nullptr);
    platform::SetLogFiles(nullptr);
    platform::SetInstanceLocks(nullptr);
    platform::SetRights(nullptr);
  }
  SetupWorld(const SetupWorld&) = delete;
  SetupWorld& operator=(const SetupWorld&) = delete;

  void Text(platform::Hive hive, const std::string& key, const std::string& name, const std::string& text) {
    platform::ScopedKey root(registry, registry.OpenHive(hive));
    platform::ScopedKey opened(registry, registry.Create(root.get(), key));
    (void)registry.SetValue(opened.get(), name, platform::kRegSz, text.data(), static_cast<std::uint32_t>(text.size()));
  }
  void Product(const std::string& key, const std::string& location, const std::string& name) {
    Text(platform::Hive::LocalMachine, key, "AcadLocation", location);
    Text(platform::Hive::LocalMachine, key, "ProductName", name);
  }
  bool Loaded(const char* product, int year) const {
    return registry.KeyExists(platform::Hive::LocalMachine,
                              std::string(product) + "\\Applications\\ZV_BatchPlot" + std::to_string(year));
  }
  bool AnyLoader() const { return Loaded(kProduct2007, 2007) || Loaded(kProduct2008, 2008) || Loaded(kProduct2010, 2010); }
  std::string TrustedPaths() const {
    platform::MemoryRegistry::StoredValue stored;
    registry.Stored(platform::Hive::CurrentUser, kVariables, "TRUSTEDPATHS", &stored);
    return stored.bytes;
  }
  // Whether the log at `path` has a line that contains every one of `parts`.
  bool Logged(const std::string& path, const std::vector<std::string>& parts) const {
    for (const std::string& line : logs.Lines(path)) {
      bool all = true;
      for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
      if (all) return true;
    }
    return false;
  }

  platform::MemoryFiles files;
  platform::FaultyFiles faultyFiles{files};
  platform::MemoryAppendFiles appendFiles{files};
  platform::MemoryRegistry registry;
  platform::FaultyRegistry faultyRegistry{registry};
  platform::MemoryEnvironment environment;
  platform::MemoryProcesses processes;
  platform::MemoryMessageBoxes boxes;
  platform::MemorySystemInfo system;
  platform::FakeClock clock;
  platform::MemoryLogFiles logs;
  platform::MemoryInstanceLocks locks;
  platform::MemoryRights rights;  // over the file service in use
};
