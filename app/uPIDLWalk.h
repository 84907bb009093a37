#pragma once
// Walks over the bytes of a raw item identifier list: they need nothing of the
// shell but the list's layout, so the checks that stored and received lists go
// through can be built and exercised on any host.

#include <windows.h>
#include <shlobj.h>

#include <cstddef>

// Null at the terminator.
LPITEMIDLIST PIDLNext(LPCITEMIDLIST item);
UINT PIDLSize(LPCITEMIDLIST list);
int PIDLCount(LPCITEMIDLIST list);
LPITEMIDLIST PIDLLast(LPCITEMIDLIST list);
void PIDLRemoveLast(LPITEMIDLIST list);

// Checks that `bytes` bytes at `data` hold a well-formed list: every item
// count fits, no item is shorter than its own count field, and the terminator
// lies inside. Stored data goes through this before any walk.
bool PIDLIsValid(const void* data, std::size_t bytes);
// Stricter, for a list read back with its stored size: exactly one
// well-formed list that ends with the data.
bool PIDLIsStoredList(const void* data, std::size_t bytes);
