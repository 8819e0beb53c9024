// stopwatch.exe: times whole programs from their process start, for the
// benchmark script, from inside Wine so that both sides of a comparison pay
// the same process start-up.
//
//   stopwatch [-n RUNS] [--window CAPTION] -- LABEL PROGRAM ARGS... [-- LABEL PROGRAM ARGS...]...
//
// Every program runs RUNS times (default 15), the programs taking turns, after
// one untimed run each to warm the caches. Without --window a run lasts from
// CreateProcess to the process's end. With --window it lasts until a visible
// top-level window of that process with exactly that caption exists (the
// dialog is on screen); the window is then sent WM_CLOSE and the process must
// end within 10 s. The programs' own output goes to NUL.
//
// Prints one line per program: LABEL, then the median, the fastest and the
// slowest run in milliseconds and, after the first program, the median of its
// runs' ratios to the first program's runs of the same round (a ratio that
// other work on the machine disturbs less than the times themselves). Exit
// code 1 when a program failed to start, showed no window within 30 s or did
// not end; 2 for a usage error.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/text.h"
#include "tests/tools/utf8.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

struct Program {
  std::wstring label;
  std::wstring commandLine;
  std::vector<double> runsMs;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct WindowSearch {
  DWORD processId;
  const std::wstring* caption;
  HWND found;
  LARGE_INTEGER foundAt;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (*search->caption != text) return TRUE;
  QueryPerformanceCounter(&search->foundAt);
  search->found = window;
  return FALSE;
}

// Waits without polling until the program first waits for input (a dialog
// does so just before it shows itself), then looks for the window every
// millisecond: the looking does not compete with the program for the
// processor while it starts.
HWND WaitForWindow(const PROCESS_INFORMATION& process, const std::wstring& caption, LARGE_INTEGER* shownAt) {
  WaitForInputIdle(process.hProcess, kWindowTimeoutMs);
  const ULONGLONG deadline = GetTickCount64() + kWindowTimeoutMs;
  WindowSearch search{process.dwProcessId, &caption, nullptr, {}};
  while (GetTickCount64() < deadline) {
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  *shownAt = search.foundAt;
  return search.found;
}

HANDLE Discard() {
  static HANDLE nul = [] {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                       OPEN_EXISTING, 0, nullptr);
  }();
  return nul;
}

// One run: its duration in milliseconds, or a negative number when it failed.
double RunOnce(const Program& program, const std::wstring* caption) {
  std::wstring commandLine = program.commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = Discard();
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  bool ok = true;
  if (caption) {
    HWND window = WaitForWindow(process, *caption, &end);
    ok = window != nullptr;
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) ok = false;
  } else {
    ok = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0;
    QueryPerformanceCounter(&end);
  }
  if (!ok) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ok ? Milliseconds(start, end) : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print(const std::wstring& text) {
  const std::string utf8 = ToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

int Usage() {
  Print(L"usage: stopwatch [-n RUNS] [--window CAPTION] -- LABEL PROGRAM ARGS... [-- LABEL PROGRAM ARGS...]...\n");
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int runs = 15;
  std::wstring caption;
  bool withWindow = false;
  std::vector<Program> programs;
  int i = 1;
  for (; i < argc && std::wcscmp(argv[i], L"--") != 0; ++i) {
    if (std::wcscmp(argv[i], L"-n") == 0 && i + 1 < argc) {
      runs = _wtoi(argv[++i]);
    } else if (std::wcscmp(argv[i], L"--window") == 0 && i + 1 < argc) {
      caption = argv[++i];
      withWindow = true;
    } else {
      return Usage();
    }
  }
  while (i < argc) {  // at a "--"
    Program program;
    if (++i >= argc) return Usage();
    program.label = argv[i++];
    for (; i < argc && std::wcscmp(argv[i], L"--") != 0; ++i)
      program.commandLine += (program.commandLine.empty() ? L"" : L" ") + platform::win32::QuotedArgument(argv[i]);
    if (program.commandLine.empty()) return Usage();
    programs.push_back(program);
  }
  if (programs.empty() || runs < 1) return Usage();

  const std::wstring* window = withWindow ? &caption : nullptr;
  for (int run = -1; run < runs; ++run) {
    for (Program& program : programs) {
      const double ms = RunOnce(program, window);
      if (ms < 0) {
        Print(L"stopwatch: " + program.label + L" failed: " + program.commandLine + L"\n");
        return 1;
      }
      if (run >= 0) program.runsMs.push_back(ms);
    }
  }
  for (const Program& program : programs) {
    std::vector<double> ratios;
    for (std::size_t r = 0; r < program.runsMs.size(); ++r)
      ratios.push_back(program.runsMs[r] / programs.front().runsMs[r]);
    std::vector<double> ms = program.runsMs;
    std::sort(ms.begin(), ms.end());
    wchar_t line[128];
    std::swprintf(line, 128, L" %.1f %.1f %.1f", Median(ms), ms.front(), ms.back());
    std::wstring text = program.label + line;
    if (&program != &programs.front()) {
      std::swprintf(line, 128, L" %.2f", Median(ratios));
      text += line;
    }
    Print(text + L"\n");
  }
  return 0;
}
