// The rights service: the process token (its elevation and its user), the
// shell's user from the token of the shell window's process, elevated starts
// through ShellExecuteExW with "runas", mapped drives through mpr's
// WNetGetUniversalNameW (taken from System32 when first needed: mpr is no
// KnownDLL), and folders' access lists through advapi32's security
// functions. Texts converted between GBK and UTF-16 at this boundary.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <winnetwk.h>

#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/rights.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace platform {
namespace {

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

class TokenHandle {
 public:
  TokenHandle(HANDLE process, DWORD access) {
    if (!OpenProcessToken(process, access, &token_)) token_ = nullptr;
  }
  ~TokenHandle() {
    if (token_) CloseHandle(token_);
  }
  TokenHandle(const TokenHandle&) = delete;
  TokenHandle& operator=(const TokenHandle&) = delete;
  HANDLE get() const { return token_; }

 private:
  HANDLE token_ = nullptr;
};

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return std::string();
  LocalMemory held(text);
  return win32::Narrow(text);
}

LocalMemory SidOf(const std::string& text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(win32::Widen(text).c_str(), &sid)) return nullptr;
  return LocalMemory(sid);
}

// "DOMAIN\name"; empty when the system cannot name the SID.
std::string AccountName(PSID sid) {
  wchar_t name[257];
  wchar_t domain[257];
  DWORD nameSize = 257;
  DWORD domainSize = 257;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return std::string();
  return domainSize == 0 ? win32::Narrow(name) : win32::Narrow(domain) + "\\" + win32::Narrow(name);
}

std::optional<Account> TokenAccount(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return std::nullopt;
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  Account account{SidText(sid), AccountName(sid)};
  if (account.sid.empty()) return std::nullopt;
  return account;
}

bool IsAdministrator() {
  LocalMemory administrators = SidOf(kAdministratorsSid);
  BOOL member = FALSE;
  return administrators && CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

// A discretionary access list of `access`'s entries, in their order.
struct Dacl {
  Status status;
  std::vector<DWORD> buffer;  // an ACL must be DWORD-aligned
  ACL* get() { return reinterpret_cast<ACL*>(buffer.data()); }
};

Dacl MakeDacl(const AccessList& access) {
  Dacl dacl;
  std::vector<LocalMemory> sids;
  DWORD bytes = sizeof(ACL);
  for (const AccessEntry& entry : access.entries) {
    sids.push_back(SidOf(entry.sid));
    if (!sids.back()) return Dacl{Status(GetLastError()), {}};
    // Allowed and denied entries have one shape: a header, a mask, the SID.
    bytes += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids.back().get());
  }
  bytes = (bytes + 3) & ~3u;
  dacl.buffer.resize(bytes / 4);
  if (!InitializeAcl(dacl.get(), bytes, ACL_REVISION)) return Dacl{Status(GetLastError()), {}};
  for (std::size_t i = 0; i < sids.size(); ++i) {
    const AccessEntry& entry = access.entries[i];
    const BOOL added =
        entry.allow ? AddAccessAllowedAceEx(dacl.get(), ACL_REVISION, entry.flags, entry.mask, sids[i].get())
                    : AddAccessDeniedAceEx(dacl.get(), ACL_REVISION, entry.flags, entry.mask, sids[i].get());
    if (!added) return Dacl{Status(GetLastError()), {}};
  }
  return dacl;
}

bool Fits(const std::string& path) { return path.size() <= kMaxPathBytes; }

class Win32Rights : public Rights {
 public:
  void RestrictDllSearch() override { win32::KeepDllSearchToSystem32(); }

  TokenRights Token() override {
    TokenHandle token(GetCurrentProcess(), TOKEN_QUERY);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (token.get() && GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
        type == TokenElevationTypeLimited)
      return TokenRights::Limited;
    if (token.get() && GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated)
      return TokenRights::Full;
    // An administrator where UAC is off has a token of the default type
    // with the Administrators group in force.
    return IsAdministrator() ? TokenRights::Full : TokenRights::Standard;
  }

  Account CurrentAccount() override {
    TokenHandle token(GetCurrentProcess(), TOKEN_QUERY);
    std::optional<Account> account = token.get() ? TokenAccount(token.get()) : std::nullopt;
    return account ? *account : Account{};
  }

  std::optional<Account> ShellAccount() override {
    HWND shell = GetShellWindow();
    DWORD id = 0;
    if (shell == nullptr || GetWindowThreadProcessId(shell, &id) == 0 || id == 0) return std::nullopt;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) return std::nullopt;
    std::optional<Account> account;
    {
      TokenHandle token(process, TOKEN_QUERY);
      if (token.get()) account = TokenAccount(token.get());
    }
    CloseHandle(process);
    return account;
  }

  ElevatedStart StartElevated(const std::string& program, const std::vector<std::string>& arguments) override {
    const std::wstring file = win32::Widen(program);
    std::wstring parameters;
    for (const std::string& argument : arguments) {
      if (!parameters.empty()) parameters += L' ';
      parameters += win32::QuotedArgument(win32::Widen(argument));
    }
    const std::wstring folder = win32::Widen(mbcs::FolderOf(program));
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // The program tells of a failure itself: no box from the shell.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetActiveWindow();  // the consent prompt belongs to our dialog, if one is up
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    // The shell may hand the start to a COM object of its own.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL started = ShellExecuteExW(&info);
    const DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (SUCCEEDED(com)) CoUninitialize();
    ElevatedStart start;
    start.status = Status(error);
    if (started) {
      start.result = ElevatedStartResult::Started;
      start.process = reinterpret_cast<ProcessHandle>(info.hProcess);
    } else if (error == ERROR_CANCELLED) {
      start.result = ElevatedStartResult::Declined;
    } else if (error == ERROR_ACCESS_DENIED) {
      start.result = ElevatedStartResult::Refused;
    }
    return start;
  }

  std::string UniversalPath(const std::string& path) override {
    if (path.size() < 2 || path[1] != ':') return path;
    if (GetDriveTypeW(win32::Widen(path.substr(0, 2) + "\\").c_str()) != DRIVE_REMOTE) return path;
    using Function = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);
    static const auto universalName = win32::SystemFunction<Function>(L"mpr.dll", "WNetGetUniversalNameW");
    if (universalName == nullptr) return path;
    const std::wstring local = win32::Widen(path);
    DWORD size = 1024;
    std::vector<unsigned char> buffer(size);
    DWORD result = universalName(local.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    if (result == ERROR_MORE_DATA) {
      buffer.resize(size);
      result = universalName(local.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    }
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    if (result != NO_ERROR || info->lpUniversalName == nullptr) return path;
    return win32::Narrow(info->lpUniversalName);
  }

  Status CreateFolder(const std::string& path, const AccessList& access) override {
    if (!Fits(path)) return Status(kErrorFilenameTooLong);
    Dacl dacl = MakeDacl(access);
    if (!dacl.status) return dacl.status;
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, dacl.get(), FALSE) ||
        (access.isProtected && !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)))
      return Status(GetLastError());
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    if (!CreateDirectoryW(win32::Widen(path).c_str(), &attributes)) return Status(GetLastError());
    return Status::Ok();
  }

  Status SetFolderAccess(const std::string& path, const AccessList& access) override {
    if (!Fits(path)) return Status(kErrorFilenameTooLong);
    Dacl dacl = MakeDacl(access);
    if (!dacl.status) return dacl.status;
    std::wstring wide = win32::Widen(path);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (access.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    const DWORD result = SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl.get(), nullptr);
    return result == ERROR_SUCCESS ? Status::Ok() : Status(result);
  }

  std::optional<AccessList> FolderAccess(const std::string& path) override {
    if (!Fits(path)) return std::nullopt;
    std::wstring wide = win32::Widen(path);
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
      return std::nullopt;
    LocalMemory held(descriptor);
    AccessList list;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision))
      list.isProtected = (control & SE_DACL_PROTECTED) != 0;
    if (dacl == nullptr) {
      // No list at all lets everyone do anything.
      list.entries.push_back({kEveryoneSid, kAccessFullControl, kInheritToFiles | kInheritToFolders, true});
      return list;
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(dacl, i, &ace)) return std::nullopt;
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      bool allow = true;
      switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        // A conditional grant counts as a grant: whoever asks whether users
        // may write wants to hear of it.
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
          break;
        case ACCESS_DENIED_ACE_TYPE:
          allow = false;
          break;
        default:
          continue;  // object entries belong to directory objects, not to folders
      }
      // The three types share the shape of ACCESS_ALLOWED_ACE.
      const auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      const std::string sid = SidText(const_cast<DWORD*>(&entry->SidStart));
      if (sid.empty()) return std::nullopt;
      list.entries.push_back({sid, entry->Mask, header->AceFlags, allow});
    }
    return list;
  }
};

}  // namespace

namespace win32 {
Rights& TheRights() {
  static Win32Rights rights;
  return rights;
}
}  // namespace win32

}  // namespace platform
