// Collects, from what an install wrote, what its record names: only what was
// written, as it was before.
#pragma once

#include <string>

#include "deploy/events.h"
#include "hosts/changes.h"
#include "record/install_record.h"

class InstallRecorder {
 public:
  InstallRecorder(std::string installDir, int editionBits);

  // A file the deployment copied: into the install folder, or the settings
  // file.
  void OnFile(const FileEvent& event);
  // A loader key that already named this install folder counts as made by
  // the install. Of one key reached by two paths, the first write tells what
  // it held before.
  void Add(const LoaderWrite& write);
  void Add(const TrustedPathWrite& write);
  // A profile's support file search path (of the same type as a
  // TRUSTEDPATHS write, hence its own name).
  void AddSupportPath(const SupportPathWrite& write);
  // A backup of a driver that ours did not then replace names nothing.
  void Add(const SupportFileWrite& write);
  void Add(const InstallRecord& more) { MergeInto(record_, more); }

  // What the install changed.
  const InstallRecord& Record() const { return record_; }

 private:
  std::string installDir_;
  int editionBits_;
  InstallRecord record_;
};
