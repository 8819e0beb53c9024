// Discovery and loader registration over a local-machine registry built from
// the fuzz input: keys and values of any bytes and size, values stored
// without a terminator. Nothing may crash or leak a key, every installation
// lands in the slot of its product name's year with a key path of the view it
// was found in, and each loader is written under a product key discovery
// found.
//
// Input: records, each a kind byte and its operands:
//   0 key:   view byte (bit 0: the Wow6432Node view), length byte, path below
//            the view's AutoCAD key; becomes the current key
//   1 value: type byte, length byte, name, length word, data
//   2 pair:  AcadLocation (length byte, text) and ProductName (length byte,
//            text) as REG_SZ on the current key
#include <string>

#include "hosts/acad_hosts.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "tests/fakes/registry.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using platform::Hive;

void SetText(platform::Registry& registry, platform::RegKey key, const char* name, const std::string& text) {
  registry.SetValue(key, name, platform::kRegSz, text.data(), static_cast<std::uint32_t>(text.size()));
}

void Build(platform::MemoryRegistry& registry, FuzzInput& input) {
  platform::ScopedKey root(registry, registry.OpenHive(Hive::LocalMachine));
  platform::RegKey current = registry.Create(root.get(), kAcadKeyPath);
  for (int records = 0; !input.empty() && records < 64; ++records) {
    switch (input.Byte() % 3) {
      case 0: {
        const char* view = (input.Byte() & 1) ? kWowAcadKeyPath : kAcadKeyPath;
        const std::string path = input.Bytes(input.Byte());
        platform::RegKey key = registry.Create(root.get(), std::string(view) + "\\" + path);
        if (key) {
          registry.Close(current);
          current = key;
        }
        break;
      }
      case 1: {
        const std::uint32_t type = input.Byte();
        const std::string name = input.Bytes(input.Byte());
        const std::string value = input.Bytes(input.Word());
        registry.SetValue(current, name, type, value.data(), static_cast<std::uint32_t>(value.size()));
        break;
      }
      default:
        SetText(registry, current, "AcadLocation", input.Bytes(input.Byte()));
        SetText(registry, current, "ProductName", input.Bytes(input.Byte()));
        break;
    }
  }
  registry.Close(current);
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  platform::MemoryRegistry registry;
  platform::Services services;
  services.registry = &registry;
  platform::UseServices(services);
  Build(registry, input);

  CAcadHosts hosts;
  hosts.Discover();
  FUZZ_CHECK(registry.OpenHandles() == 0);
  ReleaseFlags all{};
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    all[slot] = 1;
    FUZZ_CHECK(hosts.locations[slot].size() == hosts.productKeys[slot].size());
    for (const std::string& key : hosts.productKeys[slot]) {
      const bool wow = StartsWith(key, std::string(kWowAcadKeyPath) + "\\");
      FUZZ_CHECK(wow || StartsWith(key, std::string(kAcadKeyPath) + "\\"));
      FUZZ_CHECK(!wow || kFirstReleaseYear + slot <= 2009);  // that view holds 2007..2009 only
      FUZZ_CHECK(key.back() == '\\');
    }
    for (const std::string& location : hosts.locations[slot]) {
      FUZZ_CHECK(location.size() < 256);  // read into a 256-byte buffer
      FUZZ_CHECK(location.find('\0') == std::string::npos);
    }
  }

  hosts.SetInstallDir("C:\\Zorvel");
  const LoaderRegistration registration = hosts.RegisterLoaders(all);
  FUZZ_CHECK(FailuresOf(registration) >= 0);
  FUZZ_CHECK(registry.OpenHandles() == 0);
  for (int slot = 0; slot < kReleaseCount; ++slot) {
    for (const std::string& key : hosts.productKeys[slot])
      FUZZ_CHECK(registry.KeyExists(Hive::LocalMachine,
                                    key + "Applications\\ZV_BatchPlot" + std::to_string(kFirstReleaseYear + slot)));
  }
  platform::UseServices({});
  return 0;
}
