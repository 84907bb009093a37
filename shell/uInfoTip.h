#pragma once
// Our own description of a file-system item, for platforms whose folders give
// none: its type (known from its name), size (files only) and last change,
// one per line.

#include <windows.h>
#include <shlobj.h>

#include <string>

// Empty when the item has no file-system data (a virtual item).
std::wstring FileSystemInfoTip(IShellFolder* folder, PCUITEMID_CHILD relative);
