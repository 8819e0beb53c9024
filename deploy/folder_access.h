// The access list of the folders that only administrators may change: the
// product folder, which becomes a trusted path that AutoCAD loads modules
// from without asking, and the folder the uninstaller runs its copy from
// with full rights. Whatever can be written there runs, sooner or later, as
// whoever starts AutoCAD or the uninstaller.
#pragma once

#include <string>

#include "platform/rights.h"

// Administrators and SYSTEM full control, Users read and execute, handed
// down to every file and folder below; nothing taken from the parent. A
// process without full rights could not fill such a folder itself: its user
// (`installingUser`, a SID) keeps full control as well.
platform::AccessList LockedFolderAccess(platform::TokenRights token, const std::string& installingUser);

// Whether the list lets every user of the machine (Users, Authenticated
// Users, Everyone, INTERACTIVE) add, change or delete what the folder holds.
bool UsersCanWrite(const platform::AccessList& access);
