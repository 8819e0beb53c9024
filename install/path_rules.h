// Rules for a folder path typed or picked in the folder picker or in the
// setup dialog's folder box: which paths may become the install folder, and
// creating one level by level with the user's consent. Paths are split and
// tested by character, as the rest of the program reads them: the trail byte
// of a double-byte character is never taken for a backslash or any other
// single-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

// The routines copy the path into a Windows path buffer; a longer path is
// invalid.
constexpr std::size_t kFolderPathBufferSize = platform::kPathBufferBytes;

// What BuildFolderPath and ConfirmFolderPath come to, with the codes the
// folder routines have always returned.
enum class FolderPathResult : int {
  Declined = -1,  // ConfirmFolderPath only: the user did not want it made
  Ok = 0,
  Invalid = 1,
  NotCreated = 2,
};

// Whether IsValidPathComponent accepts a name, with its codes.
enum class NameVerdict : int {
  Invalid = 0,
  Valid = 1,
};

// Why a path is not of the form a folder to install into must have.
enum class PathFault {
  None,
  NotAbsolute,  // no drive letter, colon and backslash in front
  EmptyName,    // two backslashes in a row, or one behind the last name
  BadName,      // a name IsValidPathComponent refuses
  Semicolon,    // AutoCAD's trusted-path list separates its folders with ';'
  LoneSurrogate,  // a name holding half a UTF-16 surrogate pair: no character anyone typed
};

struct PathCheck {
  PathFault fault = PathFault::None;
  std::string name;  // BadName, Semicolon, LoneSurrogate: the name refused
};

// Valid when `name` (may be null) may be one folder name: well-formed GBK, no
// TAB, space or full stop at either end (so neither "." nor ".."), none of
// " * / : < > ? \ | as a character of its own.
NameVerdict IsValidPathComponent(const char* name);

// The form alone, at any length: a drive letter, colon and backslash, then
// valid folder names separated by single backslashes, none behind the last
// name, and no ';' anywhere.
PathCheck CheckFolderForm(std::string_view path);

// The folders a path of good form names, from the drive outwards: C:\a\b
// gives C:\a and C:\a\b; a drive root gives none.
std::vector<std::string> FolderLevels(std::string_view path);

// Checks `path` (may be null): of good form and at most 259 bytes. With
// `validateOnly` zero it also creates every missing level from the drive
// outwards; levels made before a failing one stay, and a level that is a file
// fails. Returns Ok, Invalid or (create mode only) NotCreated.
FolderPathResult BuildFolderPath(const char* path, int validateOnly);

// The picker's OK rule: accepts an existing folder at once, refuses an
// existing file, otherwise asks whether to create the folder and does so.
// Shows the question and the reports itself (in English, captioned with the
// program's file name). Returns Ok, Declined, Invalid or NotCreated.
FolderPathResult ConfirmFolderPath(const char* path);
