#include <gtest/gtest.h>

#include "tests/fakes/rights.h"
#include "tests/fakes/services.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/services.h"

namespace {

// The Windows test program rebuilds HKLM and HKCU\SOFTWARE\Autodesk\AutoCAD
// from scratch for its cases, deleting what was there. Under Wine that is a
// private prefix; on a real machine it would wipe AutoCAD's own settings, so
// there it runs only when asked to in so many words.
bool MayChangeThisMachine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr) return true;
  const char* consent = std::getenv("ZV_TESTS_MAY_WIPE_AUTOCAD_SETTINGS");
  return consent != nullptr && std::strcmp(consent, "1") == 0;
}

}  // namespace
#endif

namespace {

// Every test starts from fresh shared rights, whatever the one before left
// there (folder lists, a token): the program's install code reaches them
// through GetRights() without a world having to own them.
class FreshRights : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    if (platform::MemoryRights* rights = platform::MemoryRights::Of(platform::TestServices().rights)) rights->Reset();
  }
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  if (!MayChangeThisMachine()) {
    std::fprintf(stderr,
                 "zv_tests: this program deletes and rewrites the AutoCAD keys under HKEY_LOCAL_MACHINE and\n"
                 "HKEY_CURRENT_USER\\SOFTWARE\\Autodesk\\AutoCAD. Run it only on a throwaway machine, with\n"
                 "ZV_TESTS_MAY_WIPE_AUTOCAD_SETTINGS=1 set; under Wine it runs without asking.\n");
    return 2;
  }
  platform::InstallTestServices(platform::win32::AllServices());
#else
  platform::InstallTestServices(platform::FakeServices());
#endif
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new FreshRights);
  return RUN_ALL_TESTS();
}
