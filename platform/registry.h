// Registry service: the few registry operations the host discovery and the
// AutoCAD integration need, on three hives. Names, paths and text values are GBK
// byte strings; no call takes a registry-view flag, so each edition sees the
// view Windows gives a program of its bitness.
//
// Implementations: platform/win32/registry.cpp (the real registry, through the
// W functions with code page 936 at the boundary) and, for the tests,
// tests/fakes/registry.cpp (an in-memory tree).
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace platform {

// Users is HKEY_USERS, where every loaded user hive is found under its
// user's SID.
enum class Hive { LocalMachine, CurrentUser, Users };

// An open key. Null means "no key"; a hive root obtained from OpenHive must be
// closed like any other key.
using RegKey = struct RegKeyOpaque*;

constexpr std::uint32_t kRegSz = 1;         // REG_SZ
constexpr std::uint32_t kRegExpandSz = 2;   // REG_EXPAND_SZ
constexpr std::uint32_t kRegBinary = 3;     // REG_BINARY
constexpr std::uint32_t kRegDword = 4;      // REG_DWORD
constexpr std::uint32_t kRegMultiSz = 7;    // REG_MULTI_SZ

// Windows limits a key name to 255 characters; the logic reads names into
// buffers of this many bytes (255 single-byte characters and the terminator).
constexpr std::uint32_t kKeyNameBufferBytes = 256;

// A value as stored: its type and its bytes, a text without a terminator
// that the reading added.
struct StoredValue {
  std::uint32_t type = 0;
  std::string bytes;
};

enum class QueryResult {
  Ok,          // type, data and size filled
  NotFound,    // no such value, or the key is unusable
  MoreData,    // the value exists but does not fit; *size says how many bytes it needs
  NotGbk,      // as Ok, but the text could not be read whole (the Win32
               // registry reads every text whole; a test's registry may not):
               // fit to read, not to be written back
};

class Registry {
 public:
  virtual ~Registry() = default;

  // A handle on the hive root (RegOpenKey with no sub-key).
  virtual RegKey OpenHive(Hive hive) = 0;

  // Opens `path` below `parent` (RegOpenKey, no access mask). A path may hold
  // several levels and may end in a backslash; an empty path opens a new
  // handle on `parent` itself. Returns null when there is no such key.
  virtual RegKey Open(RegKey parent, const std::string& path) = 0;

  // The same with KEY_READ (RegOpenKeyEx).
  virtual RegKey OpenRead(RegKey parent, const std::string& path) = 0;

  // Number of direct sub-keys; false when it cannot be asked.
  virtual bool SubkeyCount(RegKey key, std::uint32_t* count) = 0;

  // Name of sub-key `index` in enumeration order, written as terminated text
  // into `buffer` of `bufferSize` bytes. False (buffer left as it was) when the
  // index is past the end, the name with its terminator does not fit, or the
  // name holds characters GBK cannot express.
  //
  // Enumeration order: Windows documents none, but keeps sub-keys sorted by
  // name, ignoring case. Wine compares lower-cased names, so the characters
  // [ \ ] ^ _ ` sort before the letters there (Windows' hives compare
  // upper-cased and put them after). The in-memory registry follows Wine, the
  // runtime its contract tests run on: exactly for ASCII names; other names it
  // orders by their lower-cased GBK bytes, which can differ from both.
  virtual bool EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) = 0;

  // Reads value `name` (RegQueryValueEx). `*size` is the capacity of `data` on
  // the way in and the bytes delivered (or needed, with MoreData) on the way
  // out; on MoreData `data` is left as it was. Text values (REG_SZ,
  // REG_EXPAND_SZ, REG_MULTI_SZ) are delivered as stored plus one terminating
  // zero when they were stored without one, so a text of n bytes needs n + 1.
  // Other types are delivered as stored. `type` and `data` may be null.
  virtual QueryResult QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                                 std::uint32_t* size) = 0;

  // Value `name` exactly as stored, whole: a text with its terminating zero
  // when it was stored with one, and without when not, so that writing
  // `value` back gives the same bytes. Results as QueryValue's. A registry
  // that cannot tell (one that only implements QueryValue) delivers every
  // text as stored without one.
  virtual QueryResult QueryStored(RegKey key, const std::string& name, StoredValue* value);

  // Opens `path` below `parent`, creating it and any missing key above it
  // (RegCreateKey). Null on failure, with the reason in `*status` when given.
  virtual RegKey Create(RegKey parent, const std::string& path, Status* status = nullptr) = 0;

  // Writes value `name` (RegSetValueEx). For text types `size` counts the
  // text's bytes as the caller passes them; the text is stored without a
  // terminator when `size` does not include one.
  virtual Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                          std::uint32_t size) = 0;

  // Deletes the key `path` below `parent` (RegDeleteKey): only a key without
  // sub-keys is removed. An empty path is refused.
  virtual Status DeleteKey(RegKey parent, const std::string& path) = 0;

  // Deletes value `name` of `key` (RegDeleteValue); kErrorFileNotFound when
  // there is none.
  virtual Status DeleteValue(RegKey key, const std::string& name) = 0;

  // Number of values of `key`; false when it cannot be asked.
  virtual bool ValueCount(RegKey key, std::uint32_t* count) = 0;

  // Closing null does nothing.
  virtual void Close(RegKey key) = 0;
};

// Holds an open key and closes it when it goes out of scope.
class ScopedKey {
 public:
  ScopedKey(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~ScopedKey() { registry_.Close(key_); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  Registry& registry_;
  RegKey key_;
};


// Reads value `name` of `key` whole, however long. NotFound when there is no
// such value; NotGbk when a text holds characters GBK cannot express (the
// bytes then hold '?' for them); MoreData when it kept growing while read.
QueryResult ReadValue(Registry& registry, RegKey key, const std::string& name, StoredValue* value);

// The end of every QueryValue: delivers a value's bytes (a text already with
// its terminator) to `type`, `data` and `size` as QueryValue promises, and
// returns `read`, or MoreData when `data` is too small for them.
QueryResult Deliver(QueryResult read, std::uint32_t storedType, const std::string& bytes, std::uint32_t* type,
                    void* data, std::uint32_t* size);

Registry& GetRegistry();

// Passes every call on to another registry: the base of the shims that
// change a few calls and stack over any registry (serving another user,
// withholding the current user, the tests' refusals and faults).
class ForwardingRegistry : public Registry {
 public:
  explicit ForwardingRegistry(Registry& inner) : inner_(inner) {}

  RegKey OpenHive(Hive hive) override { return inner_.OpenHive(hive); }
  RegKey Open(RegKey parent, const std::string& path) override { return inner_.Open(parent, path); }
  RegKey OpenRead(RegKey parent, const std::string& path) override { return inner_.OpenRead(parent, path); }
  bool SubkeyCount(RegKey key, std::uint32_t* count) override { return inner_.SubkeyCount(key, count); }
  bool EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override {
    return inner_.EnumSubkey(key, index, buffer, bufferSize);
  }
  QueryResult QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                         std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  QueryResult QueryStored(RegKey key, const std::string& name, StoredValue* value) override {
    return inner_.QueryStored(key, name, value);
  }
  RegKey Create(RegKey parent, const std::string& path, Status* status = nullptr) override {
    return inner_.Create(parent, path, status);
  }
  Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  Status DeleteKey(RegKey parent, const std::string& path) override { return inner_.DeleteKey(parent, path); }
  Status DeleteValue(RegKey key, const std::string& name) override { return inner_.DeleteValue(key, name); }
  bool ValueCount(RegKey key, std::uint32_t* count) override { return inner_.ValueCount(key, count); }
  void Close(RegKey key) override { inner_.Close(key); }

 protected:
  Registry& inner() { return inner_; }

 private:
  Registry& inner_;
};

}  // namespace platform
