// Keeps what the deployment and the AutoCAD integration report, for tests to
// look at.
#pragma once

#include <functional>
#include <vector>

#include "deploy/events.h"
#include "hosts/changes.h"

class RecordedEvents : public InstallEvents {
 public:
  void OnFile(const FileEvent& event) override { files.push_back(event); }
  void OnValue(const ValueEvent& event) override { values.push_back(event); }

  std::vector<FileEvent> files;
  std::vector<ValueEvent> values;
};

// What `look` finds on the machine as each write is announced.
struct RecordingJournal : ChangeJournal {
  void BeforeLoader(const LoaderWrite&) override { seen.push_back(look()); }
  void BeforeTrustedPaths(const TrustedPathWrite&) override { seen.push_back(look()); }
  void BeforeSupportFile(const SupportFileWrite&) override { seen.push_back(look()); }
  void BeforeSupportPath(const SupportPathWrite&) override { seen.push_back(look()); }
  std::function<std::string()> look;
  std::vector<std::string> seen;
};
