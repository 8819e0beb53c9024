#include "deploy/folder_access.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::uint8_t kHandedDown = platform::kInheritToFiles | platform::kInheritToFolders;

// The accounts every user of the machine belongs to.
constexpr const char* kEveryUser[] = {platform::kUsersSid, platform::kAuthenticatedUsersSid, platform::kEveryoneSid,
                                      platform::kInteractiveSid};

}  // namespace

platform::AccessList LockedFolderAccess(platform::TokenRights token, const std::string& installingUser) {
  platform::AccessList access;
  access.isProtected = true;
  access.entries = {{platform::kAdministratorsSid, platform::kAccessFullControl, kHandedDown},
                    {platform::kSystemSid, platform::kAccessFullControl, kHandedDown}};
  if (token != platform::TokenRights::Full)
    access.entries.push_back({installingUser, platform::kAccessFullControl, kHandedDown});
  access.entries.push_back({platform::kUsersSid, platform::kAccessReadExecute, kHandedDown});
  return access;
}

bool UsersCanWrite(const platform::AccessList& access) {
  return std::any_of(access.entries.begin(), access.entries.end(), [](const platform::AccessEntry& entry) {
    return entry.allow && (entry.mask & platform::kAccessAnyWrite) != 0 &&
           std::find(std::begin(kEveryUser), std::end(kEveryUser), entry.sid) != std::end(kEveryUser);
  });
}
