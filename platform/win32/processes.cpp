// The process service: a Toolhelp snapshot of all processes, image names
// converted to GBK at this boundary.
#include <windows.h>
#include <tlhelp32.h>

#include "platform/processes.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

class Win32Processes : public Processes {
 public:
  bool ListImageNames(std::vector<std::string>* names) override {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    names->clear();
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      names->push_back(win32::Narrow(entry.szExeFile));
    }
    CloseHandle(snapshot);
    return true;
  }
};

}  // namespace

}  // namespace platform

platform::Processes& platform::win32::TheProcesses() {
  static Win32Processes processes;
  return processes;
}
