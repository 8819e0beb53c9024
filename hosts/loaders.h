// Loader registration's names (loaders.cpp): the loader keys, the LOADER
// texts and the module files they name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/files.h"

// The loader key of release Y below a product key: Applications\ZV_BatchPlotY.
constexpr char kApplicationsKey[] = "Applications";
constexpr char kLoaderKeyPrefix[] = "ZV_BatchPlot";

// Whether `keyPath` names a loader key: it ends in Applications\ZV_BatchPlot
// and a four-digit year.
bool IsLoaderKeyPath(const std::string& keyPath);

// The product keys of loader keys ("<product key>\Applications\ZV_BatchPlot<year>"),
// each once (ignoring case), in the order first named; paths that are no
// loader key are left out.
std::vector<std::string> ProductKeysOf(const std::vector<std::string>& loaderKeyPaths);

// Whether a LOADER text names a module inside `installDir` (ignoring case).
bool LoaderPointsInto(const std::string& loader, const std::string& installDir);

// What follows the install folder in a LOADER text: "\ZV_BatchPlot", the
// module generation's year and ".ARX".
constexpr std::size_t kLoaderNameBytes = sizeof("\\ZV_BatchPlot2008.ARX") - 1;

// The LOADER text must stay within AutoCAD's path limit, which leaves this
// much for the install folder (238 bytes).
constexpr std::size_t kMaxInstallDirBytes = platform::kMaxPathBytes - kLoaderNameBytes;

// The add-on's loader module files, one per module generation
// (ZV_BatchPlot2008.ARX ...), which LOADER names inside the install folder.
std::vector<std::string> LoaderModuleNames();
