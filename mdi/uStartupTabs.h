#pragma once
// The folders a start opens before any argument: the tabs open at the last
// exit or the user's start-up folders; and the exit's saving of the open tabs
// (or their folding into the closed-folder history).

#include "app/uPIDL.h"

#include <windows.h>

#include <vector>

// What the start will open, read before the frame's layout is done and
// opened after it.
struct StartupFolders {
    std::vector<UniqueAbsolutePidl> folders;
    // One per folder: lock the tab once it is open.
    std::vector<bool> locks;
    // The folder whose tab is activated.
    int active = 0;
};

// Reads the start-up switches and the folders they choose. Nothing is chosen
// when the start has arguments and StopCmd is on, or Ctrl is held and
// StopCtrl is on. With DialogControl off, the shell's dialogs are allowed
// from here on.
StartupFolders LoadStartupFolders(bool startedWithArguments);
// Opens the folders as tabs at the end of the row, in order: the active one
// at once, the others once the frame has shown (or when FinishStartupFolders
// is called first). The shell's dialogs are allowed once all are open. A
// folder that cannot be listed any more closes its tab, as every folder does
// while the dialogs are held back, and the rest open.
void OpenStartupFolders(StartupFolders startup);
// Opens at once the start-up folders still waiting; nothing when none wait.
void FinishStartupFolders();
bool StartupReplayPending();
// Exit: with SaveTab on stores the folder tabs in tab order with their locks
// and the focused one; else records each in the closed-folder history.
void SaveOpenTabs(HKEY root);
