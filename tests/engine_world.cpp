#include "tests/engine_world.h"

#include "deploy/product.h"
#include "record/uninstall_entry.h"
#include "tests/fakes/services.h"

namespace {

FilesWorldKind FilesWorldOf(RegistryKind kind) {
  if (kind == RegistryKind::Memory) return MemoryFilesWorld();
  for (const FilesWorldKind& files : FilesWorldKinds()) {
    if (std::string(files.name) != "Memory") return files;
  }
  return MemoryFilesWorld();
}

}  // namespace

void MachineWorldTest::SetUp() {
  HostsWorldTest::SetUp();
  for (platform::Hive hive : {platform::Hive::LocalMachine, platform::Hive::CurrentUser}) RemoveTree(hive, kUninstallKey);
  world_ = FilesWorldOf(GetParam()).make();
  faultyFiles_ = std::make_unique<platform::FaultyFiles>(world_->files());
  platform::SetFiles(faultyFiles_.get());
  platform::SetAppendFiles(&world_->appendFiles());
  rights_ = std::make_unique<platform::MemoryRights>(*faultyFiles_);
  platform::SetRights(rights_.get());
  platform::SetEnvironment(&environment_);
  platform::SetProcesses(&processes_);
}

void MachineWorldTest::TearDown() {
  for (platform::Hive hive : {platform::Hive::LocalMachine, platform::Hive::CurrentUser}) RemoveTree(hive, kUninstallKey);
  platform::SetRights(nullptr);
  platform::SetAppendFiles(nullptr);
  platform::SetFiles(nullptr);
  platform::SetEnvironment(nullptr);
  platform::SetProcesses(nullptr);
  faultyFiles_.reset();
  world_.reset();
  HostsWorldTest::TearDown();
}

void EngineWorldTest::SetUp() {
  MachineWorldTest::SetUp();
  world_->SetModulePath(At("dist\\SetUp.exe"));
  world_->MakeFile(At("dist\\SetUp.exe"), "MZ the setup program");
  for (const char* name : {"SetUp.EXE", "ZV_BatchPlot2008.ARX", "ZV_BatchPlot2010.ARX", "Zorvel.prt7", "Zorvel.Ini",
                           "Zorvel_EN.shx", "Zorvel_HZ.shx", "Zorvel.prt5"})
    world_->MakeFile(At("dist\\Data\\") + name, name);
  world_->MakeFolder(At("AppData"));
  environment_.SetVariable("APPDATA", At("AppData"));
  world_->MakeFolder(Acad(2008) + "\\Fonts");
  world_->MakeFolder(Acad(2008) + "\\Drv");
  world_->MakeFolder(Acad(2010) + "\\Fonts");
  product2008_ = AddProduct(kAcadKey, "R17.1", "ACAD-6001:804", Acad(2008), "AutoCAD 2008");
  product2010_ = AddProduct(kAcadKey, "R18.0", "ACAD-8001:804", Acad(2010), "AutoCAD 2010");
  WriteText(platform::Hive::CurrentUser, Variables(), "TRUSTEDPATHS", "d:\\lisp");

  hosts_.Discover();
  request_.folderText = At("Zorvel");
  request_.build = {20231218, static_cast<int>(sizeof(void*) * 8)};
  request_.ticked[2008 - kFirstReleaseYear] = 1;
  request_.ticked[2010 - kFirstReleaseYear] = 1;
}

std::string EngineWorldTest::InstallDir() { return request_.folderText + "\\" + kProductFolder; }

std::string EngineWorldTest::MissingDrive() {
  for (char letter = 'Q'; letter <= 'Y'; ++letter) {
    const std::string drive = std::string(1, letter) + ":";
    if (!world_->files().Exists(drive + "\\")) return drive;
  }
  ADD_FAILURE() << "every drive letter from Q to Y is taken";
  return "Q:";
}

bool EngineWorldTest::Loaded(int year) {
  return ReadText(platform::Hive::LocalMachine, Product(year) + "Applications\\ZV_BatchPlot" + std::to_string(year),
                  "LOADER")
      .has_value();
}
