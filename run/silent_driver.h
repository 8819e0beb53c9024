// The engine's driver for an unattended install: no window and no message
// box, ever. It answers the one question itself: a failed copy is tried
// again a few times, a while apart (a file AutoCAD or a virus scanner holds
// briefly), and then the install is aborted. What the user would have been
// told goes to the log, through the LoggingDriver in front of it.
#pragma once

#include <string>

#include "install/install_engine.h"

// Tries after the first failed copy of a file, and the wait before each.
constexpr int kSilentCopyRetries = 3;
constexpr unsigned kSilentRetryDelayMs = 1000;

class SilentDriver : public QuietInstallDriver {
 public:
  CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) override;

 private:
  std::string retrying_;  // the destination being tried again
  int retries_ = 0;       // tries of it so far
};
