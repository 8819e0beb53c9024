// The rights service. A first cut: the token and the folder access lists
// come with the full implementation.
#include <windows.h>

#include "platform/rights.h"
#include "platform/win32/services.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

class Win32Rights : public Rights {
 public:
  void RestrictDllSearch() override {}
  TokenRights Token() override { return TokenRights::Full; }
  Account CurrentAccount() override { return Account{}; }
  std::optional<Account> ShellAccount() override { return std::nullopt; }
  ElevatedStart StartElevated(const std::string&, const std::vector<std::string>&) override {
    return ElevatedStart{};
  }
  std::string UniversalPath(const std::string& path) override { return path; }
  Status CreateFolder(const std::string& path, const AccessList&) override {
    if (CreateDirectoryW(win32::Widen(path).c_str(), nullptr)) return Status::Ok();
    return Status(GetLastError());
  }
  Status SetFolderAccess(const std::string&, const AccessList&) override { return Status::Ok(); }
  std::optional<AccessList> FolderAccess(const std::string&) override { return std::nullopt; }
};

}  // namespace

namespace win32 {
Rights& TheRights() {
  static Win32Rights rights;
  return rights;
}
}  // namespace win32

}  // namespace platform
