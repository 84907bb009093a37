#pragma once
// The extended rename dialog, for any window that names a file or folder.

#include <windows.h>

#include <string>

// Asks for a new name of `path` and renames it, undoably; false when the user
// stopped the whole series ("全て中止") or the dialog could not be shown.
bool ExtendedRenamePath(HWND owner, const std::wstring& path);
