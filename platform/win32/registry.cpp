// The registry service on the real Windows registry, through the W functions.
// Names and texts cross the boundary through the program's lossless text, so
// every name and text reads whole and is written back unchanged; a text that
// is not well-formed is refused, never written with default characters. No
// call passes a registry-view flag.
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

bool WidenExact(const char* text, std::size_t length, std::wstring* out) {
  return win32::WidenExact(text, length, out);
}

bool WidenExact(const std::string& text, std::wstring* out) { return WidenExact(text.data(), text.size(), out); }

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
    switch (hive) {
      case Hive::LocalMachine:
        return ToRegKey(HKEY_LOCAL_MACHINE);
      case Hive::Users:
        return ToRegKey(HKEY_USERS);
      case Hive::CurrentUser:
        break;
    }
    return ToRegKey(HKEY_CURRENT_USER);
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
    if (!key || RegEnumKeyExW(ToHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    const std::string text = win32::Narrow(name, length);
    if (text.size() + 1 > bufferSize) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
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
    if (IsText(storedType)) {
      delivered = win32::Narrow(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
      if (delivered.empty() || delivered.back() != '\0') delivered.push_back('\0');
    } else {
      delivered.assign(raw.begin(), raw.end());
    }

    return Deliver(QueryResult::Ok, storedType, delivered, type, data, size);
  }

  QueryResult QueryStored(RegKey key, const std::string& name, StoredValue* value) override {
    std::wstring wideName;
    DWORD storedType = 0;
    std::vector<BYTE> raw;
    if (!key || !WidenExact(name, &wideName) || !ReadWhole(ToHkey(key), wideName, &storedType, &raw))
      return QueryResult::NotFound;
    value->type = storedType;
    // A stored terminator is a character of the stored text: it converts to
    // the zero byte that writes it again.
    if (IsText(storedType)) {
      value->bytes = win32::Narrow(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
    } else {
      value->bytes.assign(raw.begin(), raw.end());
    }
    return QueryResult::Ok;
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
