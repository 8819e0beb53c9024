// install_bench.exe: one whole installation by the install engine, as the
// Install button runs it, without a window, for the benchmark script to time
// against Wine's xcopy of the same Data folder.
//
//   install_bench FOLDER
//
// Discovers the AutoCAD installations, ticks every release found and installs
// the Data folder beside this program into FOLDER. The driver is silent: no
// progress, a failed copy ends the install, messages go to the standard error.
// Exit code 0 when everything was written, 1 otherwise, 2 for a usage error.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "app/build_constants.h"
#include "hosts/acad_hosts.h"
#include "install/install_engine.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace {

class SilentDriver : public QuietInstallDriver {
 public:
  void Tell(Notice, const std::string& text) override { std::fprintf(stderr, "install_bench: %s\n", text.c_str()); }
};

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2) {
    std::fprintf(stderr, "usage: install_bench FOLDER\n");
    return 2;
  }
  platform::UseServices(platform::win32::AllServices());
  CAcadHosts hosts;
  hosts.Discover();
  InstallRequest request;
  request.folderText = platform::win32::Narrow(argv[1]);
  request.build = kThisBuild;
  for (int slot = 0; slot < kReleaseCount; ++slot) request.ticked[slot] = !hosts.locations[slot].empty();
  SilentDriver driver;
  const InstallReport report = CInstallEngine(hosts).Install(request, driver);
  return report.outcome == InstallOutcome::Installed ? 0 : 1;
}
