// log_bench.exe: what writing the install log costs. Installs the Data folder
// of a distribution with the unattended driver, on the real file system,
// alternately without a log and with one, and prints the times.
//
//   log_bench DISTRIBUTION-FOLDER FOLDER LOG-FILE ROUNDS
//
// DISTRIBUTION-FOLDER holds Data\ (the program is taken to be SetUp.exe
// there); FOLDER is the /DIR= folder. Prints one line per round and the
// medians. Exit 0, or 1 when an install did not end as installed.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/build_constants.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"
#include "run/install_log.h"
#include "run/silent_driver.h"
#include "tests/fakes/forwarding_files.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One install; its time in milliseconds, or a negative number when it did
// not end as installed.
double TimedInstall(const std::string& folder, CInstallLog* log) {
  CAcadHosts hosts;  // no AutoCAD: only the payload and the trusted paths
  InstallRequest request;
  request.folderText = folder;
  request.build = kThisBuild;
  SilentDriver driver;
  CInstallEngine engine(hosts);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  const InstallReport report = InstallWithLog(engine, request, driver, log);
  QueryPerformanceCounter(&end);
  return report.outcome == InstallOutcome::Installed ? Milliseconds(start, end) : -1.0;
}

// An install of 100 files logs a line per file, one to begin, one per
// profile, and its outcome.
constexpr int kLinesPerInstall = 105;

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 5) {
    std::fprintf(stderr, "usage: log_bench DISTRIBUTION-FOLDER FOLDER LOG-FILE ROUNDS\n");
    return 2;
  }
  platform::Services services = platform::win32::AllServices();
  // The program placed in the distribution, where the install finds Data.
  platform::RelocatedFiles files(*services.files, platform::win32::Narrow(argv[1]) + "\\SetUp.exe");
  services.files = &files;
  platform::UseServices(services);
  const std::string folder = platform::win32::Narrow(argv[2]);
  const std::string logPath = platform::win32::Narrow(argv[3]);
  const int rounds = std::max(1, _wtoi(argv[4]));

  std::vector<double> without, with;
  TimedInstall(folder, nullptr);  // the first copies make the folders and warm the cache
  for (int round = 1; round <= rounds; ++round) {
    platform::Status status;
    std::unique_ptr<CInstallLog> log = CInstallLog::Open(logPath, &status);
    if (!log) {
      std::fprintf(stderr, "log_bench: cannot open the log (error %u)\n", status.code());
      return 1;
    }
    const double plain = TimedInstall(folder, nullptr);
    const double logged = TimedInstall(folder, log.get());
    if (plain < 0 || logged < 0) {
      std::fprintf(stderr, "log_bench: an install did not end as installed\n");
      return 1;
    }
    without.push_back(plain);
    with.push_back(logged);
    std::printf("round %d: without log %.0f ms, with log %.0f ms\n", round, plain, logged);
  }
  const double a = Median(without), b = Median(with);
  std::printf("median of %d: without log %.0f ms, with log %.0f ms, overhead %+.1f%%\n", rounds, a, b,
              100.0 * (b - a) / a);

  // The log's own share, free of the copies' noise: as many lines as one
  // such install writes, each as long as a file's line.
  platform::Status status;
  std::unique_ptr<CInstallLog> alone = CInstallLog::Open(logPath + ".lines", &status);
  if (!alone) return 1;
  const std::string line = "File " + folder + "\\Data\\part001.bin -> " + folder +
                           "\\Zorvel批打印软件\\part001.bin (1048576 bytes): copied";
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kLinesPerInstall; ++i) alone->Info(line);
  QueryPerformanceCounter(&end);
  const double lines = Milliseconds(start, end);
  std::printf("%d log lines alone: %.1f ms, %.1f%% of the median install without log\n", kLinesPerInstall, lines,
              100.0 * lines / a);
  return 0;
}
