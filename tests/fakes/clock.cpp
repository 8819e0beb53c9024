#include "tests/fakes/clock.h"

namespace platform {

FakeClock::FakeClock() : now_{2023, 12, 18, 9, 5, 3, 42} {}

// Seconds carry into minutes; the tests never sleep past an hour.
void FakeClock::Sleep(unsigned milliseconds) {
  sleeps_.push_back(milliseconds);
  unsigned total = static_cast<unsigned>(now_.millisecond) + milliseconds;
  now_.millisecond = static_cast<int>(total % 1000);
  unsigned seconds = static_cast<unsigned>(now_.second) + total / 1000;
  now_.second = static_cast<int>(seconds % 60);
  now_.minute = static_cast<int>((static_cast<unsigned>(now_.minute) + seconds / 60) % 60);
}

}  // namespace platform
