// The Programs and Features entry, on the in-memory and the real registry:
// every value Windows shows or runs, the fall-back to the current user, and
// removal only while the entry is still this install's.
#include <string>

#include "record/uninstall_entry.h"
#include "tests/recorded_events.h"
#include "tests/registry_world.h"

namespace {

using platform::Hive;

const char kFolder[] = "C:\\Zorvel\\Zorvel批打印软件";
constexpr int kBits = static_cast<int>(sizeof(void*) * 8);

class UninstallEntry : public RegistryWorldTest {
 protected:
  UninstallEntry() : RegistryWorldTest({{Hive::LocalMachine, kUninstallKey}, {Hive::CurrentUser, kUninstallKey}}) {}

  std::optional<EntryChange> Register(const std::string& folder = kFolder) {
    return RegisterUninstallEntry(folder, BuildInfo{20240105, kBits}, 20240317, 1234, events_);
  }

  RecordedEvents events_;
};

TEST_P(UninstallEntry, HoldsWhatProgramsAndFeaturesShowsAndRuns) {
  const std::optional<EntryChange> entry = Register();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->hive, Hive::LocalMachine);
  EXPECT_EQ(entry->view, kBits);
  struct Text {
    const char* name;
    std::string text;
  };
  const std::string uninstaller = std::string(kFolder) + "\\Uninstall.exe";
  const Text texts[] = {
      {"DisplayName", "Zorvel批打印软件"},
      {"DisplayVersion", "2024.1.5"},
      {"Publisher", "Zorvel"},
      {"InstallLocation", kFolder},
      {"DisplayIcon", uninstaller + ",0"},
      {"UninstallString", "\"" + uninstaller + "\""},
      {"QuietUninstallString", "\"" + uninstaller + "\" /S"},
      {"InstallDate", "20240317"},
  };
  for (const Text& t : texts) EXPECT_EQ(ReadText(Hive::LocalMachine, kUninstallKey, t.name), t.text) << t.name;
  EXPECT_EQ(ReadDword(Hive::LocalMachine, kUninstallKey, "EstimatedSize"), 1234u);
  EXPECT_EQ(ReadDword(Hive::LocalMachine, kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(ReadDword(Hive::LocalMachine, kUninstallKey, "NoRepair"), 1u);
  EXPECT_EQ(events_.values.size(), 11u);
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, kUninstallKey));
  if (memory()) {
    platform::StoredValue stored;
    ASSERT_TRUE(memory()->Stored(Hive::LocalMachine, kUninstallKey, "DisplayName", &stored));
    EXPECT_EQ(stored.bytes, std::string("Zorvel批打印软件") + '\0') << "other programs read it: terminated";
  }
}

TEST_P(UninstallEntry, GoesToTheCurrentUserWithoutAdministratorRights) {
  faults().DenyWrites(Hive::LocalMachine, "");
  std::optional<EntryChange> entry = Register();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->hive, Hive::CurrentUser);
  EXPECT_EQ(ReadText(Hive::CurrentUser, kUninstallKey, "InstallLocation"), kFolder);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, kUninstallKey));
  // For the current user alone, under HKEY_CURRENT_USER only.
  faults().ClearFaults();
  entry = RegisterUninstallEntry("D:\\Mine", BuildInfo{20240105, kBits}, 20240317, 1234, events_, Hive::CurrentUser);
  EXPECT_TRUE(entry && entry->hive == Hive::CurrentUser && !KeyExists(Hive::LocalMachine, kUninstallKey));
  EXPECT_EQ(ReadText(Hive::CurrentUser, kUninstallKey, "InstallLocation"), "D:\\Mine");
  faults().DenyWrites(Hive::LocalMachine, "");
  faults().DenyWrites(Hive::CurrentUser, "");
  EXPECT_FALSE(Register("D:\\Other"));
  EXPECT_EQ(ReadText(Hive::CurrentUser, kUninstallKey, "InstallLocation"), "D:\\Mine");
}

TEST_P(UninstallEntry, IsRemovedOnlyWhileItNamesThisFolder) {
  const EntryChange entry{Hive::LocalMachine, kBits};
  platform::Status status;
  EXPECT_EQ(RemoveUninstallEntry(entry, kFolder, kBits, &status), EntryRemoval::Gone);
  ASSERT_TRUE(Register("D:\\Elsewhere\\Zorvel批打印软件"));
  EXPECT_EQ(RemoveUninstallEntry(entry, kFolder, kBits, &status), EntryRemoval::Taken);
  EXPECT_TRUE(KeyExists(Hive::LocalMachine, kUninstallKey));
  ASSERT_TRUE(Register("c:\\zorvel\\ZORVEL批打印软件\\"));
  faults().DenyWrites(Hive::LocalMachine, kUninstallKey);
  EXPECT_EQ(RemoveUninstallEntry(entry, kFolder, kBits, &status), EntryRemoval::Failed);
  EXPECT_EQ(status.code(), platform::kErrorAccessDenied);
  faults().ClearFaults();
  EXPECT_EQ(RemoveUninstallEntry(entry, kFolder, kBits, &status), EntryRemoval::Removed);
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, kUninstallKey));
  EXPECT_EQ(RemoveUninstallEntry({Hive::LocalMachine, 64}, kFolder, 32, &status), EntryRemoval::Unreachable)
      << "the 64-bit view, from the 32-bit edition";
}

INSTANTIATE_FOR_EVERY_REGISTRY(UninstallEntry);

}  // namespace
