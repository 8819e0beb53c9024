// scale_bench.exe: discovery, loader registration and trusted-path
// registration against many product keys, many profiles and a long
// TRUSTEDPATHS list, in the real registry, at two sizes, so that any growth
// faster than linear shows as a per-item time that grows with the size.
//
//   scale_bench
//
// Prints one line per measurement: the time per item at the small and at the
// large size and their ratio, the growth: 1.0 is linear, 2.0 would be
// quadratic. The sizes take turns, each built afresh five times, and every
// figure is the fastest of its runs: other work on the machine only ever adds
// time, so the fastest run is the one least disturbed by it.
//
// It replaces HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER\SOFTWARE\Autodesk\AutoCAD
// with generated ones and deletes them at the end, so it runs only under Wine
// (in the benchmark's private prefix), never on a real machine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "deploy/events.h"
#include "hosts/acad_hosts.h"
#include "platform/registry.h"
#include "platform/win32/services.h"

using platform::Hive;
using platform::Registry;
using platform::ScopedKey;

namespace {

struct Size {
  int productKeys;
  int profiles;
  std::size_t listBytes;
};
constexpr Size kSmall{500, 250, 512 * 1024};
constexpr Size kLarge{1000, 500, 1024 * 1024};
constexpr int kRounds = 5;  // each size built afresh this many times
constexpr int kRuns = 5;    // each measurement this many times per round

const char kReleaseKey[] = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0";
const char kProfilesKey[] = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-7101:804\\Profiles";
const char kInstallDir[] = "C:\\Zorvel\\Zorvel批打印软件";

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void DeleteAcadKeys() {
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(hive, L"SOFTWARE\\Autodesk\\AutoCAD");
}

void SetText(Hive hive, const std::string& key, const char* name, const std::string& text) {
  Registry& registry = platform::GetRegistry();
  ScopedKey root(registry, registry.OpenHive(hive));
  ScopedKey created(registry, registry.Create(root.get(), key));
  (void)registry.SetValue(created.get(), name, platform::kRegSz, text.data(), static_cast<std::uint32_t>(text.size()));
}

// Product keys side by side below one release key, their product names
// running through every release year.
void MakeProducts(int count) {
  for (int i = 0; i < count; ++i) {
    const std::string key = std::string(kReleaseKey) + "\\ACAD-" + std::to_string(1000 + i) + ":804";
    const int year = kFirstReleaseYear + i % kReleaseCount;
    SetText(Hive::LocalMachine, key, "AcadLocation", "C:\\Program Files\\Autodesk\\AutoCAD " + std::to_string(i));
    SetText(Hive::LocalMachine, key, "ProductName", "AutoCAD " + std::to_string(year) + " - 简体中文");
  }
}

// Profiles side by side below one product key, each with a short list.
void MakeProfiles(int count) {
  for (int i = 0; i < count; ++i)
    SetText(Hive::CurrentUser, std::string(kProfilesKey) + "\\Profile " + std::to_string(i) + "\\Variables",
            "TRUSTEDPATHS", "C:\\Program Files\\Autodesk\\Support;D:\\lisp\\" + std::to_string(i));
}

// One profile whose list holds `bytes` bytes of folders.
void MakeLongList(std::size_t bytes) {
  std::string list;
  for (int i = 0; list.size() < bytes; ++i) list += "d:\\library folder " + std::to_string(i) + "\\lisp;";
  list.resize(bytes);
  SetText(Hive::CurrentUser, std::string(kProfilesKey) + "\\Long\\Variables", "TRUSTEDPATHS", list);
}

double Microseconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// The fastest of kRuns calls, per item.
double FastestPerItem(double items, const std::function<void()>& call) {
  double fastest = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const double start = Microseconds();
    call();
    fastest = std::min(fastest, (Microseconds() - start) / items);
  }
  return fastest;
}

struct PerItem {
  double discovery;  // per product key
  double loaders;    // per product key
  double profiles;   // per profile
  double longList;   // per KiB of the list

  void KeepFastest(const PerItem& other) {
    for (auto field : {&PerItem::discovery, &PerItem::loaders, &PerItem::profiles, &PerItem::longList})
      this->*field = std::min(this->*field, other.*field);
  }
};

PerItem Measure(const Size& size) {
  PerItem per{};
  DeleteAcadKeys();
  MakeProducts(size.productKeys);
  CAcadHosts hosts;
  per.discovery = FastestPerItem(size.productKeys, [&] {
    hosts = CAcadHosts();
    hosts.Discover();
  });

  hosts.SetInstallDir(kInstallDir);
  per.loaders = FastestPerItem(size.productKeys, [&] {
    for (int year = kFirstReleaseYear; year <= kLastReleaseYear; ++year) (void)hosts.RegisterLoader(year);
  });

  MakeProfiles(size.profiles);
  per.profiles = FastestPerItem(size.profiles, [&] { (void)hosts.AddTrustedPath(); });

  DeleteAcadKeys();
  MakeLongList(size.listBytes);
  per.longList = FastestPerItem(size.listBytes / 1024.0, [&] { (void)hosts.AddTrustedPath(); });
  DeleteAcadKeys();
  return per;
}

void Line(const char* what, double small, double large) {
  std::printf("%-44s %10.1f %10.1f %8.2f\n", what, small, large, large / small);
}

}  // namespace

int main() {
  if (!UnderWine()) {
    std::fprintf(stderr, "scale_bench: replaces the AutoCAD keys of this machine; it runs only under Wine\n");
    return 2;
  }
  platform::UseServices(platform::win32::AllServices());
  PerItem small = Measure(kSmall);
  PerItem large = Measure(kLarge);
  for (int round = 1; round < kRounds; ++round) {
    small.KeepFastest(Measure(kSmall));
    large.KeepFastest(Measure(kLarge));
  }
  std::printf("small: %d product keys, %d profiles, a %zu KiB list; large: %d, %d, %zu KiB\n", kSmall.productKeys,
              kSmall.profiles, kSmall.listBytes / 1024, kLarge.productKeys, kLarge.profiles, kLarge.listBytes / 1024);
  std::printf("%-44s %10s %10s %8s\n", "microseconds per item, real registry", "small", "large", "growth");
  Line("discovery, per product key", small.discovery, large.discovery);
  Line("loader registration, per product key", small.loaders, large.loaders);
  Line("trusted paths, per profile", small.profiles, large.profiles);
  Line("trusted paths, long list, per KiB", small.longList, large.longList);
  return 0;
}
