// In-memory rights for tests: a token, an account and a desktop user the
// test sets; elevated starts that are recorded and, when the test lets them
// start, run through the process service (so MemoryProcesses' program plays
// the elevated copy); folders made over the file service, with the access
// list each was given kept entry by entry; drive letters the test maps to
// network shares.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/rights.h"

namespace platform {

class MemoryRights : public Rights {
 public:
  explicit MemoryRights(Files& files) : files_(&files) {}
  // Over whichever file service is in use at each call, as the test
  // program's own (a test world puts its files in place, and its own rights
  // over them when it looks at the lists).
  MemoryRights() = default;

  void RestrictDllSearch() override { ++dllSearchRestricted_; }
  TokenRights Token() override { return token_; }
  Account CurrentAccount() override { return account_; }
  std::optional<Account> ShellAccount() override { return shell_; }
  ElevatedStart StartElevated(const std::string& program, const std::vector<std::string>& arguments) override;
  std::string UniversalPath(const std::string& path) override;
  Status CreateFolder(const std::string& path, const AccessList& access) override;
  Status SetFolderAccess(const std::string& path, const AccessList& access) override;
  std::optional<AccessList> FolderAccess(const std::string& path) override;

  // The test's side. By default the process is "user" with full rights at
  // its own desktop, and an elevated start starts.
  static constexpr char kUserSid[] = "S-1-5-21-1000-2000-3000-1001";
  void SetToken(TokenRights token) { token_ = token; }
  void SetAccount(Account account) { account_ = std::move(account); }
  void SetShellAccount(std::optional<Account> shell) { shell_ = std::move(shell); }
  // How the next elevated starts end; Started runs the program through
  // the process service.
  void SetElevatedStart(ElevatedStartResult result) { startResult_ = result; }
  // `drive` ("Z:") stands for `share` ("\\server\share").
  void MapDrive(const std::string& drive, const std::string& share) { mapped_[drive] = share; }
  // The access list of a folder the program did not make.
  void SetAccess(const std::string& path, AccessList access);

  struct ElevatedRequest {
    std::string program;
    std::vector<std::string> arguments;
  };
  const std::vector<ElevatedRequest>& elevatedRequests() const { return requests_; }
  int dllSearchRestricted() const { return dllSearchRestricted_; }

  // A folder's list as a drive root hands it down: what every folder has
  // that nobody set one for.
  static AccessList InheritedFromDriveRoot();

 private:
  static std::string KeyOf(const std::string& path);

  Files& files() { return files_ != nullptr ? *files_ : GetFiles(); }

  Files* files_ = nullptr;
  TokenRights token_ = TokenRights::Full;
  Account account_{kUserSid, "PC\\user"};
  std::optional<Account> shell_ = Account{kUserSid, "PC\\user"};
  ElevatedStartResult startResult_ = ElevatedStartResult::Started;
  std::vector<ElevatedRequest> requests_;
  std::map<std::string, std::string> mapped_;
  std::map<std::string, AccessList> access_;
  int dllSearchRestricted_ = 0;
};

}  // namespace platform
