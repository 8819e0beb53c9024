#include "run/silent_driver.h"

#include "platform/clock.h"

CopyDecision SilentDriver::OnCopyFailed(const FileEvent& failure, const std::string&) {
  if (failure.destination != retrying_) {
    retrying_ = failure.destination;
    retries_ = 0;
  }
  if (retries_ == kSilentCopyRetries) return CopyDecision::Abort;
  ++retries_;
  platform::GetClock().Sleep(kSilentRetryDelayMs);
  return CopyDecision::Retry;
}
