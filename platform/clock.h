// Clock service: the local time for the log's timestamps, and waiting
// between attempts. Tests replace it with a clock that never really waits.
#pragma once

namespace platform {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;

  virtual LocalTime Now() = 0;

  // Blocks the calling thread for `milliseconds`.
  virtual void Sleep(unsigned milliseconds) = 0;
};

Clock& GetClock();

}  // namespace platform
