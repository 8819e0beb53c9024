// The install log: one line per event, with the local time and a level,
// appended to a file through the log-file service (UTF-8, CRLF). A run
// starts with a header (version, command line, user, rights, Windows), then
// the installations found, the releases skipped, every file and registry
// value with the system's answer, and how the install ended.
//
// The log is written through the engine's event interface: LoggingDriver
// sits in front of whichever driver answers the engine's questions (the
// dialog, or the unattended install), so both write the same log.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "install/edition.h"
#include "install/install_engine.h"
#include "install/release_choice.h"
#include "platform/clock.h"
#include "platform/log_file.h"
#include "uninstall/uninstall_engine.h"

enum class LogLevel { Info, Warn, Error };

// "2023-12-18 09:05:03.042 INFO  text": line breaks inside the text become
// spaces, so every event stays one line.
std::string FormatLogLine(const platform::LocalTime& time, LogLevel level, const std::string& text);

class CInstallLog {
 public:
  // Opens `path` for appending; null, with the reason in `*status`, when it
  // cannot be.
  static std::unique_ptr<CInstallLog> Open(const std::string& path, platform::Status* status);

  const std::string& path() const { return path_; }

  // Two processes of one run append to one log (the first one and the
  // elevated copy it hands over to): every line then starts with `writer`
  // in brackets, e.g. "[4242 first]".
  void SetWriter(const std::string& writer) { writer_ = "[" + writer + "] "; }

  void Write(LogLevel level, const std::string& text);
  void Info(const std::string& text) { Write(LogLevel::Info, text); }
  void Warn(const std::string& text) { Write(LogLevel::Warn, text); }
  void Error(const std::string& text) { Write(LogLevel::Error, text); }

  // Lines lost to a failing file (a full disk, a share gone away). The
  // install does not stop for its log.
  [[nodiscard]] int failedWrites() const { return failedWrites_; }

 private:
  CInstallLog(std::string path, std::unique_ptr<platform::LogFile> file);

  std::string path_;
  std::unique_ptr<platform::LogFile> file_;
  std::string writer_;
  int failedWrites_ = 0;
};

// The first lines of a run: program, version and edition, command line,
// user, elevation, Windows version.
void LogRunHeader(CInstallLog& log, const BuildInfo& build);

// Every installation discovery found: year, product key, registry view and
// location.
void LogHostsFound(CInstallLog& log, const CAcadHosts& hosts, int editionBits);

// Every release left out, and why.
void LogSkippedReleases(CInstallLog& log, const ReleaseChoice& choice, int editionBits);

// "error 5: <the system's text>".
std::string DescribeError(platform::Status status);

// Writes every event to the log and passes everything on to `answering`,
// whose answers it logs too.
class LoggingDriver : public InstallDriver {
 public:
  LoggingDriver(InstallDriver& answering, CInstallLog& log) : answering_(answering), log_(log) {}

  void OnProgressBegin() override { answering_.OnProgressBegin(); }
  void OnProgressStep() override { answering_.OnProgressStep(); }
  void OnProgressEnd() override { answering_.OnProgressEnd(); }
  CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) override;
  void Tell(Notice notice, const std::string& text) override;
  void OnFile(const FileEvent& event) override;
  void OnValue(const ValueEvent& event) override;
  void OnLoader(const LoaderWrite& write) override;
  void OnTrustedPaths(const TrustedPathWrite& write) override;
  void OnSupportFile(const SupportFileWrite& write) override;
  void OnSupportPath(const SupportPathWrite& write) override;
  bool TakeBackUserInstall(const std::string& installDir) override;
  void OnFolderLock(const FolderLock& lock) override;
  void OnFolderFallback(const std::string& refused, platform::Status why, const std::string& installDir) override;
  void OnLeftoverHive(const platform::HiveUnload& leftover) override;
  void OnUserSkipped(const platform::SkippedProfile& skipped) override;
  void OnUser(const UserServed& user) override;

 private:
  void LogFile(const FileEvent& event);
  void LogValue(platform::Hive hive, const std::string& key, const std::string& name,
                const std::optional<std::string>& previous, const std::string& data, platform::Status status);

  InstallDriver& answering_;
  CInstallLog& log_;
};

// Runs the engine; with a log, names the folder and releases first, logs
// every event through a LoggingDriver, and the outcome last.
InstallReport InstallWithLog(CInstallEngine& engine, InstallRequest request, InstallDriver& driver, CInstallLog* log);

// The uninstall's log: every removal with the system's answer, the question
// and its answer, every message, passed on to `answering`.
class LoggingUninstallDriver : public UninstallDriver {
 public:
  LoggingUninstallDriver(UninstallDriver& answering, CInstallLog& log) : answering_(answering), log_(log) {}

  bool Confirm(const std::string& question) override;
  void Tell(UninstallNotice notice, const std::string& text) override;
  void OnRemoval(const RemovalEvent& event) override;

 private:
  UninstallDriver& answering_;
  CInstallLog& log_;
};

// "Loader key HKLM\...: removed" and the like: one removal as the log says it.
std::string DescribeRemoval(const RemovalEvent& event);

// Runs the uninstall engine; with a log, names the folder first, logs every
// event through a LoggingUninstallDriver, and the outcome last.
UninstallReport UninstallWithLog(CUninstallEngine& engine, const UninstallRequest& request, UninstallDriver& driver,
                                 CInstallLog* log);
