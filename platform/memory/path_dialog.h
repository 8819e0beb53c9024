// The folder picker's stand-in for the native build, where there is no shell
// to browse with: a test says what the next run returns and which path it
// accepted, and reads back what each run was given.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// What one run of the picker was given; a null text is std::nullopt.
struct PickerRun {
  std::optional<std::string> caption;
  std::optional<std::string> title;
  std::optional<std::string> initialPath;
};

class MemoryPicker {
 public:
  // Scripts the next run: it accepts `path` (returns 1, the path read like
  // the path box's text, so cut to the path buffer), or is cancelled
  // (returns -1). A run with nothing scripted is cancelled.
  static void Accept(const std::string& path);
  static void Cancel();
  static const std::vector<PickerRun>& runs();
  static void Clear();
};

}  // namespace platform
