// A stand-in for a running program in the process-list tests: the tests copy
// it to names such as acad.exe and start it. It only waits, for the seconds
// given as its argument (60 without one), or until it is killed.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 0) * 1000);
  return 0;
}
