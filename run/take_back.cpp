#include "run/take_back.h"

#include "platform/mbcs.h"
#include "uninstall/uninstall_drivers.h"
#include "uninstall/uninstall_engine.h"

TakeBackCount CUninstallTakeBack::Run(const std::string& installDir, const InstallRecord& changes,
                                      const InstallRecord& kept, TakeBackOf what) {
  TakeBackRequest request;
  request.installDir = installDir;
  request.editionBits = editionBits_;
  request.changes = changes;
  request.kept = kept;
  SilentUninstallDriver silent;
  CUninstallEngine engine;
  UninstallReport report;
  if (log_ == nullptr) {
    report = engine.TakeBack(request, silent);
  } else {
    if (what == TakeBackOf::UserInstall)
      log_->Info("Taking back the install for the current user alone in " + installDir +
                 " first: its loaders below HKEY_CURRENT_USER would hide this install's from AutoCAD");
    else
      log_->Warn("Taking back the install into " + installDir + " that stopped or did not finish" +
                 (kept.NamesNothing() ? std::string() : "; what an earlier install into the folder left stays"));
    LoggingUninstallDriver logging(silent, *log_);
    report = engine.TakeBack(request, logging);
    log_->Write(report.complete() ? LogLevel::Info : LogLevel::Error,
                "Taken back: " + mbcs::Decimal(report.removed) + " removed, " + mbcs::Decimal(report.restored) +
                    " put back, " + mbcs::Decimal(report.leftAlone) + " left as others changed them, " +
                    mbcs::Decimal(report.failed + report.usersFailed) + " not taken back (still in the record)");
  }
  return {report.removed + report.restored, report.failed + report.usersFailed};
}
