// The crash shim on a run of one change of every kind it counts.
#include <iterator>

#include <gtest/gtest.h>

#include "tests/fakes/crash_shim.h"
#include "tests/snapshot.h"

namespace {

using platform::Hive;
using platform::ScopedAppend;
using platform::ScopedKey;

constexpr char kKey[] = "SOFTWARE\\Zorvel";
constexpr char kRecord[] = "C:\\Z\\record.ini";

struct Reach {
  platform::Registry& registry;
  platform::Files& files;
  platform::AppendFiles& appends;
  platform::AppendHandle record = nullptr;
};

void SetFolder(Reach& at, bool remove) {
  ScopedKey root(at.registry, at.registry.OpenHive(Hive::LocalMachine));
  ScopedKey key(at.registry, at.registry.Open(root.get(), kKey));
  (void)(remove ? at.registry.DeleteValue(key.get(), "Folder") : at.registry.SetValue(key.get(), "Folder", platform::kRegSz, "C:\\Z", 4));
}

using Step = void (*)(Reach&);
const Step kRun[] = {
    [](Reach& at) {
      ScopedKey root(at.registry, at.registry.OpenHive(Hive::LocalMachine));
      ScopedKey key(at.registry, at.registry.Create(root.get(), kKey));
    },
    [](Reach& at) { SetFolder(at, false); },
    [](Reach& at) { (void)at.files.CreateDirectory("C:\\Z"); },
    [](Reach& at) { at.record = at.appends.Open(kRecord); },
    [](Reach& at) { (void)at.appends.Append(at.record, "copy a.txt\r\n"); },
    [](Reach& at) { (void)at.appends.Flush(at.record); },
    [](Reach& at) { (void)at.files.CopyFile("C:\\dist\\a.txt", "C:\\Z\\a.txt"); },
    [](Reach& at) { (void)at.files.SetAttributes("C:\\Z\\a.txt", platform::kAttrHidden); },
    [](Reach& at) { SetFolder(at, true); },
};
constexpr std::size_t kChanges = std::size(kRun);

struct Machine {
  Machine() { files.AddFile("C:\\dist\\a.txt", "a"); }
  // The first `steps` of the run, then the process's end: a kill.
  void Run(platform::Registry& r, platform::Files& f, platform::AppendFiles& a, std::size_t steps) {
    Reach at{r, f, a};
    for (std::size_t i = 0; i < steps; ++i) kRun[i](at);
    a.Close(at.record);
    appends.Kill();
  }
  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryAppendFiles appends{files};
};

TEST(CrashShim, CountsEveryChangeAndLeavesTheMachineAsItWasAfterTheLastBeforeItsDeath) {
  for (std::size_t n = 0; n <= kChanges; ++n) {
    Machine crashed, expected;
    platform::CrashShim crash(crashed.registry, crashed.files, crashed.appends, n);
    crashed.Run(crash.registry(), crash.files(), crash.appendFiles(), kChanges);
    expected.Run(expected.registry, expected.files, expected.appends, n);
    EXPECT_EQ(crash.changes(), kChanges) << n;
    EXPECT_EQ(crash.dead(), n < kChanges) << n;
    EXPECT_EQ(MachinePicture(crashed.registry, crashed.files), MachinePicture(expected.registry, expected.files))
        << "died after " << (n > 0 ? crash.log()[n - 1] : "nothing");
  }
  Machine machine;
  platform::CrashShim crash(machine.registry, machine.files, machine.appends, 0);
  machine.Run(crash.registry(), crash.files(), crash.appendFiles(), kChanges);
  EXPECT_EQ(crash.log(), (std::vector<std::string>{"Create SOFTWARE\\Zorvel", "SetValue Folder", "CreateDirectory C:\\Z",
                                                   "Open C:\\Z\\record.ini", "Append copy a.txt", "Flush",
                                                   "CopyFile C:\\Z\\a.txt", "SetAttributes C:\\Z\\a.txt",
                                                   "DeleteValue Folder"}));
  EXPECT_EQ(crash.files().CreateDirectory("C:\\Y").code(), platform::CrashShim::kDeadError);
}

TEST(CrashShim, TheMachineLeftBehindStartsFreshServicesForTheNextProgram) {
  Machine machine;
  platform::CrashShim crash(machine.registry, machine.files, machine.appends, 5);  // the record's line not flushed
  machine.Run(crash.registry(), crash.files(), crash.appendFiles(), kChanges);
  machine.appends.PowerCut();
  const MachineState state = TakeMachineState(machine.registry, machine.files);
  FreshMachine fresh(state);
  EXPECT_EQ(MachinePicture(fresh.registry, fresh.files), MachinePicture(machine.registry, machine.files));
  EXPECT_EQ(fresh.files.Content(kRecord), "");
  ScopedAppend record(fresh.appendFiles, fresh.appendFiles.Open(kRecord));
  EXPECT_TRUE(fresh.appendFiles.Append(record.get(), "x"));
  EXPECT_EQ(fresh.files.Content(kRecord), "x");
  EXPECT_EQ(machine.files.Content(kRecord), "") << "the state is a copy";
}

}  // namespace
