#pragma once
// Our own enumerator of a file-system folder's items, the stand-in where the
// platform's reads the whole folder before it hands out the first item (a
// folder of a hundred thousand files then shows nothing for a second or
// more). Ours reads the first items itself, an entry at a time, and leaves
// the rest of a large folder to the folder's own listing. Each item's ID list
// is the folder's own: its ParseDisplayName makes it from the entry just read,
// passed as file-system bind data, so nothing is looked up again. Callers
// normally get it through EnumerateFolderItems of the capability layer.

#include "app/ComPtr.h"

#include <shobjidl.h>

// The items of `folder` that EnumObjects with `flags` (folders, non-folders,
// hidden ones) would list, each once: the first ones from our walk, the rest
// (and any the folder's ParseDisplayName cannot make from the entry, such as
// one whose path reaches MAX_PATH) from the folder's listing. Empty when `folder` is not one of
// the platform's plain file-system folders or its path is longer than the
// platform's folders can follow. A folder that cannot be read lists nothing,
// as the platform's does.
ComPtr<IEnumIDList> CreateOwnFileSystemEnumerator(IShellFolder* folder, SHCONTF flags);
