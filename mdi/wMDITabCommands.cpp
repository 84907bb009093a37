// The tab commands: moving to the next or previous tab, the closing family,
// and what a click on a tab runs: the commands with a meaning of their own for
// the clicked tab (its popup menu TABMENU, its folder's shell context menu,
// the closing family), and any other command aimed at the clicked tab's list.

#include "mdi/wMDITab.h"

#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "app/uCommandRegistry.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"

namespace {

int ResolveTab(int index) { return index < 0 ? SelectedTab() : index; }

void ActivateTab(int index) {
    HWND child = TabChild(index);
    if (child && FrameLink().mdiClient)
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

// A locked child may refuse; the tab then stays.
void CloseTabAt(int index) {
    if (HWND child = TabChild(index)) SendMessageW(child, WM_CLOSE, 0, 0);
}

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
    PCIDLIST_ABSOLUTE shown = ChildFolder(TabChild(index));
    if (!shown) return;
    // The tab may close while its menu is open; the command still needs the folder.
    UniqueAbsolutePidl folder(PIDLClone(shown));
    UniqueAbsolutePidl parent(PIDLParent(folder.get()));
    ComPtr<IContextMenu> shellMenu = ItemContextMenu(folder.get());
    if (!shellMenu) return;
    TContextMenu menu;
    if (!menu.Build(shellMenu.get())) return;
    const POINT at = MenuPointFor(index);
    if (const UINT chosen = menu.Track(at.x, at.y)) menu.Invoke(chosen, parent.get());
}

}  // namespace

void NextTab(bool forward) {
    const int count = TabCount();
    const int selected = SelectedTab();
    if (count < 2 || selected < 0) return;
    ActivateTab(forward ? (selected + 1) % count : (selected + count - 1) % count);
}

void CloseTab(int index) { CloseTabAt(ResolveTab(index)); }

void CloseLeft(int index) {
    index = ResolveTab(index);
    if (index < 0) return;
    if (SelectedTab() < index) ActivateTab(index);
    for (int i = index - 1; i >= 0; --i) CloseTabAt(i);
}

void CloseRight(int index) {
    index = ResolveTab(index);
    if (index < 0) return;
    if (SelectedTab() > index) ActivateTab(index);
    for (int i = TabCount() - 1; i > index; --i) CloseTabAt(i);
}

void CloseAll() {
    if (TabCount() == 0) return;
    ActivateTab(0);
    for (int i = TabCount() - 1; i >= 0; --i) CloseTabAt(i);
}

void CloseOthers(int index) {
    index = ResolveTab(index);
    if (index < 0) return;
    ActivateTab(index);
    CloseRight(index);
    // Tabs right of it that refused to close do not move it.
    CloseLeft(index);
}

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
    if (list && FrameLink().window)
        SendMessageW(FrameLink().window, WM_COMMAND, MAKEWPARAM(command, CommandFromControl), reinterpret_cast<LPARAM>(list));
}
