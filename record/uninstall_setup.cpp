#include "record/uninstall_setup.h"

#include <algorithm>

#include "deploy/file_utils.h"
#include "hosts/acad_hosts.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "record/uninstall_entry.h"

namespace {

constexpr std::uint64_t kKilobyte = 1024;

std::uint64_t SizeOf(const std::string& path) {
  platform::Files& files = platform::GetFiles();
  platform::FindData found;
  platform::FindHandle handle = files.FindFirst(path, &found);
  files.FindClose(handle);
  return handle ? found.size : 0;
}

// What the install folder holds of the add-on, for Programs and Features:
// the files the record names, from one listing of the folder (asking each
// file on its own would read the folder once per file), and the backups.
std::uint32_t EstimatedKilobytes(const std::string& installDir, const InstallRecord& record) {
  std::uint64_t bytes = 0;
  platform::Files& files = platform::GetFiles();
  platform::FindData entry;
  platform::FindHandle listing = files.FindFirst(installDir + "\\*.*", &entry);
  for (bool more = listing != nullptr; more; more = files.FindNext(listing, &entry)) {
    if (!(entry.attributes & platform::kAttrDirectory) &&
        std::any_of(record.files.begin(), record.files.end(),
                    [&](const std::string& file) { return mbcs::EqualsNoCase(file, entry.name); }))
      bytes += entry.size;
  }
  files.FindClose(listing);
  for (const BackupChange& backup : record.backups)
    bytes += SizeOf(installDir + "\\" + kBackupFolder + "\\" + backup.name);
  const std::uint64_t kilobytes = (bytes + kKilobyte - 1) / kKilobyte;
  return kilobytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kilobytes);
}

// Today as yyyymmdd, as Programs and Features shows an install date.
int Today() {
  const platform::LocalTime now = platform::GetClock().Now();
  return now.year * 10000 + now.month * 100 + now.day;
}

// The entries an install may write: under HKEY_LOCAL_MACHINE, or under
// HKEY_CURRENT_USER where that cannot be written or is the one asked for.
InstallRecord EntriesOf(const BuildInfo& build, platform::Hive hive) {
  InstallRecord entries;
  if (hive == platform::Hive::LocalMachine)
    entries.entries.push_back(EntryChange{platform::Hive::LocalMachine, build.editionBits});
  entries.entries.push_back(EntryChange{platform::Hive::CurrentUser, 0});
  return entries;
}

class Unreported : public InstallEvents {
 public:
  void OnFile(const FileEvent&) override {}
  void OnValue(const ValueEvent&) override {}
};

}  // namespace

FileEvent PlaceUninstaller(const std::string& installDir, InstallJournal& journal) {
  platform::Files& files = platform::GetFiles();
  FileEvent copy;
  copy.kind = FileKind::Uninstaller;
  copy.source = files.ModulePath();
  copy.destination = installDir + "\\" + kUninstallerName;
  copy.bytes = SizeOf(copy.source);
  copy.replaced = files.Exists(copy.destination);
  journal.BeforeFile(copy);
  ClearReadOnly(copy.destination);
  copy.status = files.CopyFile(copy.source, copy.destination);
  if (copy.status) ClearReadOnly(copy.destination);
  return copy;
}

void RegisterEntryAhead(const std::string& installDir, const BuildInfo& build, InstallJournal& journal,
                        platform::Hive hive) {
  journal.Note(EntriesOf(build, hive), Ahead::Overwrites);
  Unreported unreported;
  (void)RegisterUninstallEntry(installDir, build, Today(), 0, unreported, hive);
}

int FinishUninstall(const std::string& installDir, const BuildInfo& build, const ParsedRecord& earlier,
                    InstallRecord changes, InstallEvents& events, InstallJournal& journal,
                    platform::Hive hive) {
  FileEvent written;
  written.kind = FileKind::Record;
  written.destination = RecordPath(installDir);
  if (earlier.state == RecordState::NewerVersion) {
    // What a later version recorded cannot be kept whole by this one.
    written.status = platform::Status(platform::kErrorInvalidParameter);
    events.OnFile(written);
    return 2;
  }
  InstallRecord record = earlier.record;
  MergeInto(record, changes);

  int failed = 0;
  journal.Note(EntriesOf(build, hive), Ahead::Overwrites);
  const std::optional<EntryChange> entry = RegisterUninstallEntry(
      installDir, build, Today(), EstimatedKilobytes(installDir, record), events, hive);
  if (entry) {
    InstallRecord withEntry;
    withEntry.entries.push_back(*entry);
    MergeInto(record, withEntry);
  } else {
    ++failed;
  }

  const bool aheadWhole = journal.open() && journal.status().ok();
  journal.Close();
  written.status = WriteRecord(installDir, record);
  written.bytes = FormatRecord(record).size();
  events.OnFile(written);
  if (written.status) return failed;
  // The record written ahead names the entry, or the earlier one did.
  const bool entryRecorded = aheadWhole || (entry && std::any_of(earlier.record.entries.begin(),
                                                                   earlier.record.entries.end(),
                                                                   [&](const EntryChange& had) {
                                                                     return had.hive == entry->hive &&
                                                                            had.view == entry->view;
                                                                   }));
  if (!entry || entryRecorded) return failed + 1;
  platform::Status removed;
  (void)RemoveUninstallEntry(*entry, installDir, build.editionBits, &removed);
  return failed + 2;
}
