// Small file utilities shared by the Data-folder deployment and the placement
// of AutoCAD support files.
#pragma once

#include <cstddef>
#include <string>

#include "platform/status.h"

// What a path names (GetPathKind).
constexpr int kPathNothing = 0;
constexpr int kPathFile = 1;
constexpr int kPathFolder = 2;

// The folder "Data" beside the running program: its folder followed by
// "\Data" ("\Data" alone when the program path holds no backslash).
void GetDataFolder(std::string& dataFolder);

// kPathNothing, kPathFile or kPathFolder (the directory bit of the match).
int GetPathKind(std::string path);

// The current user's roaming application-data folder: APPDATA, or what the
// shell says when the variable is missing or empty. Empty when neither knows.
std::string AppDataFolder();

// Named in a failed copy's event when no application-data folder is known.
constexpr char kUnknownAppData[] = "%APPDATA%";

// Whether a folder is there (a drive root included): the directory bit of
// the path's attribute word.
bool IsFolder(const std::string& path);

// Clears the read-only bit of an existing file; says nothing either way.
void ClearReadOnly(std::string path);

// Deletes a file the install made, whatever read-only bit it carries.
platform::Status DeleteMadeFile(const std::string& path);

// Writes a file just copied through to the disk (FlushFileBuffers), so that
// a power cut cannot lose it once something it keeps has been replaced.
platform::Status FlushToDisk(const std::string& path);

// Whether a deletion left the file not there (any more).
bool Gone(platform::Status deleted);

// Payload files the program compares or records whole are small; a file
// longer than this is taken as unlike any of them.
constexpr std::size_t kMaxComparedFileBytes = 64u << 20;

// Whether two files can be read and hold the same bytes.
bool SameContent(const std::string& a, const std::string& b);

// A short text that tells a file's content from another's: its size and a
// 64-bit FNV-1a hash, e.g. "120473:9f1c0a4b7e2d3c61". Empty when the file
// cannot be read.
std::string FingerprintOf(const std::string& path);
