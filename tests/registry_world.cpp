#include "tests/registry_world.h"

#include "tests/fakes/services.h"
#ifdef _WIN32
#include "platform/win32/services.h"
#endif

using platform::Hive;
using platform::QueryResult;
using platform::ScopedKey;

std::vector<RegistryKind> AllRegistryKinds() {
#ifdef _WIN32
  return {RegistryKind::Memory, RegistryKind::Win32};
#else
  return {RegistryKind::Memory};
#endif
}

std::string RegistryKindName(const testing::TestParamInfo<RegistryKind>& info) {
  return info.param == RegistryKind::Memory ? "Memory" : "Win32";
}

void RegistryWorldTest::SetUp() {
  if (GetParam() == RegistryKind::Memory) {
    memory_ = std::make_unique<platform::MemoryRegistry>();
    registry_ = memory_.get();
  } else {
#ifdef _WIN32
    registry_ = &platform::win32::TheRegistry();
#endif
  }
  platform::SetRegistry(registry_);
  for (const ScratchKey& key : scratch_) RemoveTree(key.hive, key.path);
}

platform::FaultyRegistry& RegistryWorldTest::faults() {
  if (!faults_) {
    faults_ = std::make_unique<platform::FaultyRegistry>(*registry_);
    platform::SetRegistry(faults_.get());
  }
  return *faults_;
}

void RegistryWorldTest::TearDown() {
  for (const ScratchKey& key : scratch_) RemoveTree(key.hive, key.path);
  if (memory_) {
    EXPECT_EQ(memory_->OpenHandles(), 0u) << "a key was left open";
  }
  platform::SetRegistry(nullptr);
  faults_.reset();
}

void RegistryWorldTest::MakeKey(Hive hive, const std::string& path) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().Create(root.get(), path));
  ASSERT_TRUE(key) << path;
}

void RegistryWorldTest::WriteText(Hive hive, const std::string& path, const std::string& name,
                                  const std::string& text) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().Create(root.get(), path));
  ASSERT_TRUE(key) << path;
  ASSERT_TRUE(registry().SetValue(key.get(), name, platform::kRegSz, text.data(),
                                  static_cast<std::uint32_t>(text.size())))
      << path << " " << name;
}

void RegistryWorldTest::WriteDword(Hive hive, const std::string& path, const std::string& name,
                                   std::uint32_t value) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().Create(root.get(), path));
  ASSERT_TRUE(key) << path;
  ASSERT_TRUE(registry().SetValue(key.get(), name, platform::kRegDword, &value, sizeof value)) << path << " " << name;
}

bool RegistryWorldTest::KeyExists(Hive hive, const std::string& path) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().OpenRead(root.get(), path));
  return static_cast<bool>(key);
}

std::optional<std::string> RegistryWorldTest::ReadText(Hive hive, const std::string& path, const std::string& name) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().OpenRead(root.get(), path));
  std::uint32_t type = 0, size = 0;
  if (!key || registry().QueryValue(key.get(), name, &type, nullptr, &size) != QueryResult::Ok ||
      (type != platform::kRegSz && type != platform::kRegExpandSz))
    return std::nullopt;
  std::string data(size, '\0');
  if (registry().QueryValue(key.get(), name, &type, data.data(), &size) != QueryResult::Ok) return std::nullopt;
  data.resize(data.find('\0') == std::string::npos ? size : data.find('\0'));
  return data;
}

std::optional<std::uint32_t> RegistryWorldTest::ReadDword(Hive hive, const std::string& path,
                                                          const std::string& name) {
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().OpenRead(root.get(), path));
  std::uint32_t type = 0, value = 0, size = sizeof value;
  if (!key || registry().QueryValue(key.get(), name, &type, &value, &size) != QueryResult::Ok ||
      type != platform::kRegDword || size != sizeof value)
    return std::nullopt;
  return value;
}

std::vector<std::string> RegistryWorldTest::SubkeyNames(Hive hive, const std::string& path) {
  std::vector<std::string> names;
  ScopedKey root(registry(), registry().OpenHive(hive));
  ScopedKey key(registry(), registry().OpenRead(root.get(), path));
  std::uint32_t count = 0;
  if (!key || !registry().SubkeyCount(key.get(), &count)) return names;
  for (std::uint32_t i = 0; i < count; ++i) {
    char name[platform::kKeyNameBufferBytes];
    if (registry().EnumSubkey(key.get(), i, name, sizeof name)) names.push_back(name);
  }
  return names;
}

void RegistryWorldTest::RemoveTree(Hive hive, const std::string& path) {
  for (const std::string& child : SubkeyNames(hive, path)) RemoveTree(hive, path + "\\" + child);
  ScopedKey root(registry(), registry().OpenHive(hive));
  (void)registry().DeleteKey(root.get(), path);
}
