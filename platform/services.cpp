// The current instance of each platform service.
#include "platform/defaults.h"

namespace platform {
namespace {

Registry* g_registry = nullptr;
Files* g_files = nullptr;
Environment* g_environment = nullptr;
Processes* g_processes = nullptr;
MessageBoxes* g_messageBoxes = nullptr;
WindowHost* g_windowHost = nullptr;

}  // namespace

Registry& GetRegistry() { return g_registry ? *g_registry : DefaultRegistry(); }
void SetRegistry(Registry* registry) { g_registry = registry; }

Files& GetFiles() { return g_files ? *g_files : DefaultFiles(); }
void SetFiles(Files* files) { g_files = files; }

Environment& GetEnvironment() { return g_environment ? *g_environment : DefaultEnvironment(); }
void SetEnvironment(Environment* environment) { g_environment = environment; }

Processes& GetProcesses() { return g_processes ? *g_processes : DefaultProcesses(); }
void SetProcesses(Processes* processes) { g_processes = processes; }

MessageBoxes& GetMessageBoxes() { return g_messageBoxes ? *g_messageBoxes : DefaultMessageBoxes(); }
void SetMessageBoxes(MessageBoxes* boxes) { g_messageBoxes = boxes; }

WindowHost& GetWindowHost() { return g_windowHost ? *g_windowHost : DefaultWindowHost(); }
void SetWindowHost(WindowHost* host) { g_windowHost = host; }

}  // namespace platform
