// Trusted-path registration's list rules (trusted_paths.cpp).
#pragma once

#include <string>

// The TRUSTEDPATHS list that holds `installDir`, made from the stored one: a
// list of two bytes or fewer holds no real folder and is replaced by the
// folder; any other is kept whole, upper-cased, with the folder appended after
// a ";" unless one of its entries already is the folder.
std::string ComposeTrustedPaths(const std::string& existing, const std::string& installDir);

// Whether one of the ';'-separated entries of a TRUSTEDPATHS list is
// `folder`, ignoring case and a trailing backslash. An entry that only begins
// with the folder is another folder.
bool ListHasEntry(const std::string& list, std::string folder);
