#pragma once
// The shell context menu being tracked right now. While it is open, the frame
// hands it the owner-drawn menu messages, without which its "Send to" and
// "Open with" submenus stay empty.

#include "app/ComPtr.h"

#include <windows.h>
#include <shobjidl.h>

inline ComPtr<IContextMenu>& TrackedContextMenuSlot() {
    static ComPtr<IContextMenu> slot;
    return slot;
}

// Fills the slot for the lifetime of one TrackPopupMenu call.
class TrackedContextMenuScope {
public:
    explicit TrackedContextMenuScope(IContextMenu* menu) { TrackedContextMenuSlot() = ComPtr<IContextMenu>(menu); }
    TrackedContextMenuScope(const TrackedContextMenuScope&) = delete;
    TrackedContextMenuScope& operator=(const TrackedContextMenuScope&) = delete;
    ~TrackedContextMenuScope() { TrackedContextMenuSlot().reset(); }
};

// Passes a menu message to the tracked menu, preferring IContextMenu3 (which
// can answer WM_MENUCHAR) over IContextMenu2. While a menu is tracked the frame
// leaves these messages to it alone: the answer is TRUE for the owner-drawn
// items' WM_DRAWITEM and WM_MEASUREITEM and 0 otherwise, unless
// IContextMenu3 gives its own. False when no menu is tracked; `result` is then
// untouched.
inline bool RelayToTrackedContextMenu(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const ComPtr<IContextMenu>& menu = TrackedContextMenuSlot();
    if (!menu) return false;
    LRESULT answer = (message == WM_DRAWITEM || message == WM_MEASUREITEM) ? TRUE : 0;
    if (ComPtr<IContextMenu3> menu3 = menu.as<IContextMenu3>())
        menu3->HandleMenuMsg2(message, wParam, lParam, &answer);
    else if (ComPtr<IContextMenu2> menu2 = menu.as<IContextMenu2>())
        menu2->HandleMenuMsg(message, wParam, lParam);
    result = answer;
    return true;
}
