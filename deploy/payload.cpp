#include "deploy/payload.h"

#include "platform/mbcs.h"

bool IsSkippedEntry(std::string_view name) {
  if (mbcs::EqualsNoCase(name, kSetupProgramName)) return true;
  for (const SupportFile& file : kSupportFiles) {
    if (mbcs::EqualsNoCase(name, file.source)) return true;
  }
  return false;
}

std::string_view InstalledName(std::string_view entry) {
  for (const Rename& rename : kRenames) {
    if (mbcs::EqualsNoCase(entry, rename.entry)) return rename.installedAs;
  }
  return entry;
}
