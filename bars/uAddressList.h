#pragma once
// The entries of the address bar's drop-down list: the desktop, its folders
// and the drives under My Computer, with the active folder's ancestors merged
// in at their depth, so that the list reads as a path from the top down.

#include "app/uPIDL.h"

#include <windows.h>

#include <vector>

struct AddressEntry {
    UniqueAbsolutePidl folder;
    int indent = 0;
};
using AddressEntries = std::vector<AddressEntry>;

// The desktop at indent 0, its folders at 1, and right after My Computer its
// folders at 2; each level in the order its folder sorts them.
AddressEntries TopAddressEntries();

// Merges the ancestors of `folder` below the desktop, down to the folder
// itself: one already listed moves the insertion point behind it, one not yet
// listed is inserted there; each step goes one indent deeper.
void MergeAncestors(AddressEntries& entries, PCIDLIST_ABSOLUTE folder);
