// Registry service: the few registry operations the host discovery and the
// AutoCAD integration need, on two hives. Names, paths and text values are GBK
// byte strings; no call takes a registry-view flag, so each edition sees the
// view Windows gives a program of its bitness.
//
// Implementations: platform/win32/registry.cpp (the real registry, through the
// W functions with code page 936 at the boundary) and
// platform/memory/registry.cpp (an in-memory tree for tests, which can be told
// to fail).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class Hive { LocalMachine, CurrentUser };

// An open key. Null means "no key"; a hive root obtained from OpenHive must be
// closed like any other key.
using RegKey = struct RegKeyOpaque*;

constexpr std::uint32_t kRegSz = 1;     // REG_SZ
constexpr std::uint32_t kRegDword = 4;  // REG_DWORD

enum class QueryResult {
  Ok,          // type, data and size filled
  NotFound,    // no such value, or the key is unusable
  MoreData,    // the value exists but does not fit; *size says how many bytes it needs
};

class Registry {
 public:
  virtual ~Registry() = default;

  // A handle on the hive root (RegOpenKey with no sub-key).
  virtual RegKey OpenHive(Hive hive) = 0;

  // Opens `path` below `parent` (RegOpenKey, no access mask). A path may hold
  // several levels and may end in a backslash; an empty path opens `parent`
  // itself again. Returns null when there is no such key.
  virtual RegKey Open(RegKey parent, const std::string& path) = 0;

  // The same with KEY_READ (RegOpenKeyEx).
  virtual RegKey OpenRead(RegKey parent, const std::string& path) = 0;

  // Number of direct sub-keys; false when it cannot be asked.
  virtual bool SubkeyCount(RegKey key, std::uint32_t* count) = 0;

  // Name of sub-key `index` in enumeration order, written as terminated text
  // into `buffer` of `bufferSize` bytes. False (buffer left as it was) when the
  // index is past the end or the name with its terminator does not fit.
  virtual bool EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) = 0;

  // Reads value `name` (RegQueryValueEx). `*size` is the capacity of `data` on
  // the way in and the bytes delivered (or needed, with MoreData) on the way
  // out. Text values (REG_SZ, REG_EXPAND_SZ) are always delivered with one
  // terminating zero, also when they were stored without one, so a text of n
  // bytes needs n + 1. `type` and `data` may be null.
  virtual QueryResult QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                                 std::uint32_t* size) = 0;

  // Opens `path` below `parent`, creating it and any missing key above it
  // (RegCreateKey). Null on failure.
  virtual RegKey Create(RegKey parent, const std::string& path) = 0;

  // Writes value `name` (RegSetValueEx). For REG_SZ, `size` counts the text's
  // bytes as the caller passes them; the text is stored without a terminator
  // when `size` does not include one.
  virtual bool SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                        std::uint32_t size) = 0;

  // Deletes the key `path` below `parent` (RegDeleteKey): only a key without
  // sub-keys is removed.
  virtual bool DeleteKey(RegKey parent, const std::string& path) = 0;

  virtual void Close(RegKey key) = 0;
};

// The registry the program uses: the real one in the Windows builds, an
// in-memory one in the native build. Tests may swap in another.
Registry& GetRegistry();
void SetRegistry(Registry* registry);  // null restores the default

}  // namespace platform
