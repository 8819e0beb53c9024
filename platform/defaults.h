// The services a build uses unless a test swaps in others: the Win32 ones in
// the Windows builds (platform/win32/defaults.cpp), the in-memory ones in the
// native build (platform/memory/native_defaults.cpp).
#pragma once

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/window_host.h"

namespace platform {

Registry& DefaultRegistry();
Files& DefaultFiles();
Environment& DefaultEnvironment();
Processes& DefaultProcesses();
MessageBoxes& DefaultMessageBoxes();
WindowHost& DefaultWindowHost();

}  // namespace platform
