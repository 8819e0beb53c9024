// The world of the deployment tests: a distribution folder dist\ with the
// program and its Data folder, an install folder and an application-data
// folder, all inside the scratch root of a files world. The services the code
// under test reaches are swapped for the world's files, an in-memory
// environment whose APPDATA points into the scratch root, and scripted
// prompts.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/memory/environment.h"
#include "platform/memory/message_box.h"
#include "tests/files_world.h"

// Message boxes answered from a script; an answer may first change the world
// (as a user would, closing AutoCAD before pressing Retry). With the script
// used up, a box cannot be shown.
class ScriptedPrompts : public platform::MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override {
    shown_.push_back({text, caption, style});
    if (script_.empty()) return platform::kIdFailed;
    Reply reply = script_.front();
    script_.pop_front();
    if (reply.before) reply.before();
    return reply.button;
  }

  void Answer(int button, std::function<void()> before = nullptr) { script_.push_back({button, std::move(before)}); }
  const std::vector<platform::ShownBox>& shown() const { return shown_; }

 private:
  struct Reply {
    int button;
    std::function<void()> before;
  };
  std::deque<Reply> script_;
  std::vector<platform::ShownBox> shown_;
};

class DeployWorldTest : public FilesWorldTest {
 protected:
  void SetUp() override {
    FilesWorldTest::SetUp();
    world().SetModulePath(At("dist\\SetUp.exe"));
    environment_.SetVariable("APPDATA", AppData());
    environment_.SetRoamingAppDataFolder(At("Shell\\Roaming"));
    platform::SetFiles(&files());
    platform::SetEnvironment(&environment_);
    platform::SetMessageBoxes(&prompts_);
  }

  void TearDown() override {
    platform::SetFiles(nullptr);
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
  ScriptedPrompts& prompts() { return prompts_; }

 private:
  platform::MemoryEnvironment environment_;
  ScriptedPrompts prompts_;
};
