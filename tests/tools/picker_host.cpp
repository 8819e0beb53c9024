// picker_host.exe: runs the folder picker alone, without the setup dialog, for
// the end-to-end scripts.
//
//   picker_host [-caption TEXT] [-title TEXT] [-initial PATH] [-cd FOLDER]
//
// A text left out is passed as null. -cd makes FOLDER the current directory
// first (what a null initial path preselects). Prints two lines, UTF-8:
//   result N        what RunModal returned
//   path TEXT       GetChosenPath (only when the result is 1)
#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>

#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "tests/tools/utf8.h"
#include "ui/path_dialog.h"

namespace {

void Print(const std::string& utf8) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

const char* OrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

int main() {
  platform::UseServices(platform::win32::AllServices());
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::optional<std::string> caption, title, initial;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring option = argv[i];
    const std::string value = platform::win32::Narrow(argv[i + 1]);
    if (option == L"-caption") {
      caption = value;
    } else if (option == L"-title") {
      title = value;
    } else if (option == L"-initial") {
      initial = value;
    } else if (option == L"-cd") {
      SetCurrentDirectoryW(argv[i + 1]);
    } else {
      Print("usage: picker_host [-caption TEXT] [-title TEXT] [-initial PATH] [-cd FOLDER]\n");
      return 2;
    }
  }
  if (argc % 2 == 0) {
    Print("picker_host: an option lacks its value\n");
    return 2;
  }

  CPathDialog picker(OrNull(caption), OrNull(title), OrNull(initial), nullptr);
  const int result = picker.RunModal();
  Print("result " + std::to_string(result) + "\n");
  if (result == 1) Print("path " + ToUtf8(platform::win32::Widen(picker.GetChosenPath())) + "\n");
  return 0;
}
