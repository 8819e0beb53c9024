// Whether the text of the folder box may become the install folder, and
// making that folder. Everything is checked before the first level is made,
// so a refused text leaves nothing behind, and a text that is accepted
// installs completely: every file the install writes fits the path limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "install/path_rules.h"
#include "platform/status.h"

enum class FolderRefusal {
  None,
  Empty,         // no text at all
  Invalid,       // not a folder path of good form; `form` says why
  TooLong,       // a file the install writes would pass the path limit
  NoDrive,       // the drive is not there
  FileInTheWay,  // a level of the install folder is a file
  NotCreated,    // a level could not be made; `status` says why
};

// What became of the product folder's access list, which decides who can
// change what AutoCAD trusts there.
struct FolderLock {
  enum class What {
    Made,         // made with the list only administrators may change (LockedFolderAccess)
    Locked,       // an earlier install's folder (its record is there), given that list
    NotLocked,    // an earlier install's folder whose list could not be set: `status` says why
    LeftOpen,     // a folder no install of ours made, left as it is: every user can change it
    LeftAsIs,     // a folder no install of ours made, left as it is: users cannot change it
    LeftUnknown,  // a folder no install of ours made, left as it is: its list cannot be read
  };
  What what = What::Made;
  std::string folder;
  platform::Status status;  // NotLocked
};

struct FolderVerdict {
  FolderRefusal refusal = FolderRefusal::None;
  // The install folder: the text without one trailing backslash, then a
  // backslash and the product folder. Set once the form is good.
  std::string installDir;
  PathCheck form;           // Invalid
  std::string subject;      // TooLong: the file's name; NoDrive, FileInTheWay, NotCreated: the path
  std::size_t bytes = 0;    // TooLong: how long that file's path would be
  platform::Status status;  // NotCreated
  FolderLock lock;          // accepted by MakeInstallFolder

  bool accepted() const { return refusal == FolderRefusal::None; }
};

// The checks that need no disk: the form of the text, and the length of the
// path of each of `names`, the files the install writes into the install
// folder.
FolderVerdict CheckFolderText(const std::string& folderText, const std::vector<std::string>& names);

// The checks on the disk (the drive is there, no level of the folder is a
// file), then every missing level made, from the drive outwards: the parents
// as their parents hand down, the product folder itself with the locked
// list from its first moment. An earlier install's product folder is locked
// too; another one is left as it is.
FolderVerdict MakeInstallFolder(const std::string& installDir);
