// Taking back an install that stopped half-way, one whose unfinished record
// the next install into the folder finds, or the current user's install for
// that user alone before a machine-wide one: the uninstall engine does it,
// with no question asked, and the install's log (if any) names every step as
// the uninstall's log does.
#pragma once

#include "install/install_engine.h"
#include "run/install_log.h"

class CUninstallTakeBack : public TakeBack {
 public:
  // `log` may be null: nothing is logged.
  CUninstallTakeBack(int editionBits, CInstallLog* log) : editionBits_(editionBits), log_(log) {}

  TakeBackCount Run(const std::string& installDir, const InstallRecord& changes, const InstallRecord& kept,
                    TakeBackOf what) override;

 private:
  int editionBits_;
  CInstallLog* log_;
};
