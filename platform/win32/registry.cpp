// The registry service on the real Windows registry, through the W functions.
// Names and texts cross the boundary in code page 936 and only when they
// convert exactly: a name or text that GBK cannot express is reported, never
// replaced by look-alike or default characters, so nothing is written back
// changed. No call passes a registry-view flag.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey ToRegKey(HKEY key) { return reinterpret_cast<RegKey>(key); }

Status Code(LONG result) { return Status(static_cast<OsError>(result)); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

bool WidenExact(const char* gbk, std::size_t length, std::wstring* out) {
  out->clear();
  if (length == 0) return true;
  if (length > 0x7FFFFFFF) return false;
  int n = MultiByteToWideChar(win32::kCodePage, MB_ERR_INVALID_CHARS, gbk, static_cast<int>(length), nullptr, 0);
  if (n <= 0) return false;
  out->resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(win32::kCodePage, MB_ERR_INVALID_CHARS, gbk, static_cast<int>(length), out->data(), n) ==
         n;
}

bool WidenExact(const std::string& gbk, std::wstring* out) { return WidenExact(gbk.data(), gbk.size(), out); }

bool NarrowExact(const wchar_t* utf16, std::size_t length, std::string* out) {
  out->clear();
  if (length == 0) return true;
  if (length > 0x3FFFFFFF) return false;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(win32::kCodePage, WC_NO_BEST_FIT_CHARS, utf16, static_cast<int>(length), nullptr, 0,
                              nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out->resize(static_cast<std::size_t>(n));
  n = WideCharToMultiByte(win32::kCodePage, WC_NO_BEST_FIT_CHARS, utf16, static_cast<int>(length), out->data(), n,
                          nullptr, &usedDefault);
  return n == static_cast<int>(out->size()) && !usedDefault;
}

// The whole stored value, however long, also if it grows between the calls.
bool ReadWhole(HKEY key, const std::wstring& name, DWORD* type, std::vector<BYTE>* raw) {
  DWORD bytes = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, &bytes);
  for (int attempt = 0; attempt < 8 && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA); ++attempt) {
    raw->resize(static_cast<std::size_t>(bytes) + sizeof(wchar_t));
    DWORD got = static_cast<DWORD>(raw->size());
    rc = RegQueryValueExW(key, name.c_str(), nullptr, type, raw->data(), &got);
    if (rc == ERROR_SUCCESS) {
      raw->resize(got);
      return true;
    }
    bytes = got;
  }
  return false;
}

class Win32Registry : public Registry {
 public:
  RegKey OpenHive(Hive hive) override {
    return ToRegKey(hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
  }

  // RegOpenKey opens with MAXIMUM_ALLOWED; RegOpenKeyEx with an empty path
  // gives a new handle, where RegOpenKey would hand back `parent` itself.
  RegKey Open(RegKey parent, const std::string& path) override { return OpenWith(parent, path, MAXIMUM_ALLOWED); }

  RegKey OpenRead(RegKey parent, const std::string& path) override { return OpenWith(parent, path, KEY_READ); }

  bool SubkeyCount(RegKey key, std::uint32_t* count) override {
    DWORD subkeys = 0;
    if (!key || RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    *count = subkeys;
    return true;
  }

  bool EnumSubkey(RegKey key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override {
    wchar_t name[256];  // a key name has at most 255 characters
    DWORD length = 256;
    std::string gbk;
    if (!key || RegEnumKeyExW(ToHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        !NarrowExact(name, length, &gbk) || gbk.size() + 1 > bufferSize)
      return false;
    std::memcpy(buffer, gbk.c_str(), gbk.size() + 1);
    return true;
  }

  QueryResult QueryValue(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                         std::uint32_t* size) override {
    std::wstring wideName;
    DWORD storedType = 0;
    std::vector<BYTE> raw;
    if (!key || (data && !size) || !WidenExact(name, &wideName) || !ReadWhole(ToHkey(key), wideName, &storedType, &raw))
      return QueryResult::NotFound;

    std::string delivered;
    bool exact = true;
    if (IsText(storedType)) {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(raw.data());
      const std::size_t length = raw.size() / sizeof(wchar_t);
      exact = NarrowExact(text, length, &delivered);
      if (!exact) delivered = win32::Narrow(text, length);  // '?' for what GBK lacks
      if (delivered.empty() || delivered.back() != '\0') delivered.push_back('\0');
    } else {
      delivered.assign(raw.begin(), raw.end());
    }

    return Deliver(exact ? QueryResult::Ok : QueryResult::NotGbk, storedType, delivered, type, data, size);
  }

  // RegCreateKey's access: MAXIMUM_ALLOWED, so an existing key still opens
  // without the right to change it, as it does for a user who is not an
  // administrator.
  RegKey Create(RegKey parent, const std::string& path, Status* status) override {
    std::wstring widePath;
    HKEY key = nullptr;
    Status result = Status(kErrorInvalidHandle);
    if (parent) result = WidenExact(path, &widePath) ? Code(RegCreateKeyExW(ToHkey(parent), widePath.c_str(), 0,
                                                                           nullptr, REG_OPTION_NON_VOLATILE,
                                                                           MAXIMUM_ALLOWED, nullptr, &key, nullptr))
                                                     : Status(kErrorNoUnicodeTranslation);
    if (status) *status = result;
    return result ? ToRegKey(key) : nullptr;
  }

  Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    std::wstring wideName;
    if (!key) return Status(kErrorInvalidHandle);
    if (!data && size > 0) return Status(kErrorInvalidParameter);
    if (!WidenExact(name, &wideName)) return Status(kErrorNoUnicodeTranslation);
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::wstring text;
    if (IsText(type)) {
      // The caller's byte count decides whether a terminator is stored, so
      // the converted text keeps exactly the characters those bytes hold.
      if (!WidenExact(static_cast<const char*>(data), size, &text)) return Status(kErrorNoUnicodeTranslation);
      if (text.size() > MAXDWORD / sizeof(wchar_t) - 1) return Status(kErrorInvalidParameter);
      size = static_cast<std::uint32_t>(text.size() * sizeof(wchar_t));
      // RegSetValueExW stores one more character when the counted text does
      // not end in a zero but the character after it is one, taking it for a
      // forgotten terminator. A non-zero character there keeps the count.
      text.push_back(L'\x1');
      bytes = reinterpret_cast<const BYTE*>(text.data());
    }
    return Code(RegSetValueExW(ToHkey(key), wideName.c_str(), 0, type, bytes, size));
  }

  Status DeleteKey(RegKey parent, const std::string& path) override {
    std::wstring widePath;
    if (!parent) return Status(kErrorInvalidHandle);
    // An empty path, or one that starts at a backslash, would name `parent`
    // itself or nothing; both are refused.
    if (path.empty() || path[0] == '\\') return Status(kErrorInvalidParameter);
    if (!WidenExact(path, &widePath)) return Status(kErrorNoUnicodeTranslation);
    return Code(RegDeleteKeyW(ToHkey(parent), widePath.c_str()));
  }

  Status DeleteValue(RegKey key, const std::string& name) override {
    std::wstring wideName;
    if (!key) return Status(kErrorInvalidHandle);
    if (!WidenExact(name, &wideName)) return Status(kErrorNoUnicodeTranslation);
    return Code(RegDeleteValueW(ToHkey(key), wideName.c_str()));
  }

  bool ValueCount(RegKey key, std::uint32_t* count) override {
    DWORD values = 0;
    if (!key || RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    *count = values;
    return true;
  }

  // The hive roots are the predefined handles, which stay valid for the
  // whole process.
  void Close(RegKey key) override {
    HKEY hkey = ToHkey(key);
    if (hkey && hkey != HKEY_LOCAL_MACHINE && hkey != HKEY_CURRENT_USER) RegCloseKey(hkey);
  }

 private:
  RegKey OpenWith(RegKey parent, const std::string& path, REGSAM access) {
    std::wstring widePath;
    HKEY key = nullptr;
    if (!parent || !WidenExact(path, &widePath) ||
        RegOpenKeyExW(ToHkey(parent), widePath.c_str(), 0, access, &key) != ERROR_SUCCESS)
      return nullptr;
    return ToRegKey(key);
  }
};

}  // namespace

}  // namespace platform

platform::Registry& platform::win32::TheRegistry() {
  static Win32Registry registry;
  return registry;
}
