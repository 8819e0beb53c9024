// What Windows refuses a token without full rights (an administrator's
// filtered token under UAC, or a standard user's), enforced by shims that
// stack over any registry and file service, the in-memory ones natively and
// the real ones under Wine, which refuses nothing. While the rights' token is
// Full they pass everything through, so a test can play the elevated copy by
// giving the same rights a full token for the time.
//
// The one switch for a test: a LimitedToken for as long as the run should
// lack full rights.
//
//   SetupWorld w;
//   platform::LimitedToken limited(platform::TokenRights::Limited);
//   ... the run's HKLM writes and its copies into Program Files fail with
//   kErrorAccessDenied, as on a default Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "platform/services.h"
#include "tests/fakes/forwarding_files.h"
#include "tests/fakes/rights.h"

namespace platform {

// Without full rights every write below HKEY_LOCAL_MACHINE, and below
// HKEY_USERS except in the account's own hive (its SID, and its SID with
// "_Classes"), fails with kErrorAccessDenied. An existing key still opens
// through Create, as RegCreateKey opens it with what access it can get, but
// nothing in it can be changed. Reads and HKEY_CURRENT_USER pass through.
class LimitedRegistry : public ForwardingRegistry {
 public:
  LimitedRegistry(Registry& inner, MemoryRights& rights) : ForwardingRegistry(inner), rights_(rights) {}

  RegKey OpenHive(Hive hive) override;
  RegKey Open(RegKey parent, const std::string& path) override;
  RegKey OpenRead(RegKey parent, const std::string& path) override;
  RegKey Create(RegKey parent, const std::string& path, Status* status = nullptr) override;
  Status SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  Status DeleteKey(RegKey parent, const std::string& path) override;
  Status DeleteValue(RegKey key, const std::string& name) override;
  void Close(RegKey key) override;

 private:
  // Whose a key is: its hive, and below HKEY_USERS the first key's name
  // (empty at HKEY_USERS itself).
  struct Place {
    Hive hive = Hive::CurrentUser;
    std::string user;
  };
  // Where `path` below the key `parent` is; nothing for a key this shim
  // did not hand out.
  bool PlaceOf(RegKey parent, const std::string& path, Place* place) const;
  bool Refused(RegKey parent, const std::string& path = std::string()) const;
  RegKey Opened(RegKey parent, const std::string& path, RegKey key);

  MemoryRights& rights_;
  // The real registry hands out one predefined handle for every opening of a
  // hive root, so handles are counted.
  struct Handle {
    Place place;
    int count = 0;
  };
  std::map<RegKey, Handle> handles_;
};

// Without full rights, making, changing or removing anything in a folder
// where MemoryRights::MayWriteIn says no fails with kErrorAccessDenied.
class LimitedFiles : public ForwardingFiles {
 public:
  LimitedFiles(Files& inner, MemoryRights& rights) : ForwardingFiles(inner), rights_(rights) {}

  Status SetAttributes(const std::string& path, std::uint32_t attributes) override;
  Status CopyFile(const std::string& source, const std::string& destination) override;
  Status CreateDirectory(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  Status RemoveDirectory(const std::string& path) override;
  Status WriteFile(const std::string& path, const std::string& content) override;

 private:
  bool Refused(const std::string& path);

  MemoryRights& rights_;
};

// From its making until it goes: the rights in use report `token`, and the
// registry and the files in use (the world's, failure shims included) refuse
// what Windows refuses such a token. The rights in use are a MemoryRights
// (natively they always are); where they are not, as in the Windows test
// program, it puts a MemoryRights of its own in use for the time.
class LimitedToken {
 public:
  explicit LimitedToken(TokenRights token = TokenRights::Limited);
  ~LimitedToken();
  LimitedToken(const LimitedToken&) = delete;
  LimitedToken& operator=(const LimitedToken&) = delete;

  MemoryRights& rights() { return *rights_; }

 private:
  Services before_;
  std::unique_ptr<MemoryRights> own_;
  MemoryRights* rights_ = nullptr;
  TokenRights tokenBefore_ = TokenRights::Full;
  std::unique_ptr<LimitedRegistry> registry_;
  std::unique_ptr<LimitedFiles> files_;
};

}  // namespace platform
