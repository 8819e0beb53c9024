// Support-file placement's backup area (support_files.cpp).
#pragma once

#include <string>

// The install folder's sub-folder that keeps AutoCAD's own plot drivers which
// the add-on's replaced, so that the uninstall can put them back.
constexpr char kBackupFolder[] = "Backup";

// Backups of one driver name there: the name itself, then the name with the
// number for its extension (pdfplot9.2, pdfplot9.3, ...), which no AutoCAD
// loads, up to this many: one digit, so that no backup's path is longer than
// a loader module's, which sets the limit of the install folder.
constexpr int kMaxBackupsOfOneName = 9;
std::string BackupName(const std::string& name, int number);
