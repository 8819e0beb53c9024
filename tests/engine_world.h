// A whole machine for the install engine on one runtime: AutoCAD 2008 and
// 2010 in the registry world of HostsWorldTest (the in-memory registry, or
// the real one under Wine) and their folders, a distribution and an
// application-data folder in a files world of the same kind (the in-memory
// file system, or the real one). The code under test reaches the files
// through the failure shim, and an in-memory environment and process list.
#pragma once

#include <memory>
#include <string>

#include "hosts/acad_hosts.h"
#include "install/install_engine.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/faulty_files.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/rights.h"
#include "tests/files_world.h"
#include "tests/hosts_world.h"
#include "tests/recording_driver.h"

// The services an installation reaches, on one runtime: a files world of the
// registry world's kind behind the failure shim, an in-memory environment
// and process list, and no Programs and Features entry before or after.
class MachineWorldTest : public HostsWorldTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string At(const std::string& relative) { return world_->root() + "\\" + relative; }

  std::unique_ptr<FilesWorld> world_;
  std::unique_ptr<platform::FaultyFiles> faultyFiles_;
  std::unique_ptr<platform::MemoryRights> rights_;  // over them, on every runtime
  platform::MemoryEnvironment environment_;
  platform::MemoryProcesses processes_;
};

class EngineWorldTest : public MachineWorldTest {
 protected:
  void SetUp() override;

  FilesWorld& world() { return *world_; }
  platform::FaultyFiles& fileFaults() { return *faultyFiles_; }
  platform::MemoryEnvironment& environment() { return environment_; }
  std::string Acad(int year) { return At("AutoCAD " + std::to_string(year)); }
  std::string Product(int year) const { return year == 2008 ? product2008_ : product2010_; }
  std::string Variables() const { return VariablesKey("R18.0", "ACAD-8001:804", "Default"); }
  // The folder text's install folder.
  std::string InstallDir();
  // A drive letter from Q: to Y: that this runtime does not have, e.g. "Q:".
  std::string MissingDrive();

  InstallReport Install() { return CInstallEngine(hosts_).Install(request_, driver_); }
  bool Loaded(int year);

  CAcadHosts hosts_;
  InstallRequest request_;
  RecordingDriver driver_;

 private:
  std::string product2008_, product2010_;
};
