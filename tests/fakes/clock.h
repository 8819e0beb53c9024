// A clock for tests: it stands still at a set time and never really waits;
// Sleep moves it on and is recorded.
#pragma once

#include <vector>

#include "platform/clock.h"

namespace platform {

class FakeClock : public Clock {
 public:
  // 18 December 2023, 09:05:03.042.
  FakeClock();

  LocalTime Now() override { return now_; }
  void Sleep(unsigned milliseconds) override;

  void Set(const LocalTime& now) { now_ = now; }
  const std::vector<unsigned>& sleeps() const { return sleeps_; }

 private:
  LocalTime now_;
  std::vector<unsigned> sleeps_;
};

}  // namespace platform
