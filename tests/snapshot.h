// Pictures of registry keys and folders, taken through the services, so that
// a test can compare what a machine held before an install with what it
// holds after the uninstall, on the in-memory services and the real ones.
#pragma once

#include <map>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"

// Every key below `path` ("<path>\" -> "") and every value
// ("<key>\<name>" -> "<type>:<bytes>"), the key itself included.
using Picture = std::map<std::string, std::string>;

Picture RegistryPicture(platform::Registry& registry, platform::Hive hive, const std::string& path);

// Every folder below `folder` ("<path>\" -> "") and every file ("<path>" ->
// its content). Paths are kept as listed.
Picture FilesPicture(platform::Files& files, const std::string& folder);
