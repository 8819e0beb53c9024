// The world of the deployment tests: a distribution folder dist\ with the
// program and its Data folder, an install folder and an application-data
// folder, all inside the scratch root of a files world. The services the code
// under test reaches are swapped for the world's files, an in-memory
// environment whose APPDATA points into the scratch root, and scripted
// message boxes; the deployment's observer asks those boxes its question, as
// the dialog does, and records every step and copy.
#pragma once

#include <string>
#include <vector>

#include "deploy/file_deployer.h"
#include "deploy/product.h"
#include "install/messages.h"
#include "tests/fakes/environment.h"
#include "tests/fakes/message_boxes.h"
#include "tests/fakes/services.h"
#include "tests/files_world.h"
#include "ui/setup_dialog.h"

class PromptingObserver : public DeployObserver {
 public:
  explicit PromptingObserver(platform::MessageBoxes& boxes) : boxes_(boxes) {}
  void OnStep() override { ++steps; }
  void OnFile(const FileEvent& event) override { files.push_back(event); }
  // Each copy announced: its destination, "+" when that was there by then.
  void OnCopying(const FileEvent& p) override {
    copying.push_back(p.destination + (platform::GetFiles().Exists(p.destination) ? "+" : ""));
  }
  CopyDecision OnCopyFailed(const FileEvent& failure) override {
    return CopyDecisionOf(
        boxes_.Show(CopyFailedText(failure.destination), kMessageCaption, platform::kMbAbortRetryIgnore));
  }

  int steps = 0;
  std::vector<FileEvent> files;
  std::vector<std::string> copying;

 private:
  platform::MessageBoxes& boxes_;
};

class DeployWorldTest : public FilesWorldTest {
 protected:
  void SetUp() override {
    FilesWorldTest::SetUp();
    world().SetModulePath(At("dist\\SetUp.exe"));
    environment_.SetVariable("APPDATA", AppData());
    environment_.SetRoamingAppDataFolder(At("Shell\\Roaming"));
    platform::SetFiles(&files());
    platform::SetAppendFiles(&world().appendFiles());
    platform::SetEnvironment(&environment_);
    platform::SetMessageBoxes(&prompts_);
  }

  void TearDown() override {
    platform::SetFiles(nullptr);
    platform::SetAppendFiles(nullptr);
    platform::SetEnvironment(nullptr);
    platform::SetMessageBoxes(nullptr);
    FilesWorldTest::TearDown();
  }

  std::string Data() { return At("dist\\Data"); }
  std::string Install() { return At("install"); }
  std::string AppData() { return At("AppData\\Roaming"); }
  // Puts a file into the Data folder; its content is its name.
  void AddData(const std::string& name) { world().MakeFile(Data() + "\\" + name, name); }
  std::string InInstall(const std::string& name) { return Install() + "\\" + name; }

  platform::MemoryEnvironment& environment() { return environment_; }
  platform::MemoryMessageBoxes& prompts() { return prompts_; }

 private:
  platform::MemoryEnvironment environment_;
  platform::MemoryMessageBoxes prompts_;
};
