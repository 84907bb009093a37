#pragma once
// Folders that reach the program from outside: its own arguments, a second
// start's command line and the shell's folder verb, both of the latter by DDE.
// This unit stands above every window layer: it opens folders in child
// windows and brings the frame forward.

#include "app/uCmdLineText.h"
#include "shell/uDdeServer.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

// Whether the process command line holds anything beyond the program path.
bool HasArguments();
// firstIndex: 1 for a whole command line (program path skipped), 0 for a shell execute string.
void OpenArguments(const std::wstring& text, int firstIndex);
// True when a handle argument opened a folder.
bool OpenArgument(const std::wstring& argument, bool first);

// Where OpenArgument hands each folder it opens: it takes ownership of
// `folder`; `selectItem` (a child ID or null) stays the caller's. By default
// the child-window layer; tests put an observer in its place.
using FolderOpener = void (*)(PIDLIST_ABSOLUTE folder, bool activate, PCUITEMID_CHILD selectItem);
// Returns the opener in use before; null puts the default back.
FolderOpener SetFolderOpener(FolderOpener opener);

// A request that reached the DDE server (see SetDdeRequestHandler): the
// frame comes forward, out of the notification area, and the arguments open.
void OpenDdeRequest(const std::wstring& text, int firstIndex);
// A command line as the process that holds it means it, fit to be read by
// another process: every argument quoted, environment strings expanded and
// relative paths anchored at this process's current folder.
std::wstring AnchoredCommandLine(const std::wstring& commandLine);
// Second start: hands this process's command line, anchored, to the running
// instance. While `instanceRuns` says the instance exists but its DDE server
// does not answer yet (it is still starting), asks again, for a bounded time.
// False when the command line could not be handed over.
bool SendCommandLineToRunningInstance(const std::function<bool()>& instanceRuns = nullptr);
