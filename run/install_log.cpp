#include "run/install_log.h"

#include <algorithm>
#include <iterator>

#include "deploy/product.h"
#include "platform/files.h"
#include "platform/lookup.h"
#include "platform/mbcs.h"
#include "platform/rights.h"
#include "platform/system_info.h"
#include "run/exit_code.h"
#include "run/take_back.h"

using platform::Hive;
using platform::Status;

namespace {

struct LevelRow {
  LogLevel level;
  const char* name;
};

constexpr LevelRow kLevels[] = {{LogLevel::Info, "INFO "}, {LogLevel::Warn, "WARN "}, {LogLevel::Error, "ERROR"}};

const char* LevelName(LogLevel level) { return RowOf(kLevels, &LevelRow::level, level).name; }

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// A message box text on one line: its blank lines become one space each.
std::string Flattened(const std::string& text) {
  std::string line;
  for (std::string_view piece : mbcs::Split(text, '\n')) {
    if (piece.empty()) continue;
    if (!line.empty()) line += ' ';
    line += piece;
  }
  return line;
}

std::string HiveName(Hive hive) {
  switch (hive) {
    case Hive::LocalMachine:
      return "HKLM";
    case Hive::Users:
      return "HKU";
    case Hive::CurrentUser:
      break;
  }
  return "HKCU";
}

std::string WithoutTrailingBackslash(std::string path) {
  mbcs::DropTrailingBackslash(path);
  return path;
}

// Keys below the Wow6432Node path are the 32-bit view on a 64-bit system;
// the others are the view of the edition's own bitness.
std::string RegistryView(const std::string& productKey, int editionBits) {
  const std::string wow = std::string(kWowAcadKeyPath) + "\\";
  const bool wowPath = mbcs::EqualsNoCase(productKey.substr(0, wow.size()), wow);
  return mbcs::Decimal(wowPath ? 32 : editionBits) + "-bit";
}

std::string Years(const ReleaseFlags& ticked) {
  std::string years;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    if (!ticked[slot]) continue;
    if (!years.empty()) years += ", ";
    years += mbcs::Decimal(kFirstReleaseYear + slot);
  }
  return years;
}

struct NoticeRow {
  Notice notice;
  LogLevel level;
};

// What the user would have been told, at the level it counts for.
constexpr NoticeRow kNotices[] = {
    {Notice::HostRunning, LogLevel::Warn},      {Notice::NoFolder, LogLevel::Warn},
    {Notice::FolderTooLong, LogLevel::Warn},    {Notice::Incomplete, LogLevel::Warn},
    {Notice::FolderInvalid, LogLevel::Error},   {Notice::FolderNotCreated, LogLevel::Error},
    {Notice::DataMissing, LogLevel::Error},     {Notice::DataUnreadable, LogLevel::Error},
    {Notice::RolledBack, LogLevel::Warn},
};

LogLevel LevelOf(Notice notice) { return RowOf(kNotices, &NoticeRow::notice, notice).level; }

struct FileRow {
  FileKind kind;
  const char* what;
};

constexpr FileRow kFiles[] = {
    {FileKind::Payload, "File"},
    {FileKind::Settings, "Settings file"},
    {FileKind::Backup, "Backup of AutoCAD's plot driver"},
    {FileKind::Uninstaller, "Uninstaller"},
    {FileKind::Record, "Install record"},
    {FileKind::SupportFile, "Support file"},
    {FileKind::SettingsKept, "The user's own settings file, kept as"},
};

std::string FileWhat(FileKind kind) { return RowOf(kFiles, &FileRow::kind, kind).what; }

struct LockRow {
  FolderLock::What what;
  LogLevel level;
  const char* said;
};

constexpr LockRow kLocks[] = {
    {FolderLock::What::Made, LogLevel::Info,
     "made; only administrators (and an installing user without administrator rights) can change what it holds"},
    {FolderLock::What::Locked, LogLevel::Info,
     "made by an earlier install; now only administrators (and an installing user without administrator rights) "
     "can change what it holds"},
    {FolderLock::What::NotLocked, LogLevel::Warn, "made by an earlier install; its access list could not be set"},
    {FolderLock::What::LeftOpen, LogLevel::Warn,
     "not made by this program, left as it is: every user can change what it holds, and AutoCAD trusts what is "
     "there"},
    {FolderLock::What::LeftAsIs, LogLevel::Info, "not made by this program, left as it is"},
    {FolderLock::What::LeftUnknown, LogLevel::Warn,
     "not made by this program, left as it is; who can change what it holds cannot be read"},
};

// What one user of an installation for every user got, on one line.
std::string UserChanges(const UserServed& user) {
  std::vector<std::string> parts;
  for (const TrustedPathWrite& write : user.service.part.trustedPaths) {
    const std::string of = "TRUSTEDPATHS of " + write.change.key;
    parts.push_back(!write.written() ? of + " not written, " + DescribeError(write.status)
                    : write.gained  ? of + " gained the folder"
                                    : of + " held the folder already");
  }
  if (user.service.part.trustedPaths.empty()) parts.push_back("no AutoCAD profile");
  const std::optional<FileEvent>& settings = user.service.part.settings;
  if (user.service.part.settingsKept) parts.push_back("the user's own settings file kept");
  if (settings && settings->status) parts.push_back("settings file " + settings->destination + " placed");
  if (settings && !settings->status)
    parts.push_back("settings file " + settings->destination + " not copied, " + DescribeError(settings->status));
  for (const std::string& key : user.service.part.productsWithoutProfile)
    parts.push_back("no profile yet of HKLM\\" + WithoutTrailingBackslash(key) +
                    " (its trusted path follows at a logon after AutoCAD's first start)");
  if (!user.service.replacedInstall.empty())
    parts.push_back("the record of the installation in " + user.service.replacedInstall + " replaced");
  parts.push_back(user.service.recordStatus ? std::string("record written")
                                            : "record not written, " + DescribeError(user.service.recordStatus));
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : "; ") + part;
  return line;
}

void LogUser(CInstallLog& log, const UserServed& user) {
  const std::string folder = user.profileFolder.empty() ? "folder unknown" : user.profileFolder;
  const char* where = user.loadedHere ? ", hive loaded from its file" : ", logged on";
  std::string line = "User " + user.sid + " (profile " + folder + where + "): ";
  if (!user.problem.empty()) {
    log.Error(line + "not served, " + user.problem);
  } else {
    // The unload has a line of its own.
    const bool notWritten = FailuresOf(user.service.part) > 0 || !user.service.recordStatus;
    const LogLevel level = notWritten                                         ? LogLevel::Error
                           : user.service.part.productsWithoutProfile.empty() ? LogLevel::Info
                                                                              : LogLevel::Warn;
    log.Write(level, line + UserChanges(user));
  }
  if (!user.unload)
    log.Error("User " + user.sid + ": hive HKU\\" + platform::OwnHiveName(user.sid) +
              " could not be unloaded (the user gets a temporary profile until it is), " + DescribeError(user.unload));
}

void LogOutcome(CInstallLog& log, const InstallReport& report) {
  const std::string outcome = "Outcome: " + RunEndMeaning(EndOf(report.outcome));
  switch (report.outcome) {
    case InstallOutcome::Installed:
      log.Info(outcome + ", into " + report.installDir);
      return;
    case InstallOutcome::Incomplete:
      log.Warn(outcome + " (" + mbcs::Decimal(report.settingsFailed) + " settings, " +
               mbcs::Decimal(report.filesFailed) + " support files" +
               (report.uninstallFailed > 0 ? ", " + mbcs::Decimal(report.uninstallFailed) + " parts of the uninstaller"
                                           : std::string()) +
               (report.settingsFileFailed > 0 ? std::string(", the settings file") : std::string()) +
               (report.users.failed > 0 ? ", " + mbcs::Decimal(report.users.failed) + " users" : std::string()) +
               "), into " + report.installDir);
      return;
    case InstallOutcome::HostRunning:
      log.Warn(outcome);
      return;
    case InstallOutcome::FolderRefused:
    case InstallOutcome::DataMissing:
    case InstallOutcome::DataUnreadable:
    case InstallOutcome::Aborted:
      break;
  }
  log.Error(outcome);
}

struct RemovalRow {
  RemovalEvent::What what;
  const char* name;
  bool key;  // the target is a registry key, named with its hive and view
};

constexpr RemovalRow kRemovals[] = {
    {RemovalEvent::What::File, "File", false},
    {RemovalEvent::What::Folder, "Folder", false},
    {RemovalEvent::What::LoaderKey, "Loader key", true},
    {RemovalEvent::What::TrustedPaths, "TRUSTEDPATHS of", true},
    {RemovalEvent::What::SupportPath, "Support file search path (ACAD) of", true},
    {RemovalEvent::What::PlotDriver, "AutoCAD 2008 plot driver", false},
    {RemovalEvent::What::Backup, "Backup of AutoCAD's plot driver", false},
    {RemovalEvent::What::Entry, "Programs and Features entry", true},
    {RemovalEvent::What::Record, "Install record", false},
    {RemovalEvent::What::Font, "Font", false},
    {RemovalEvent::What::Settings, "Settings file", false},
    {RemovalEvent::What::SettingsKept, "The user's own settings file from before the install, kept as", false},
    {RemovalEvent::What::User, "User", false},
    {RemovalEvent::What::UserRecord, "User record", true},
    {RemovalEvent::What::ActiveSetupMarker, "Active Setup marker", true},
    {RemovalEvent::What::UserHive, "Hive", true},
    {RemovalEvent::What::LogonStep, "Logon step", true},
};

std::string RemovalWhat(const RemovalEvent& event) {
  const RemovalRow& row = RowOf(kRemovals, &RemovalRow::what, event.what);
  const std::string detail = event.detail.empty() ? std::string() : " (" + event.detail + ")";
  if (!row.key) return std::string(row.name) + " " + event.target + detail;
  return std::string(row.name) + " " + HiveName(event.hive) + "\\" + event.target +
         (event.view != 0 ? " (" + mbcs::Decimal(event.view) + "-bit registry view)" : std::string());
}

struct ResultRow {
  RemovalEvent::Result result;
  LogLevel level;
  const char* said;  // null: the failure, said with its error
};

constexpr ResultRow kResults[] = {
    {RemovalEvent::Result::Removed, LogLevel::Info, "removed"},
    {RemovalEvent::Result::Restored, LogLevel::Info, "put back as it was before the install"},
    {RemovalEvent::Result::Kept, LogLevel::Info, "kept"},
    {RemovalEvent::Result::Unchanged, LogLevel::Info, "already gone"},
    {RemovalEvent::Result::NotOurs, LogLevel::Warn, "changed since by another install or by the user, left as it is"},
    {RemovalEvent::Result::Unreachable, LogLevel::Error,
     "in a registry view this edition cannot reach, left in the record"},
    {RemovalEvent::Result::NotReached, LogLevel::Warn, "not reached, the user's part stays there"},
    {RemovalEvent::Result::Failed, LogLevel::Error, nullptr},
};

const ResultRow& RowOf(RemovalEvent::Result result) { return RowOf(kResults, &ResultRow::result, result); }

// Where a user or a hive is meant, the results say it in their own words;
// a failure's error goes between `said` and `then`.
struct PhraseRow {
  RemovalEvent::What what;
  RemovalEvent::Result result;
  const char* said;
  const char* then;
};

constexpr PhraseRow kPhrases[] = {
    {RemovalEvent::What::User, RemovalEvent::Result::Removed, "the user's part taken back", ""},
    {RemovalEvent::What::User, RemovalEvent::Result::Unchanged,
     "no record of this installation in the user's registry, nothing to take back", ""},
    {RemovalEvent::What::User, RemovalEvent::Result::NotOurs, "left as it is", ""},
    {RemovalEvent::What::User, RemovalEvent::Result::Failed, "the user's part not wholly taken back",
     "; the install record keeps it for a second uninstall"},
    {RemovalEvent::What::UserHive, RemovalEvent::Result::Removed, "unloaded (a run that was stopped left it loaded)",
     ""},
    {RemovalEvent::What::UserHive, RemovalEvent::Result::Failed, "not unloaded",
     "; its user gets a temporary profile at logon until it is"},
};

LogLevel LevelOf(UninstallNotice notice) {
  return notice == UninstallNotice::Summary ? LogLevel::Info : LogLevel::Warn;
}

// `value` in decimal with leading zeros to `width` digits, as "%0*d" writes
// it, without the C library's formatter.
std::string Padded(int value, std::size_t width) {
  std::string digits = mbcs::Decimal(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::string FormatLogLine(const platform::LocalTime& time, LogLevel level, const std::string& text) {
  const std::string stamp = Padded(time.year, 4) + "-" + Padded(time.month, 2) + "-" + Padded(time.day, 2) + " " +
                            Padded(time.hour, 2) + ":" + Padded(time.minute, 2) + ":" + Padded(time.second, 2) + "." +
                            Padded(time.millisecond, 3) + " ";
  return stamp + LevelName(level) + " " + OneLine(text);
}

CInstallLog::CInstallLog(std::string path, std::unique_ptr<platform::LogFile> file)
    : path_(std::move(path)), file_(std::move(file)) {}

std::unique_ptr<CInstallLog> CInstallLog::Open(const std::string& path, Status* status) {
  std::unique_ptr<platform::LogFile> file = platform::GetLogFiles().OpenForAppend(path, status);
  if (!file) return nullptr;
  return std::unique_ptr<CInstallLog>(new CInstallLog(path, std::move(file)));
}

void CInstallLog::Write(LogLevel level, const std::string& text) {
  if (!file_->AppendLine(FormatLogLine(platform::GetClock().Now(), level, writer_ + text))) ++failedWrites_;
}

void LogRunHeader(CInstallLog& log, const BuildInfo& build) {
  platform::SystemInfo& system = platform::GetSystemInfo();
  log.Info(std::string("===== ") + kProductName + " SetUp.exe " + ProductVersion(build) + ", " +
           mbcs::Decimal(build.editionBits) + "-bit edition");
  log.Info("Program: " + platform::GetFiles().ModulePath());
  log.Info("Command line: " + system.CommandLine());
  const bool elevated = platform::GetRights().Token() == platform::TokenRights::Full;
  log.Info("User: " + system.UserName() + ", elevated: " + (elevated ? "yes" : "no"));
  log.Info("Windows " + system.WindowsVersion());
}

void LogHostsFound(CInstallLog& log, const CAcadHosts& hosts, int editionBits) {
  bool any = false;
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    for (std::size_t k = 0; k < hosts.locations[slot].size(); ++k) {
      const std::string& key = hosts.productKeys[slot][k];
      log.Info("Found AutoCAD " + mbcs::Decimal(kFirstReleaseYear + slot) + ": product key HKLM\\" +
               WithoutTrailingBackslash(key) + ", " + RegistryView(key, editionBits) + " registry view, location " +
               hosts.locations[slot][k]);
      any = true;
    }
  }
  if (!any) log.Warn("No AutoCAD installation found");
}

void LogSkippedReleases(CInstallLog& log, const ReleaseChoice& choice, int editionBits) {
  for (const SkippedRelease& skipped : choice.skipped) {
    log.Write(skipped.reason == SkipReason::NotNamed ? LogLevel::Info : LogLevel::Warn,
              "AutoCAD " + mbcs::Decimal(skipped.year) + " skipped: " + SkipReasonText(skipped.reason, editionBits));
  }
}

std::string DescribeError(Status status) {
  const std::string text = platform::GetSystemInfo().ErrorText(status.code());
  return "error " + mbcs::Decimal(status.code()) + (text.empty() ? "" : ": " + text);
}

CopyDecision LoggingDriver::OnCopyFailed(const FileEvent& failure, const std::string& question) {
  const CopyDecision decision = answering_.OnCopyFailed(failure, question);
  switch (decision) {
    case CopyDecision::Retry:
      log_.Warn("Copying " + failure.destination + " again");
      break;
    case CopyDecision::Ignore:
      log_.Warn("Going on without " + failure.destination);
      break;
    case CopyDecision::Abort:
      log_.Error("Install aborted at " + failure.destination);
      break;
  }
  return decision;
}

void LoggingDriver::Tell(Notice notice, const std::string& text) {
  log_.Write(LevelOf(notice), "Message: " + Flattened(text));
  answering_.Tell(notice, text);
}

void LoggingDriver::OnFile(const FileEvent& event) {
  LogFile(event);
  answering_.OnFile(event);
}

void LoggingDriver::OnValue(const ValueEvent& event) {
  LogValue(event.hive, event.key, event.name, std::nullopt, event.data, event.status);
  answering_.OnValue(event);
}

void LoggingDriver::OnLoader(const LoaderWrite& write) {
  if (write.loadCtrlsStatus)
    LogValue(Hive::LocalMachine, write.keyPath, "LOADCTRLS", std::nullopt, mbcs::Decimal(write.loadCtrls),
             *write.loadCtrlsStatus);
  LogValue(Hive::LocalMachine, write.keyPath, "LOADER", std::nullopt, write.loader, write.loaderStatus);
  answering_.OnLoader(write);
}

void LoggingDriver::OnTrustedPaths(const TrustedPathWrite& write) {
  LogValue(Hive::CurrentUser, write.change.key, "TRUSTEDPATHS", write.previous, write.list, write.status);
  answering_.OnTrustedPaths(write);
}

void LoggingDriver::OnSupportPath(const SupportPathWrite& write) {
  LogValue(Hive::CurrentUser, write.change.key, "ACAD", write.previous, write.list, write.status);
  answering_.OnSupportPath(write);
}

void LoggingDriver::OnSupportFile(const SupportFileWrite& write) {
  if (write.backup) LogFile(*write.backup);
  LogFile(write.file);
  answering_.OnSupportFile(write);
}

void LoggingDriver::OnFolderFallback(const std::string& refused, platform::Status why, const std::string& installDir) {
  log_.Info("Install folder " + refused + " cannot be made (" + DescribeError(why) + "): installing into " +
            installDir + " instead");
  answering_.OnFolderFallback(refused, why, installDir);
}

bool LoggingDriver::TakeBackUserInstall(const std::string& installDir) {
  const bool takeBack = answering_.TakeBackUserInstall(installDir);
  if (!takeBack)
    log_.Warn("The install for the current user alone in " + installDir +
              " stays, as answered: its loaders below HKEY_CURRENT_USER hide this install's from AutoCAD for that user");
  return takeBack;
}

void LoggingDriver::OnFolderLock(const FolderLock& lock) {
  const LockRow& row = RowOf(kLocks, &LockRow::what, lock.what);
  log_.Write(row.level, "Install folder " + lock.folder + ": " + row.said +
                            (lock.status ? std::string() : ", " + DescribeError(lock.status)));
  answering_.OnFolderLock(lock);
}

void LoggingDriver::OnLeftoverHive(const platform::HiveUnload& leftover) {
  const std::string line = "Hive HKU\\" + leftover.name + " left loaded by an earlier run: ";
  if (leftover.status)
    log_.Warn(line + "unloaded");
  else
    log_.Error(line + "could not be unloaded, " + DescribeError(leftover.status));
  answering_.OnLeftoverHive(leftover);
}

void LoggingDriver::OnUserSkipped(const platform::SkippedProfile& skipped) {
  log_.Warn("User profile " + skipped.name + " left to the logon step: " + skipped.reason);
  answering_.OnUserSkipped(skipped);
}

void LoggingDriver::OnUser(const UserServed& user) {
  LogUser(log_, user);
  answering_.OnUser(user);
}

void LoggingDriver::LogFile(const FileEvent& event) {
  std::string line = FileWhat(event.kind) + " " + (event.source.empty() ? std::string() : event.source + " -> ") +
                     event.destination;
  if (event.kind != FileKind::SupportFile) line += " (" + mbcs::Decimal(event.bytes) + " bytes)";
  const bool written = event.kind == FileKind::Record;
  if (event.status)
    log_.Info(line + (written ? ": written" : ": copied"));
  else
    log_.Error(line + (written ? ": not written, " : ": not copied, ") + DescribeError(event.status));
}

void LoggingDriver::LogValue(Hive hive, const std::string& key, const std::string& name,
                             const std::optional<std::string>& previous, const std::string& data, Status status) {
  std::string line = "Registry " + HiveName(hive) + "\\" + key + " " + (name.empty() ? "(default)" : name);
  // The user's profile lists are changed, not set: say what they held.
  if (hive == Hive::CurrentUser) line += " before: " + previous.value_or("(none)") + ";";
  if (status)
    log_.Info(line + " written: " + data);
  else
    log_.Error(line + " not written (" + data + "), " + DescribeError(status));
}

namespace {

InstallReport InstallLogged(CInstallEngine& engine, InstallRequest request, InstallDriver& driver, CInstallLog* log) {
  if (log == nullptr) return engine.Install(request, driver);
  request.logPath = log->path();
  const std::string years = Years(request.ticked);
  const std::string into = "Install into \"" + request.folderText + "\" for ";
  if (years.empty())
    log->Warn(into + "no AutoCAD release: only the files and the trusted paths");
  else
    log->Info(into + "AutoCAD " + years);
  if (request.everyUser)
    log->Info("For every user of the machine: each user's profiles and settings file, and the logon steps for "
              "users not reached");
  if (request.currentUser)
    log->Info("For the current user alone: the loaders, the support path and the Programs and Features entry under "
              "HKEY_CURRENT_USER, the fonts in the install folder");
  LoggingDriver logging(driver, *log);
  const InstallReport report = engine.Install(request, logging);
  if (report.plotDriverLeft)
    log->Warn("AutoCAD 2008's plot driver not placed: it goes into AutoCAD's program folder, which an install for "
              "the current user alone does not write");
  const bool usersServed =
      report.outcome == InstallOutcome::Installed || report.outcome == InstallOutcome::Incomplete;
  if (request.everyUser && usersServed)
    log->Write(report.users.failed > 0 ? LogLevel::Error : LogLevel::Info,
               "Every user: " + mbcs::Decimal(report.users.served) + " served, " +
                   mbcs::Decimal(report.users.failed) + " not wholly served, " + mbcs::Decimal(report.users.skipped) +
                   " left to the logon step");
  LogOutcome(*log, report);
  return report;
}

}  // namespace

InstallReport InstallWithLog(CInstallEngine& engine, InstallRequest request, InstallDriver& driver, CInstallLog* log) {
  // What stops half-way is taken back, and logged as the uninstall logs it.
  CUninstallTakeBack takeBack(request.build.editionBits, log);
  engine.SetTakeBack(&takeBack);
  const InstallReport report = InstallLogged(engine, std::move(request), driver, log);
  engine.SetTakeBack(nullptr);
  return report;
}

std::string DescribeRemoval(const RemovalEvent& event) {
  const std::string what = RemovalWhat(event) + ": ";
  const PhraseRow* phrase = std::find_if(std::begin(kPhrases), std::end(kPhrases), [&](const PhraseRow& row) {
    return row.what == event.what && row.result == event.result;
  });
  if (phrase != std::end(kPhrases)) {
    const bool error = event.result == RemovalEvent::Result::Failed && !event.status;
    return what + phrase->said + (error ? ", " + DescribeError(event.status) : std::string()) + phrase->then;
  }
  const char* said = RowOf(event.result).said;
  if (said != nullptr) return what + said;
  return what + "not removed, " + DescribeError(event.status) + "; left in the record";
}

bool LoggingUninstallDriver::Confirm(const std::string& question) {
  const bool yes = answering_.Confirm(question);
  log_.Write(yes ? LogLevel::Info : LogLevel::Warn,
             "Question: " + Flattened(question) + " Answer: " + (yes ? "yes" : "no"));
  return yes;
}

void LoggingUninstallDriver::Tell(UninstallNotice notice, const std::string& text) {
  log_.Write(LevelOf(notice), "Message: " + Flattened(text));
  answering_.Tell(notice, text);
}

void LoggingUninstallDriver::OnRemoval(const RemovalEvent& event) {
  log_.Write(RowOf(event.result).level, DescribeRemoval(event));
  answering_.OnRemoval(event);
}

namespace {

// The users of an installation for every user, where the uninstall met any.
std::string UsersCounted(const UninstallReport& report) {
  if (report.usersTakenBack + report.usersNotReached + report.usersFailed == 0) return std::string();
  return "; users: " + mbcs::Decimal(report.usersTakenBack) + " taken back, " +
         mbcs::Decimal(report.usersNotReached) + " not reached, " + mbcs::Decimal(report.usersFailed) +
         " not wholly taken back";
}

}  // namespace

UninstallReport UninstallWithLog(CUninstallEngine& engine, const UninstallRequest& request, UninstallDriver& driver,
                                 CInstallLog* log) {
  if (log == nullptr) return engine.Uninstall(request, driver);
  log->Info("Uninstall from \"" + request.installDir + "\"");
  LoggingUninstallDriver logging(driver, *log);
  const UninstallReport report = engine.Uninstall(request, logging);
  const bool tookBack = report.outcome == UninstallOutcome::Removed || report.outcome == UninstallOutcome::Incomplete;
  if (report.recordState == RecordState::Truncated && tookBack)
    log->Warn("The install record has no end line: the install into this folder did not finish; what it names was "
              "taken back as by an uninstall");
  const std::string outcome = "Outcome: " + RunEndMeaning(EndOf(report.outcome));
  const std::string counts = " (" + mbcs::Decimal(report.removed) + " removed, " + mbcs::Decimal(report.restored) +
                             " put back, " + mbcs::Decimal(report.leftAlone) + " left as others changed them, " +
                             mbcs::Decimal(report.failed) + " not removed" + UsersCounted(report) + ")";
  for (int line : report.ignoredLines) {
    const bool otherFile = std::find(report.otherFileLines.begin(), report.otherFileLines.end(), line) !=
                           report.otherFileLines.end();
    log->Warn("Install record line " + mbcs::Decimal(line) +
              (otherFile ? " names a file Windows would take for another (a trailing dot or space, a short 8.3 name "
                           "or a device name)"
                         : " not understood") +
              ": ignored, nothing of it removed");
  }
  switch (report.outcome) {
    case UninstallOutcome::Removed:
      log->Info(outcome + counts);
      break;
    case UninstallOutcome::Incomplete:
      log->Error(outcome + counts);
      break;
    default:
      log->Warn(outcome);
      break;
  }
  return report;
}
