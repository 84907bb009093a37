#pragma once
// The stand-in for a platform that reads a folder's desktop.ini whenever it
// binds the folder or is asked for its icon. Windows reads that file only in
// folders marked read-only or system; looking for it where it is missing
// costs a case-blind search of every name in the folder, 70 ms and more in a
// folder of a hundred thousand files, on every open. For an unmarked
// file-system folder these give what the platform gives such a folder
// without the search; anything else they leave to the platform. Callers
// normally get them through the capability layer.

#include "app/ComPtr.h"

#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

// Binds `absolute`, an item of the file-system folder `parent`, as the
// platform's own file-system folder, initialised as the platform's bind
// initialises it. Empty when the parent is not such a folder or the item is
// no unmarked file-system folder.
ComPtr<IShellFolder> BindPlainFileSystemFolder(IShellFolder* parent, PCIDLIST_ABSOLUTE absolute);

// The icon a folder without desktop.ini shows, for `folder` bound from
// `absolute`. False when the folder is not an unmarked file-system folder
// below a drive's root (roots and special folders have icons of their own).
bool PlainFileSystemFolderIcon(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, UINT flags, SHFILEINFOW& info);
