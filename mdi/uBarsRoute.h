#pragma once
// How the tab layer reaches the bars and panes that follow the active tab: the
// folder tree, the address bar and the two toolbars. A bar that does not exist
// or is not shown is passed over; a bar hooks its own handler in here when it
// is created, so the tab layer never depends on how a bar is built.

#include <windows.h>
#include <shlobj.h>

// The bars and panes the routes reach.
enum class RouteBar { FolderTree, AddressBar, FavoriteTree, ToolBar, SideToolBar };

struct BarRoutes {
    // The window of `bar`, or null while it does not exist; set by the frame,
    // which keeps them.
    HWND (*window)(RouteBar bar) = nullptr;
    // Selects the node of `folder`, creating nodes on the way; set by the folder tree.
    void (*syncFolderTree)(PCIDLIST_ABSOLUTE folder) = nullptr;
    // Shows `folder` with its icon in the edit field; set by the address bar.
    void (*showInAddressBar)(PCIDLIST_ABSOLUTE folder) = nullptr;
    // Gives the edit field the icon `iconIndex` while it still shows `folder`; set by the address bar.
    void (*showFolderIconInAddressBar)(PCIDLIST_ABSOLUTE folder, int iconIndex) = nullptr;
};

BarRoutes& Routes();

// Only while the folder tree exists and is visible.
void RouteSyncFolderTree(PCIDLIST_ABSOLUTE folder);
// Only while the address bar is visible.
void RouteShowInAddressBar(PCIDLIST_ABSOLUTE folder);
// Once a folder's own icon is known: the address bar may show it before.
void RouteShowFolderIconInAddressBar(PCIDLIST_ABSOLUTE folder, int iconIndex);
// Clears the address bar's list selection and shows `text` with the system
// small icon `iconIndex` in its edit field.
void RouteShowTextInAddressBar(int iconIndex, const wchar_t* text);
// Enables the back (5150) and forward (5151) buttons on both toolbars.
void RouteUpdateHistoryButtons(bool canGoBack, bool canGoForward);
// Shows the navigate lock button (5152) pressed on both toolbars while the
// active tab is locked.
void RouteCheckLockButton(bool locked);
// The focused window when it lies in the folder tree, the address bar or the
// favorites tree, else null: a navigation started there gives the focus back.
HWND RouteFocusedBar();
