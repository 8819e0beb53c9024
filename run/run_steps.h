// The steps every run of the program shares, whether it installs or
// uninstalls: a box for the user, the log the switches ask for, the lock
// against a second setup program, and the last line of the log.
#pragma once

#include <memory>
#include <string>

#include "deploy/product.h"
#include "platform/instance_lock.h"
#include "run/command_line.h"
#include "run/exit_code.h"
#include "run/install_log.h"

// A box captioned kMessageCaption.
void ShowBox(const std::string& text, unsigned style);
void ShowWarning(const std::string& text);

// Opens the log the options ask for, if any (an unattended run always keeps
// one), and writes its header. False when it cannot be opened; the user is
// told unless the run is silent.
bool OpenLog(const SetupOptions& options, const BuildInfo& build, std::unique_ptr<CInstallLog>* log);

// False when another setup program holds the lock; the user is told unless
// the run is silent.
bool AcquireLock(bool silent, CInstallLog* log, std::unique_ptr<platform::InstanceLock>* lock);

// Logs how the run ends, and returns its exit code.
ExitCode Finish(CInstallLog* log, RunEnd end);
