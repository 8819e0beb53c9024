// The switches on any arguments (the input split at NUL bytes, as the
// system hands them over): nothing crashes, every argument not understood
// is named once at most (plus the rules between switches), and what is
// understood is what the arguments say.
#include <algorithm>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool Given(const std::vector<std::string>& arguments, const std::string& value) {
  return std::any_of(arguments.begin(), arguments.end(), [&](const std::string& argument) {
    return argument.size() > value.size() && argument.compare(argument.size() - value.size(), value.size(), value) == 0;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  std::vector<std::string> arguments;
  while (!input.empty() && arguments.size() < 64) arguments.push_back(input.Until('\0'));
  const ParsedArguments parsed = ParseArguments(arguments);
  constexpr std::size_t kRulesBetweenSwitches = 3;
  FUZZ_CHECK(parsed.errors.size() <= arguments.size() + kRulesBetweenSwitches);
  for (const std::string& error : parsed.errors) FUZZ_CHECK(!error.empty());
  const SetupOptions& options = parsed.options;
  if (options.folder) FUZZ_CHECK(!options.folder->empty() && Given(arguments, *options.folder));
  if (options.logPath) FUZZ_CHECK(!options.logPath->empty() && Given(arguments, *options.logPath));
  if (options.removeFolder) FUZZ_CHECK(Given(arguments, *options.removeFolder));
  if (options.releases) {
    FUZZ_CHECK(std::is_sorted(options.releases->begin(), options.releases->end()));
    FUZZ_CHECK(std::adjacent_find(options.releases->begin(), options.releases->end()) == options.releases->end());
    for (int year : *options.releases) FUZZ_CHECK(year >= 0 && year <= 9999);
  }
  // The logon step never shows a window, whatever else it is given.
  if (options.mode == RunMode::UserPart) FUZZ_CHECK(options.silent);
  if (parsed.errors.empty()) {
    const bool uninstall = options.mode == RunMode::Uninstall || options.removeFolder;
    FUZZ_CHECK(!(uninstall && options.releases));
    FUZZ_CHECK(!(uninstall && options.everyUser));
    FUZZ_CHECK(!options.finishAfter || options.removeFolder);
    FUZZ_CHECK((options.mode == RunMode::Finish) == options.finishAfter.has_value() || options.mode == RunMode::Usage);
  }
  return 0;
}
