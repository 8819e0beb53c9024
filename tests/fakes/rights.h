// In-memory rights for tests: a token, an account and a desktop user the
// test sets; elevated starts that are recorded and, when the test lets them
// start, run through the process service (so MemoryProcesses' program plays
// the elevated copy); folders made over the file service, with the access
// list each was given kept entry by entry (a folder without one of its own
// shows what it takes from the nearest folder above that has one); drive
// letters the test maps to network shares. Without full rights it refuses,
// as Windows does, to make or re-list a folder where the account may not
// write: tests/fakes/limited_token.h makes the registry and the files refuse
// the same.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/rights.h"
#include "platform/services.h"

namespace platform {

class MemoryRights : public Rights {
 public:
  // Folders are made over `files`; without it, over the file service in use
  // at the time.
  MemoryRights();
  explicit MemoryRights(Files& files);
  ~MemoryRights() override;
  MemoryRights(const MemoryRights&) = delete;
  MemoryRights& operator=(const MemoryRights&) = delete;

  // `rights` as a MemoryRights; null when it is another service (the real
  // one in the Windows test program, which is built without type
  // information, so dynamic_cast cannot ask).
  static MemoryRights* Of(Rights* rights);

  void RestrictDllSearch() override {
    ++state_.dllSearchRestricted;
    state_.restrictedBeforeServices = CurrentServices().rights != this;
  }
  TokenRights Token() override { return state_.token; }
  Account CurrentAccount() override { return state_.account; }
  std::optional<Account> ShellAccount() override { return state_.shell; }
  ElevatedStart StartElevated(const std::string& program, const std::vector<std::string>& arguments) override;
  std::string UniversalPath(const std::string& path) override;
  Status CreateFolder(const std::string& path, const AccessList& access) override;
  Status SetFolderAccess(const std::string& path, const AccessList& access) override;
  std::optional<AccessList> FolderAccess(const std::string& path) override;

  // The test's side. By default the process is "user" with full rights at
  // its own desktop, and an elevated start starts.
  static constexpr char kUserSid[] = "S-1-5-21-1000-2000-3000-1001";
  void SetToken(TokenRights token) { state_.token = token; }
  void SetAccount(Account account) { state_.account = std::move(account); }
  void SetShellAccount(std::optional<Account> shell) { state_.shell = std::move(shell); }
  // How the next elevated starts end; Started runs the program through
  // the process service.
  void SetElevatedStart(ElevatedStartResult result) { state_.startResult = result; }
  // `drive` ("Z:") stands for `share` ("\\server\share").
  void MapDrive(const std::string& drive, const std::string& share) { state_.mapped[drive] = share; }
  // The access list of a folder the program did not make.
  void SetAccess(const std::string& path, AccessList access);
  // Back to a fresh one's state, lists and requests forgotten: the test
  // program does it to FakeServices' rights before every test.
  void Reset() { state_ = State(); }

  struct ElevatedRequest {
    std::string program;
    std::vector<std::string> arguments;
  };
  const std::vector<ElevatedRequest>& elevatedRequests() const { return state_.requests; }
  int dllSearchRestricted() const { return state_.dllSearchRestricted; }
  // The last restriction came before this service was in use.
  bool restrictedBeforeServices() const { return state_.restrictedBeforeServices; }

  // A folder's list as a drive root hands it down: what every folder has
  // that nobody set one for.
  static AccessList InheritedFromDriveRoot();

  // Whether this token may change what `folder` holds: with full rights
  // always; otherwise never in C:\Program Files, C:\Program Files (x86),
  // C:\Windows or below them, and elsewhere when the folder's list lets the
  // account, Users, Authenticated Users, INTERACTIVE or Everyone write (no
  // denied entry first). Administrators count only with full rights.
  bool MayWriteIn(const std::string& folder);

 private:
  static std::string KeyOf(const std::string& path);
  // The list `key` has, or takes from the nearest folder above with one.
  AccessList ListOf(const std::string& key) const;
  Files& files() { return files_ != nullptr ? *files_ : GetFiles(); }

  Files* files_ = nullptr;
  // Everything a test sets or the program did, as a fresh one has it.
  struct State {
    TokenRights token = TokenRights::Full;
    Account account{kUserSid, "PC\\user"};
    std::optional<Account> shell = Account{kUserSid, "PC\\user"};
    ElevatedStartResult startResult = ElevatedStartResult::Started;
    std::vector<ElevatedRequest> requests;
    std::map<std::string, std::string> mapped;
    std::map<std::string, AccessList> access;
    int dllSearchRestricted = 0;
    bool restrictedBeforeServices = false;
  };
  State state_;
};

}  // namespace platform
