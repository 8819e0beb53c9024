// The install record's reader on any text, and the uninstall over what it
// reads on a machine in memory. Whatever the record says, the uninstall takes
// nothing the record does not name: files outside the install folder, files
// in it the record does not list, another program's loader key, the other
// entries of a TRUSTEDPATHS list all stay. Every name read is a plain file
// name, and a whole record reads back as itself once written again.
#include <string>
#include <string_view>

#include "platform/mbcs.h"
#include "platform/services.h"
#include "record/install_record.h"
#include "tests/fakes/files.h"
#include "tests/fakes/processes.h"
#include "tests/fakes/registry.h"
#include "tests/fakes/services.h"
#include "tests/fuzz/fuzz_support.h"
#include "uninstall/uninstall_drivers.h"
#include "uninstall/uninstall_engine.h"

namespace {

using platform::Hive;

// ASCII: this build keeps its literals in UTF-8, which the in-memory services
// refuse as GBK.
constexpr char kInstallDir[] = "C:\\Zorvel\\BatchPlot";
// Files no record may take: outside the install folder, whatever it names.
constexpr const char* kOutside[] = {"C:\\Windows\\win.ini", "C:\\Zorvel\\keep.txt", "D:\\data\\drawing.dwg"};
// Files in the install folder: they may go only when the record names them.
constexpr const char* kInside[] = {"readme.txt", "user notes.txt", "Uninstall.exe", "ZV_BatchPlot2010.ARX"};
constexpr char kOtherLoader[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\ZV_BatchPlot2010";
constexpr char kOtherModule[] = "D:\\Other\\ZV_BatchPlot2010.ARX";
constexpr char kProfile[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Default\\Variables";
constexpr char kTrusted[] = "d:\\lisp;C:\\ZORVEL\\BATCHPLOT;e:\\blocks";

void SetText(platform::MemoryRegistry& registry, Hive hive, const char* path, const char* name, const char* text) {
  platform::ScopedKey root(registry, registry.OpenHive(hive));
  platform::ScopedKey key(registry, registry.Create(root.get(), path));
  registry.SetValue(key.get(), name, platform::kRegSz, text, static_cast<std::uint32_t>(std::string_view(text).size()));
}

std::string Text(const platform::MemoryRegistry& registry, Hive hive, const char* path, const char* name) {
  platform::MemoryRegistry::StoredValue stored;
  return registry.Stored(hive, path, name, &stored) ? stored.bytes : std::string("(none)");
}

bool Named(const InstallRecord& record, const std::string& name) {
  for (const std::string& file : record.files) {
    if (mbcs::EqualsNoCase(file, name)) return true;
  }
  return false;
}

void CheckNames(const InstallRecord& record) {
  for (const std::string& file : record.files) {
    FUZZ_CHECK(!file.empty() && file != "." && file != "..");
    FUZZ_CHECK(mbcs::LastBackslash(file) == std::string::npos);
    FUZZ_CHECK(file.find('/') == std::string::npos && file.find(':') == std::string::npos);
    FUZZ_CHECK(file.back() != '.' && file.back() != ' ');  // Windows would open another file
  }
  for (const BackupChange& backup : record.backups) FUZZ_CHECK(mbcs::LastBackslash(backup.name) == std::string::npos);
}

void CheckRoundTrip(const ParsedRecord& parsed) {
  if (parsed.state != RecordState::Complete) return;
  const std::string written = FormatRecord(parsed.record);
  const ParsedRecord again = ParseRecord(written);
  FUZZ_CHECK(again.state == RecordState::Complete);
  FUZZ_CHECK(again.ignoredLines.empty());
  FUZZ_CHECK(FormatRecord(again.record) == written);
}

void CheckUninstall(std::string_view text, const InstallRecord& record) {
  platform::MemoryFiles files;
  platform::MemoryRegistry registry;
  platform::MemoryProcesses processes;
  files.AddDrive('D');
  for (const char* path : kOutside) files.AddFile(path, "keep");
  for (const char* name : kInside) files.AddFile(std::string(kInstallDir) + "\\" + name, name);
  files.AddFile(std::string(kInstallDir) + "\\" + kRecordName, std::string(text));
  SetText(registry, Hive::LocalMachine, kOtherLoader, "LOADER", kOtherModule);
  SetText(registry, Hive::CurrentUser, kProfile, "TRUSTEDPATHS", kTrusted);
  platform::SetFiles(&files);
  platform::SetRegistry(&registry);
  platform::SetProcesses(&processes);

  UninstallRequest request;
  request.installDir = kInstallDir;
  request.checkHostRunning = false;
  SilentUninstallDriver driver;
  CUninstallEngine().Uninstall(request, driver);

  for (const char* path : kOutside) FUZZ_CHECK(files.Exists(path));
  for (const char* name : kInside) FUZZ_CHECK(Named(record, name) || files.Exists(std::string(kInstallDir) + "\\" + name));
  FUZZ_CHECK(Text(registry, Hive::LocalMachine, kOtherLoader, "LOADER") == kOtherModule);
  const std::string trusted = Text(registry, Hive::CurrentUser, kProfile, "TRUSTEDPATHS");
  FUZZ_CHECK(mbcs::Find(mbcs::ToUpper(trusted), "D:\\LISP") != mbcs::npos);
  FUZZ_CHECK(mbcs::Find(mbcs::ToUpper(trusted), "E:\\BLOCKS") != mbcs::npos);

  platform::SetFiles(nullptr);
  platform::SetRegistry(nullptr);
  platform::SetProcesses(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ParsedRecord parsed = ParseRecord(text);
  CheckNames(parsed.record);
  CheckRoundTrip(parsed);
  CheckUninstall(text, parsed.record);
  return 0;
}
