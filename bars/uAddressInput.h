#pragma once
// What a text typed into the address bar opens: a folder, or the folder of a
// file with the file to select. Environment variables are expanded; a URL,
// an empty or blank text, and a path that names nothing open nothing.

#include "app/uPIDL.h"

#include <windows.h>

#include <string>

// Typed input is read into this many characters, the last one the end mark;
// anything longer is cut.
inline constexpr int kAddressTextLength = 1040;

struct AddressTarget {
    UniqueAbsolutePidl folder;  // null: nothing to open
    UniqueChildPidl select;     // the file to select in `folder`, or null
};

AddressTarget ResolveTypedAddress(const std::wstring& text);

// The three modifier sets of the AddressBar area (1 Shift, 2 Ctrl, 4 Alt).
struct AddressModifiers {
    BYTE open = 0;
    BYTE newWindow = 1;
    BYTE background = 3;
};
// Open mode for the modifier set `held`: 0 active tab, 1 new tab, 2 new
// background tab, -1 when it matches none of the three.
int ChooseOpenMode(BYTE held, const AddressModifiers& modifiers);
