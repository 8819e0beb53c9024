// Collects, from the events of an install, what its record names: only what
// was written, as it was before.
#pragma once

#include <string>
#include <vector>

#include "deploy/events.h"
#include "record/install_record.h"

class InstallRecorder : public InstallEvents {
 public:
  InstallRecorder(std::string installDir, int editionBits);

  void OnFile(const FileEvent& event) override;
  void OnValue(const ValueEvent& event) override;
  void Add(const InstallRecord& more) { MergeInto(record_, more); }

  // What the install changed. A loader key that already named this install
  // folder counts as made by the install; a backup of a driver that ours did
  // not replace names nothing.
  InstallRecord Record() const;

 private:
  void OnLoaderValue(const ValueEvent& event);
  void OnTrustedPaths(const ValueEvent& event);

  std::string installDir_;
  int editionBits_;
  InstallRecord record_;
  // Per loader key, whose previous values were taken: the first write of a
  // value saw it as it was before the install.
  struct Seen {
    bool loadCtrls = false;
    bool loader = false;
  };
  std::vector<Seen> loadersSeen_;
};
