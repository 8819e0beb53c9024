// Whether AutoCAD is running, from the process list.
#include "deploy/host_check.h"
#include "platform/processes.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/services.h"

#include <gtest/gtest.h>

namespace {

TEST(IsHostRunning, AnImageNameContainingAcadExeWhateverItsCase) {
  struct Case {
    std::vector<std::string> names;
    bool running;
  };
  const Case cases[] = {
      {{"System", "acad.exe"}, true},
      {{"ACAD.EXE"}, true},
      {{"Acad.exe", "explorer.exe"}, true},
      {{"xacad.exe"}, true},
      {{"acadx.exe"}, false},
      {{"acad.ex", "cad.exe", "acad"}, false},
      {{"批acad.exe"}, true},
      {{"\x81" "acad.exe"}, false},      // 0x81 0x61 is one character: no "a" starts the match
      {{"\x81\x41" "CAD.EXE"}, false},   // the trail byte 0x41 is no letter A
      {{}, false},
  };
  platform::MemoryProcesses processes;
  platform::SetProcesses(&processes);
  for (const Case& c : cases) {
    processes.SetImageNames(c.names);
    EXPECT_EQ(IsHostRunning(), c.running) << (c.names.empty() ? "(none)" : c.names[0]);
  }
  platform::SetProcesses(nullptr);
}

TEST(IsHostRunning, AnUnreadableProcessListCountsAsNotRunning) {
  platform::MemoryProcesses processes;
  processes.SetImageNames({"acad.exe"});
  processes.SetUnreadable(true);
  platform::SetProcesses(&processes);
  EXPECT_FALSE(IsHostRunning());
  platform::SetProcesses(nullptr);
}

// Both process services list something, file names only.
TEST(ProcessesContract, ListsImageNamesWithoutFolders) {
  platform::MemoryProcesses memory;
  platform::Processes* services[] = {&memory, &platform::GetProcesses()};
  for (platform::Processes* service : services) {
    std::vector<std::string> names;
    ASSERT_TRUE(service->ListImageNames(&names));
    EXPECT_FALSE(names.empty());
    for (const std::string& name : names) EXPECT_EQ(name.find('\\'), std::string::npos) << name;
  }
}

}  // namespace
