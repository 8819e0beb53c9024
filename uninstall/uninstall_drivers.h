// Who answers the uninstall engine: message boxes for the user who started
// the uninstaller, or nobody at all for an unattended uninstall (its log, in
// front of it, says everything).
#pragma once

#include <string>

#include "uninstall/uninstall_engine.h"

// The Yes/No question and every message as a box captioned kMessageCaption.
class BoxUninstallDriver : public UninstallDriver {
 public:
  bool Confirm(const std::string& question) override;
  void Tell(UninstallNotice notice, const std::string& text) override;
  void OnRemoval(const RemovalEvent&) override {}
};

// No window, no box: the question is answered Yes (the command line asked).
class SilentUninstallDriver : public UninstallDriver {
 public:
  bool Confirm(const std::string&) override { return true; }
  void Tell(UninstallNotice, const std::string&) override {}
  void OnRemoval(const RemovalEvent&) override {}
};
