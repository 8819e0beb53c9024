// Small file utilities shared by the Data-folder deployment and the placement
// of AutoCAD support files.
#pragma once

#include <string>

// What a path names (GetPathKind).
constexpr int kPathNothing = 0;
constexpr int kPathFile = 1;
constexpr int kPathFolder = 2;

// The folder "Data" beside the running program: its folder followed by
// "\Data" ("\Data" alone when the program path holds no backslash).
void GetDataFolder(std::string& dataFolder);

// kPathNothing, kPathFile or kPathFolder (the directory bit of the match).
int GetPathKind(std::string path);

// Whether a folder is there (a drive root included): the directory bit of
// the path's attribute word.
bool IsFolder(const std::string& path);

// Clears the read-only bit of an existing file; says nothing either way.
void ClearReadOnly(std::string path);
