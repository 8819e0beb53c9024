// The texts the uninstall shows its user (a message box captioned
// kMessageCaption, or a line of the log).
#pragma once

#include <string>

struct UninstallReport;

// The Yes/No question before anything is removed.
std::string UninstallQuestionText(const std::string& installDir);
std::string UninstallHostRunningText();
// No record in the folder: nothing to uninstall there.
std::string NotInstalledText(const std::string& installDir);
// /UNINSTALL with no folder, and no Programs and Features entry to take one
// from.
std::string NoEntryText();
// /DIR= names no folder.
std::string UninstallFolderInvalidText(const std::string& folderText);
// The record cannot be trusted, and why; nothing was changed.
std::string RecordDamagedText(const UninstallReport& report);
// What was removed, what was put back, what was kept and what is left.
std::string UninstallSummaryText(const UninstallReport& report);
