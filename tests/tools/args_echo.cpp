// args_echo.exe: a program for the process-service tests to start. It writes
// its current folder and then every argument after its own name, as
// CommandLineToArgvW splits its command line, one a line, in GBK, to the file
// its first argument names, and exits with the number its second argument
// gives.
//
//   args_echo OUTPUT-FILE EXIT-CODE [ARGS...]
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string Gbk(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 3) return 255;
  wchar_t folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
  std::string lines = Gbk(std::wstring(folder, length));
  for (int i = 1; i < count; ++i) lines += "\n" + Gbk(arguments[i]);
  HANDLE file = CreateFileW(arguments[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 254;
  DWORD written = 0;
  WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(file);
  return std::wcstol(arguments[2], nullptr, 10);
}
