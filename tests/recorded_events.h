// Keeps what the deployment and the AutoCAD integration report, for tests to
// look at.
#pragma once

#include <vector>

#include "deploy/events.h"

class RecordedEvents : public InstallEvents {
 public:
  void OnFile(const FileEvent& event) override { files.push_back(event); }
  void OnValue(const ValueEvent& event) override { values.push_back(event); }

  std::vector<FileEvent> files;
  std::vector<ValueEvent> values;
};
