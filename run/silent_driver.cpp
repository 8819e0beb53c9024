#include "run/silent_driver.h"

#include "platform/clock.h"

CopyDecision SilentDriver::OnCopyFailed(const FileEvent& failure, const std::string&) {
  if (failure.destination != retrying_) {
    retrying_ = failure.destination;
    retries_ = 0;
  }
  // The settings file lies outside the install folder, in the user's
  // profile: without it the add-on still installs, and the run ends with 7.
  if (retries_ == kSilentCopyRetries)
    return failure.kind == FileKind::Settings ? CopyDecision::Ignore : CopyDecision::Abort;
  ++retries_;
  platform::GetClock().Sleep(kSilentRetryDelayMs);
  return CopyDecision::Retry;
}
