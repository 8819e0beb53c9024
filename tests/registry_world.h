// A registry world for tests that must hold on every registry: the in-memory
// one (all builds) and the real registry (the Windows test program, under
// Wine). A test seeds keys and values through the registry service, runs the
// code under test against GetRegistry(), and reads the result back the same
// way. The keys a suite names as its scratch area are removed before and
// after each test, so the real registry is left as it was found.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/faulty_registry.h"
#include "tests/fakes/registry.h"
#include "platform/registry.h"

enum class RegistryKind { Memory, Win32 };

// Every registry this build can test: memory, and in the Windows builds the
// real one too.
std::vector<RegistryKind> AllRegistryKinds();
std::string RegistryKindName(const testing::TestParamInfo<RegistryKind>& info);

// Runs a parameterised suite once per registry.
#define INSTANTIATE_FOR_EVERY_REGISTRY(Suite) \
  INSTANTIATE_TEST_SUITE_P(, Suite, testing::ValuesIn(AllRegistryKinds()), RegistryKindName)

struct ScratchKey {
  platform::Hive hive;
  std::string path;
};

class RegistryWorldTest : public testing::TestWithParam<RegistryKind> {
 protected:
  explicit RegistryWorldTest(std::vector<ScratchKey> scratch) : scratch_(std::move(scratch)) {}

  void SetUp() override;
  void TearDown() override;

  platform::Registry& registry() { return *registry_; }
  // The in-memory registry, or null on the real one.
  platform::MemoryRegistry* memory() { return memory_.get(); }
  // Faults for the code under test: from the first call on, the code under
  // test reaches this registry through the failure shim. The builders below
  // stay on the registry itself.
  platform::FaultyRegistry& faults();
  bool onRealRegistry() const { return !memory_; }

  // Builders create missing keys and fail the test on error. Texts are stored
  // without their terminator, as the program stores them.
  void MakeKey(platform::Hive hive, const std::string& path);
  void WriteText(platform::Hive hive, const std::string& path, const std::string& name, const std::string& text);
  void WriteDword(platform::Hive hive, const std::string& path, const std::string& name, std::uint32_t value);

  bool KeyExists(platform::Hive hive, const std::string& path);
  // The whole text of a value, read through the service; nothing when the key
  // or value is missing or the value is no text.
  std::optional<std::string> ReadText(platform::Hive hive, const std::string& path, const std::string& name);
  std::optional<std::uint32_t> ReadDword(platform::Hive hive, const std::string& path, const std::string& name);
  // Names of the direct sub-keys, in enumeration order.
  std::vector<std::string> SubkeyNames(platform::Hive hive, const std::string& path);
  // Removes a key with everything below it.
  void RemoveTree(platform::Hive hive, const std::string& path);

 private:
  std::vector<ScratchKey> scratch_;
  std::unique_ptr<platform::MemoryRegistry> memory_;
  std::unique_ptr<platform::FaultyRegistry> faults_;
  platform::Registry* registry_ = nullptr;
};
