#pragma once
// The address bar: a band of the rebar holding an extended combo box that
// shows the active tab's folder and opens a path typed into it.

#include "app/ComPtr.h"

#include <windows.h>
#include <shlobj.h>

inline constexpr UINT kAddressComboId = 1502;

struct AddressBarWindows {
    HWND host = nullptr;   // the band's window
    HWND combo = nullptr;  // the extended combo box inside it
    HWND goButton = nullptr;
};

// Creates the band host and its combo box, puts them into the rebar's
// address band and hooks the address bar into the tab layer's routes. The
// modifier sets are read on the first creation of a run only.
AddressBarWindows CreateAddressBar(HWND rebar);
// Writes the modifier sets and the go button's visibility (frame exit).
void SaveAddressBar();
// The windows of the bar made last.
AddressBarWindows AddressBarParts();
// What dragging the edit field's icon carries: the shell's data object of
// `folder` from its parent folder; null when the shell offers none.
ComPtr<IDataObject> FolderDataObject(PCIDLIST_ABSOLUTE folder, HWND owner);
// Opens what `text` names by the modifier set `held` (1 Shift, 2 Ctrl,
// 4 Alt); false when nothing was opened.
bool OpenTypedAddress(const wchar_t* text, BYTE held);
