#pragma once
// Folders that reach the program from outside: its own arguments, a second
// start's command line and the shell's folder verb, both of the latter by DDE.

#include "app/uCmdLineText.h"

#include <windows.h>
#include <shlobj.h>

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
using FolderOpener = void (*)(LPITEMIDLIST folder, bool activate, LPCITEMIDLIST selectItem);
// Returns the opener in use before; null puts the default back.
FolderOpener SetFolderOpener(FolderOpener opener);

void StartDdeServer();
void StopDdeServer();
// Second start: hands this process's command line to the running instance.
void SendCommandLineToRunningInstance();
