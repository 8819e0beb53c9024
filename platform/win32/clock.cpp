// The clock service: GetLocalTime and Sleep.
#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/services.h"

namespace platform {
namespace {

class Win32Clock : public Clock {
 public:
  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  }

  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

}  // namespace platform

platform::Clock& platform::win32::TheClock() {
  static Win32Clock clock;
  return clock;
}
