#pragma once
// Our own ordering of a file-system folder's items by one of its shell columns,
// for platforms whose folders order every column by name. Reached only through
// the capability layer.

#include <windows.h>
#include <shobjidl.h>

// Compares items `a` and `b` of `folder` by what shell column `column` shows:
// sizes, times and attributes as numbers from the items' find data, any other
// column by its text. Folders come before files, as the folder's own name
// order has them. Returns the result in CompareIDs' form (the signed order in
// the low 16 bits); fails when the column or an item's data cannot be had.
HRESULT CompareByColumnMeaning(IShellFolder2* folder, UINT column, LPCITEMIDLIST a, LPCITEMIDLIST b);
