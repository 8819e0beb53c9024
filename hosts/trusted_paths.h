// Trusted-path registration's list rules and the profile lists it shares
// with the support file search path (trusted_paths.cpp).
#pragma once

#include <string>
#include <vector>

#include "hosts/changes.h"
#include "platform/registry.h"

// The TRUSTEDPATHS list that holds `installDir`, made from the stored one: a
// list of two bytes or fewer holds no real folder and is replaced by the
// folder; any other is kept whole, upper-cased, with the folder appended after
// a ";" unless one of its entries already is the folder.
std::string ComposeTrustedPaths(const std::string& existing, const std::string& installDir);

// The support file search path that holds `folder`, made from the user's
// stored list: kept whole and as the user wrote it, the folder appended
// after a ";" (none added behind one that ends it) unless one of its
// entries already is the folder.
std::string ComposeSupportPath(const std::string& existing, const std::string& folder);

// Whether one of the ';'-separated entries of a TRUSTEDPATHS list is
// `folder`, ignoring case and a trailing backslash. An entry that only begins
// with the folder is another folder.
bool ListHasEntry(const std::string& list, std::string folder);

// <profile root>\<profile>\`subkey` for every AutoCAD profile of the current
// user, below HKEY_CURRENT_USER.
std::vector<std::string> ProfileKeys(platform::Registry& registry, const char* subkey);

// The list `name` of the profile key `write->change.key` below `root`, whole,
// up to its first zero byte, and the value exactly as stored: nothing when
// the key or the value is missing (the key missing: `createdLevels` 1, the
// levels a write then makes). Not ok when it cannot be read whole or is of
// another type: writing then would lose what is stored.
platform::Status ReadProfileList(platform::Registry& registry, platform::RegKey root, const char* name,
                                 TrustedPathWrite* write);
