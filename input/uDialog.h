#pragma once
// The key assignment dialog: one dialog for both scopes, chosen by the command
// that opens it. Choosing an item of its own copy of the main menu picks that
// command instead of running it.

#include <windows.h>

#include <string>

// `mode` is the command that opens the dialog: IDM_KEYS_PROGRAM for the
// whole-program table, IDM_KEYS_LIST for the list's.
// Modal; 1 when OK replaced the scope's table (and rebuilt the frame's menu), 2 on Cancel.
INT_PTR RunKeyAssignDialog(HWND owner, WORD mode);
// The same dialog without its own loop, for callers that drive it by messages;
// OK and Cancel end it as in the modal form (the window is left to destroy).
HWND CreateKeyAssignDialog(HWND owner, WORD mode);

// The name the dialog shows for a command: for menu commands the caption in
// `menu` before its first "(", for launcher and script commands the decimal number.
std::wstring KeyDialogCommandName(HMENU menu, WORD command);
