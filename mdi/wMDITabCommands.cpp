// What a click on a tab runs: the commands with a meaning of their own for the
// clicked tab (its popup menu TABMENU, its folder's shell context menu, the
// closing family), and any other command aimed at the clicked tab's list.

#include "mdi/wMDITab.h"

#include "app/uCommandRegistry.h"
#include "app/uPIDL.h"
#include "mainwnd/uCommandShared.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"

namespace {

// The pane a command for this tab is aimed at: its folder view list or its
// search result list.
HWND ContentListOf(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    if (!view) return nullptr;
    if (view->ContentKind == ContentSearch) return view->SearchList ? view->SearchList->ListView : nullptr;
    return ChildListView(child);
}

// Where a tab's menu opens: at the cursor when it points at the tab (a click
// opened the menu), else below the tab.
POINT MenuPointFor(int index) {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT item{};
    if (!TabCtrl_GetItemRect(TabBar().tabs, index, &item)) return cursor;
    MapWindowPoints(TabBar().tabs, nullptr, reinterpret_cast<POINT*>(&item), 2);
    if (PtInRect(&item, cursor)) return cursor;
    return {item.left, item.bottom};
}

void ShowTabMenu(int index) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(TabBar().tabs, GWLP_HINSTANCE));
    UniqueMenu menu(LoadMenuW(instance, L"TABMENU"));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y,
                                                          0, TabBar().container, nullptr));
    if (chosen != 0) RunTabCommand(static_cast<WORD>(chosen), index);
}

// The shell's menu for the tab's folder as an item of its parent, the same
// menu the folder has in its parent's list.
void ShowTabContextMenu(int index) {
    LPCITEMIDLIST shown = ChildFolder(TabChild(index));
    if (!shown) return;
    // The tab may close while its menu is open; the command still needs the folder.
    UniquePidl folder(PIDLClone(shown));
    UniquePidl parent(PIDLParent(folder.get()));
    ComPtr<IContextMenu> shellMenu = ItemContextMenu(folder.get());
    if (!shellMenu) return;
    TContextMenu menu;
    if (!menu.Build(shellMenu.get())) return;
    const POINT at = MenuPointFor(index);
    if (const UINT chosen = menu.Track(at.x, at.y)) menu.Invoke(chosen, parent.get());
}

}  // namespace

void RunTabCommand(WORD command, int index) {
    HWND child = TabChild(index);
    if (!child) return;
    switch (command) {
    case IDM_TAB_NOTHING: return;
    case IDM_TAB_POPUP: ShowTabMenu(index); return;
    case IDM_TAB_CONTEXT: ShowTabContextMenu(index); return;
    case IDM_CLOSE: CloseTab(index); return;
    case IDM_CLOSE_LEFT: CloseLeft(index); return;
    case IDM_CLOSE_RIGHT: CloseRight(index); return;
    case IDM_CLOSE_ALL: CloseAll(); return;
    case IDM_CLOSE_OTHERS: CloseOthers(index); return;
    case IDM_ADD_FAVORITE:
    case IDM_ADD_LINK:
        if (!ChildFolder(child)) return;
        break;
    }
    // Without its list the command would land on the active tab instead.
    HWND list = ContentListOf(child);
    if (list && Frame().frame)
        SendMessageW(Frame().frame, WM_COMMAND, MAKEWPARAM(command, CommandFromControl), reinterpret_cast<LPARAM>(list));
}
