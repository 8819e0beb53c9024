// Rights service: who this process runs as and with which rights, who sits
// at the desktop, starting a copy of a program with full rights, and folders
// whose access list the program sets itself. Accounts are named by their SID
// in text form ("S-1-5-21-…"); paths are GBK in Windows form.
//
// Implementations: platform/win32/rights.cpp (the token, ShellExecuteExW with
// "runas", the security functions of advapi32) and, for the tests,
// tests/fakes/rights.h (a token the test sets, and the access lists it was
// given).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/status.h"

namespace platform {

// What the process's token allows.
enum class TokenRights {
  Full,      // full administrator rights: an elevated token, or an administrator with UAC turned off
  Limited,   // an administrator's filtered token (UAC): "runas" asks for consent
  Standard,  // no administrator rights: "runas" asks for an administrator's password
};

struct Account {
  std::string sid;   // "S-1-5-21-…"
  std::string name;  // "DOMAIN\user"; empty when it cannot be told
};

// The well-known accounts the program names.
constexpr char kSystemSid[] = "S-1-5-18";
constexpr char kAdministratorsSid[] = "S-1-5-32-544";
constexpr char kUsersSid[] = "S-1-5-32-545";
constexpr char kAuthenticatedUsersSid[] = "S-1-5-11";
constexpr char kEveryoneSid[] = "S-1-1-0";
constexpr char kInteractiveSid[] = "S-1-5-4";  // whoever signed in at this computer's screen

enum class ElevatedStartResult {
  Started,   // the copy runs with full rights (or, where UAC is off, as the user)
  Declined,  // the user answered No at the prompt (ERROR_CANCELLED)
  Refused,   // the system's policy refuses elevation (access denied)
  Failed,    // it could not be started for another reason (status says which)
};

struct ElevatedStart {
  ElevatedStartResult result = ElevatedStartResult::Failed;
  ProcessHandle process = nullptr;  // Started: wait for it or release it through Processes
  Status status;
};

// File access rights (the mask of an access entry), as Windows defines them.
constexpr std::uint32_t kAccessFullControl = 0x001F01FF;  // FILE_ALL_ACCESS
constexpr std::uint32_t kAccessModify = 0x001301BF;       // what the Modify permission grants
constexpr std::uint32_t kAccessReadExecute = 0x001200A9;  // FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
// Any of these lets its holder change or replace what a folder holds.
constexpr std::uint32_t kAccessAnyWrite = 0x00000002 /*FILE_WRITE_DATA, FILE_ADD_FILE*/ |
                                          0x00000004 /*FILE_APPEND_DATA, FILE_ADD_SUBDIRECTORY*/ |
                                          0x00000040 /*FILE_DELETE_CHILD*/ | 0x00010000 /*DELETE*/ |
                                          0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/ |
                                          0x10000000 /*GENERIC_ALL*/ | 0x40000000 /*GENERIC_WRITE*/;

// Access entry flags, as Windows defines them.
constexpr std::uint8_t kInheritToFiles = 0x01;    // OBJECT_INHERIT_ACE
constexpr std::uint8_t kInheritToFolders = 0x02;  // CONTAINER_INHERIT_ACE
constexpr std::uint8_t kInheritOnly = 0x08;       // INHERIT_ONLY_ACE
constexpr std::uint8_t kInherited = 0x10;         // INHERITED_ACE: came from the parent

struct AccessEntry {
  std::string sid;
  std::uint32_t mask = 0;
  std::uint8_t flags = 0;
  bool allow = true;  // false: an access-denied entry
  bool operator==(const AccessEntry& other) const {
    return sid == other.sid && mask == other.mask && flags == other.flags && allow == other.allow;
  }
};

// A folder's discretionary access list.
struct AccessList {
  bool isProtected = false;  // takes nothing from the parent folder
  std::vector<AccessEntry> entries;
  bool operator==(const AccessList& other) const {
    return isProtected == other.isProtected && entries == other.entries;
  }
};

class Rights {
 public:
  virtual ~Rights() = default;

  // Keeps the program's DLLs to System32 (SetDefaultDllDirectories with
  // LOAD_LIBRARY_SEARCH_SYSTEM32): a DLL placed beside the program is never
  // loaded. The first thing the program does.
  virtual void RestrictDllSearch() = 0;

  virtual TokenRights Token() = 0;

  // The token's user.
  virtual Account CurrentAccount() = 0;

  // The user of the desktop's shell (the TokenUser of the shell window's
  // process); nothing where there is no shell, as in a service or as SYSTEM.
  virtual std::optional<Account> ShellAccount() = 0;

  // Starts `program` with full rights (ShellExecuteExW with the verb
  // "runas"), each argument reaching it as one argument as Processes::Start
  // passes them, and the program's folder as its current folder.
  virtual ElevatedStart StartElevated(const std::string& program, const std::vector<std::string>& arguments) = 0;

  // A path on a mapped network drive as the UNC path the drive stands for
  // (WNetGetUniversalNameW), which an elevated process can reach without the
  // user's mapping; any other path as given.
  virtual std::string UniversalPath(const std::string& path) = 0;

  // Makes one folder level with `access` as its access list from the first
  // moment (CreateDirectoryW with security attributes); kErrorAlreadyExists
  // when something of that name is there.
  virtual Status CreateFolder(const std::string& path, const AccessList& access) = 0;

  // Replaces the access list of an existing folder (SetNamedSecurityInfoW);
  // the entries it gives its files and folders are handed down to them.
  virtual Status SetFolderAccess(const std::string& path, const AccessList& access) = 0;

  // The folder's access list as it stands; nothing when it cannot be read.
  virtual std::optional<AccessList> FolderAccess(const std::string& path) = 0;
};

Rights& GetRights();

}  // namespace platform
