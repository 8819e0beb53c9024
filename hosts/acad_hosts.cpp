// Host discovery: the AutoCAD installations recorded under
// HKEY_LOCAL_MACHINE, sorted into release slots.
#include "hosts/acad_hosts.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/mbcs.h"

using platform::GetRegistry;
using platform::Hive;
using platform::QueryResult;
using platform::RegKey;
using platform::Registry;
using platform::ScopedKey;

namespace {

// A discovered value that does not fit this buffer with its terminator counts
// as absent, so the walk looks for it below.
constexpr std::uint32_t kFoundValueBufferBytes = 256;

// The first of the years 2007..lastYear whose text occurs in `productName`
// with at least one byte before it; 0 when there is none.
int ReleaseYearOf(const std::string& productName, int lastYear) {
  for (int year = kFirstReleaseYear; year <= lastYear; ++year) {
    std::size_t pos = mbcs::Find(productName, mbcs::Decimal(year));
    if (pos != mbcs::npos && pos > 0) return year;
  }
  return 0;
}

// Records every location paired with a product name found in the same key,
// in the order of the locations and, for one location, of the names. The
// names are looked up through an index sorted by key path: a release key with
// n products costs n log n comparisons, not n².
void RecordInstallations(CAcadHosts& hosts, const std::vector<std::string>& locationPaths,
                         const std::vector<std::string>& locations, const std::vector<std::string>& productPaths,
                         const std::vector<std::string>& productNames, int lastYear) {
  std::vector<std::size_t> byPath(productPaths.size());
  for (std::size_t p = 0; p < byPath.size(); ++p) byPath[p] = p;
  std::sort(byPath.begin(), byPath.end(), [&](std::size_t x, std::size_t y) {
    return productPaths[x] != productPaths[y] ? productPaths[x] < productPaths[y] : x < y;
  });
  for (std::size_t a = 0; a < locationPaths.size(); ++a) {
    auto first = std::lower_bound(byPath.begin(), byPath.end(), locationPaths[a],
                                  [&](std::size_t p, const std::string& path) { return productPaths[p] < path; });
    for (auto it = first; it != byPath.end() && productPaths[*it] == locationPaths[a]; ++it) {
      int year = ReleaseYearOf(productNames[*it], lastYear);
      if (year == 0) continue;
      hosts.productKeys[year - kFirstReleaseYear].push_back(locationPaths[a]);
      hosts.locations[year - kFirstReleaseYear].push_back(locations[a]);
    }
  }
}

}  // namespace

// One view of the AutoCAD key: each release key is searched for install
// locations and product names; a location and a product name held by the
// same key make one installation of the year the name carries.
void CAcadHosts::DiscoverView(const std::string& acadKeyPath, int lastYear) {
  Registry& registry = GetRegistry();
  ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  if (!root) return;
  ScopedKey acad(registry, registry.OpenRead(root.get(), acadKeyPath));
  std::uint32_t count = 0;
  if (!acad || !registry.SubkeyCount(acad.get(), &count)) return;

  for (std::uint32_t i = 0; i < count; ++i) {
    std::string release;
    if (!ReadSubkeyName(acad.get(), i, release)) continue;
    ScopedKey releaseKey(registry, registry.OpenRead(acad.get(), release));
    if (!releaseKey) continue;
    const std::string base = acadKeyPath + "\\" + release + "\\";

    Search(releaseKey.get(), base, "AcadLocation");
    const std::vector<std::string> locationPaths = std::move(foundKeyPaths), locations = std::move(foundValues);
    Search(releaseKey.get(), base, "ProductName");
    RecordInstallations(*this, locationPaths, locations, foundKeyPaths, foundValues, lastYear);
  }
}

void CAcadHosts::Search(RegKey release, const std::string& base, const char* name) {
  foundKeyPaths.clear();
  foundValues.clear();
  searchName = name;
  CollectValues(release, "", "", base);
}

void CAcadHosts::Discover() {
  DiscoverWow64();
  DiscoverView(kAcadKeyPath, kLastReleaseYear);
}

// The 32-bit registry view of a 64-bit system holds only the releases that
// still shipped as 32-bit programs there.
void CAcadHosts::DiscoverWow64() { DiscoverView(kWowAcadKeyPath, 2009); }

void CAcadHosts::CollectValues(RegKey parent, const std::string& name, std::string relative, std::string base) {
  Registry& registry = GetRegistry();
  ScopedKey key(registry, registry.OpenRead(parent, name));
  if (!key) return;

  char value[kFoundValueBufferBytes];
  std::uint32_t size = sizeof value;
  // A text with characters GBK lacks is read with '?' for them, as the A
  // functions read it: a product name still tells its year.
  const QueryResult read = registry.QueryValue(key.get(), searchName, nullptr, value, &size);
  if (read == QueryResult::Ok || read == QueryResult::NotGbk) {
    foundKeyPaths.push_back(base + relative);
    foundValues.push_back(std::string(value, std::find(value, value + size, '\0')));
    return;  // a key holding the value hides whatever lies below it
  }

  std::uint32_t count = 0;
  if (!registry.SubkeyCount(key.get(), &count)) return;
  for (std::uint32_t j = 0; j < count; ++j) {
    std::string subkey;
    if (ReadSubkeyName(key.get(), j, subkey)) CollectValues(key.get(), subkey, relative + subkey + "\\", base);
  }
}

void CAcadHosts::SetInstallDir(std::string path) {
  mbcs::DropTrailingBackslash(path);
  installDir = std::move(path);
}

std::string ValueText(const platform::StoredValue& value) {
  if (value.type != platform::kRegDword || value.bytes.size() != sizeof(std::uint32_t)) return value.bytes;
  std::uint32_t number = 0;
  for (std::size_t i = sizeof number; i-- > 0;) number = number << 8 | static_cast<unsigned char>(value.bytes[i]);
  return mbcs::Decimal(number);
}

platform::StoredValue StoredValueOf(std::uint32_t type, const std::string& text) {
  if (type != platform::kRegDword || text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
      std::stoull(text) > 0xFFFFFFFFull)
    return {type, text};
  std::uint32_t number = static_cast<std::uint32_t>(std::stoull(text));
  std::string bytes;
  for (std::size_t i = 0; i < sizeof number; ++i, number >>= 8) bytes.push_back(static_cast<char>(number & 0xFF));
  return {type, bytes};
}

bool ReadSubkeyName(RegKey key, std::uint32_t index, std::string& name) {
  char buffer[platform::kKeyNameBufferBytes] = {};
  if (!GetRegistry().EnumSubkey(key, index, buffer, sizeof buffer) || buffer[0] == '\0') return false;
  name = buffer;
  return true;
}
