// hold_file.exe: holds a file open without sharing, the way AutoCAD holds the
// files it uses, until a text appears in another file (the install log), and
// then lets go. For the end-to-end test of a copy that succeeds when tried
// again.
//
//   hold_file FILE WATCHED TEXT SECONDS
//
// Creates FILE when it is missing, prints "holding" once it holds it, and
// looks into WATCHED every 50 ms for TEXT (UTF-8, as the log holds it).
// Exit 0 when the text appeared, 1 when SECONDS passed first or FILE could
// not be held, 2 for a usage error.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/tools/utf8.h"

namespace {

std::string Contents(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 5) {
    std::fprintf(stderr, "usage: hold_file FILE WATCHED TEXT SECONDS\n");
    return 2;
  }
  HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot hold the file (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  const std::string text = ToUtf8(argv[3]);
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[4])) * 1000;
  int rc = 1;
  while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
    if (Contents(argv[2]).find(text) != std::string::npos) {
      rc = 0;
      break;
    }
    Sleep(50);
  }
  CloseHandle(held);
  return rc;
}
