// Rules for a folder path typed or picked in the folder picker: which paths
// may become the install folder, and creating one level by level with the
// user's consent. Every test looks at single bytes, so the trail byte of a
// double-byte character counts like any other byte.
#pragma once

#include <cstddef>

#include "platform/files.h"

// The routines copy the path into a Windows path buffer; a longer path is
// invalid.
constexpr std::size_t kFolderPathBufferSize = platform::kPathBufferBytes;

// Result codes of BuildFolderPath and ConfirmFolderPath.
constexpr int kPathOk = 0;
constexpr int kPathInvalid = 1;
constexpr int kPathNotCreated = 2;
constexpr int kPathDeclined = -1;  // ConfirmFolderPath only

// 1 when `name` (may be null) may be one folder name, 0 otherwise.
int IsValidPathComponent(const char* name);

// Checks `path` (may be null): a drive letter, colon and backslash, then
// folder names separated by single backslashes, none behind the last name.
// With `validateOnly` zero it also creates every missing level from the drive
// outwards; levels made before a failing one stay. Returns kPathOk,
// kPathInvalid or (create mode only) kPathNotCreated.
int BuildFolderPath(const char* path, int validateOnly);

// The picker's OK rule: accepts an existing path at once, otherwise asks
// whether to create it and does so. Shows the question and the reports itself
// (in English, captioned with the program's file name). Returns kPathOk,
// kPathDeclined, kPathInvalid or kPathNotCreated.
int ConfirmFolderPath(const char* path);
