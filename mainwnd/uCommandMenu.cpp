// Preparation of the main menu's submenus as they open: check marks from the
// state of the frame, its panes and the active view, and the items of the
// dynamic submenus.

#include "app/Global.h"
#include "app/uCommandRegistry.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <string>

namespace {

// The identifier of the item of `menu` (or of its submenus) that carries `popup`.
bool FindSubmenuId(HMENU menu, HMENU popup, UINT& id) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info) || !info.hSubMenu) continue;
        if (info.hSubMenu == popup) {
            id = info.wID;
            return true;
        }
        if (FindSubmenuId(info.hSubMenu, popup, id)) return true;
    }
    return false;
}

void Check(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// A check drawn as a dot, as for one choice among several.
void RadioCheck(HMENU menu, UINT id, bool checked) {
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!GetMenuItemInfoW(menu, id, FALSE, &info)) return;
    info.fType |= MFT_RADIOCHECK;
    info.fState = checked ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    SetMenuItemInfoW(menu, id, FALSE, &info);
}

bool Visible(HWND window) { return window && IsWindowVisible(window); }

std::wstring WithAmpersandsDoubled(const std::wstring& text) {
    std::wstring result;
    for (const wchar_t c : text) {
        result += c;
        if (c == L'&') result += L'&';
    }
    return result;
}

// The MDI client lists its children in the window menu under their titles,
// where an "&" turns into a mnemonic ("R&D" shows as "RD"). Each entry that is
// still the client's own text is written again with the ampersands doubled;
// an entry that is not a child (the "more windows" item) keeps its text.
void EscapeWindowList(HMENU menu) {
    HWND client = FrameLink().mdiClient;
    if (!client) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id < kFirstChildId || id >= kFirstChildId + 10) continue;
        HWND child = GetDlgItem(client, static_cast<int>(id));
        if (!child) continue;
        wchar_t title[512] = {};
        GetWindowTextW(child, title, 512);
        wchar_t current[600] = {};
        GetMenuStringW(menu, i, current, 600, MF_BYPOSITION);
        const std::wstring prefix = L"&" + std::to_wstring(id - kFirstChildId + 1) + L" ";
        if (current != prefix + title || !wcschr(title, L'&')) continue;
        std::wstring text = prefix + WithAmpersandsDoubled(title);
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_STRING;
        info.dwTypeData = text.data();
        SetMenuItemInfoW(menu, i, TRUE, &info);
    }
}

void KeepFirstItems(HMENU menu, int keep) {
    for (int i = GetMenuItemCount(menu) - 1; i >= keep; --i) DeleteMenu(menu, i, MF_BYPOSITION);
}

void PrepareSideBar(HMENU menu) {
    const FrameState& frame = Frame();
    Check(menu, IDM_SIDE_FOLDERS, Visible(frame.folderTreePane));
    Check(menu, IDM_SIDE_FAVORITES, Visible(frame.favoritePane));
    Check(menu, IDM_SIDE_SEARCH, Visible(frame.searchPane));
    Check(menu, IDM_THUMBNAIL_PANE, Visible(frame.thumbnailPane));
}

void PrepareView(HMENU menu) {
    const FrameState& frame = Frame();
    Check(menu, IDM_STATUS_BAR, Visible(frame.statusBar));
    Check(menu, IDM_SIDE_TOOLBAR, Visible(frame.sideToolBar));
    const TMDIChildView* child = ActiveChildView();
    Check(menu, IDM_NAVIGATE_LOCK, child && child->NavigateLock);
    const TFolderView* view = ActiveFolderView();
    for (UINT id = IDM_VIEW_LARGE; id <= IDM_VIEW_THUMBNAILS; ++id)
        RadioCheck(menu, id, view && id == IDM_VIEW_LARGE + static_cast<UINT>(view->ViewMode));
}

bool FirstBandHasNoGripper(HWND rebar) {
    if (!rebar || SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0) == 0) return false;
    REBARBANDINFOW band{sizeof(band)};
    band.fMask = RBBIM_STYLE;
    return SendMessageW(rebar, RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band)) &&
           (band.fStyle & RBBS_NOGRIPPER);
}

void PrepareToolbars(HMENU menu) {
    const FrameState& frame = Frame();
    Check(menu, IDM_STANDARD_BUTTONS, Visible(frame.toolBar));
    Check(menu, IDM_LINK_BAR, Visible(frame.linkBar));
    Check(menu, IDM_ADDRESS_BAR, Visible(frame.addressContainer ? frame.addressContainer : frame.addressBar));
    Check(menu, IDM_SEARCH_BAR, Visible(frame.searchBar));
    Check(menu, IDM_LOCK_TOOLBARS, FirstBandHasNoGripper(frame.rebar));
    // The go button's state is the address bar's; its preparer sets the mark.
    Check(menu, IDM_GO_BUTTON, false);
}

void PrepareClosedFolders(HMENU menu) {
    KeepFirstItems(menu, 2);
    const TPIDLList* history = App().closedFolders.get();
    if (!history) return;
    for (int i = 0; i < history->Count() && i <= IDM_CLOSED_LAST - IDM_CLOSED_FIRST; ++i) {
        const std::wstring text =
            L"&" + std::to_wstring(i) + L" " + EscapeAmpersands(PIDLDisplayName(history->Get(i)));
        AppendMenuW(menu, MF_STRING, IDM_CLOSED_FIRST + i, text.c_str());
    }
}

bool TreeShowsHidden() {
    if (Frame().folderTreePane && Routing().treeShowsHidden) return Routing().treeShowsHidden();
    UniqueRegKey key;
    SettingsOpen(SettingsArea::FolderTree, key);
    return SettingsReadBool(key.get(), L"ShowHidden", false);
}

void PrepareQuickOptions(HMENU menu) {
    const FolderViewSettings& views = FolderViewConfig();
    Check(menu, IDM_ALLOW_SAME_FOLDER, views.AllowSameFolder);
    Check(menu, IDM_LIST_HIDDEN, views.ShowHidden);
    Check(menu, IDM_TREE_HIDDEN, TreeShowsHidden());
    Check(menu, IDM_LIST_TOOLTIPS, views.PopupInfo);
    Check(menu, IDM_STATUS_INFO, views.StatusInfo);
    Check(menu, IDM_TREE_SYNC, FrameConfig().treeSync);
    Check(menu, IDM_ALLOW_RDRAG, views.AllowRDrag);
}

void PrepareWindowMode(HMENU menu) {
    const int mode = FrameConfig().windowMode;
    RadioCheck(menu, IDM_MODE_NORMAL, mode == 0);
    RadioCheck(menu, IDM_MODE_TAB, mode == 1);
    RadioCheck(menu, IDM_MODE_ROWS, mode == 2);
    RadioCheck(menu, IDM_MODE_COLUMNS, mode == 3);
}

// How many leading items of a dynamic submenu are the resource's own.
int FixedItems(UINT id) {
    switch (id) {
    case IDM_FAVORITES_MENU: return 4;
    case IDM_LAUNCHER_MENU: return 4;
    case IDM_SCRIPTS_MENU: return 3;
    case IDM_GROUPS_MENU: return 3;
    case IDM_LINK_MENU: return 0;
    }
    return -1;
}

}  // namespace

void PrepareFrameMenu(HWND frame, HMENU popup) {
    UINT id = 0;
    if (!popup || !FindSubmenuId(GetMenu(frame), popup, id)) return;
    EscapeWindowList(popup);
    switch (id) {
    case IDM_SIDE_MENU: PrepareSideBar(popup); break;
    case IDM_VIEW_MENU: PrepareView(popup); break;
    case IDM_TOOLBARS_MENU: PrepareToolbars(popup); break;
    case IDM_CLOSED_MENU: PrepareClosedFolders(popup); break;
    case IDM_QUICK_OPTIONS_MENU: PrepareQuickOptions(popup); break;
    case IDM_WINDOW_MODE_MENU: PrepareWindowMode(popup); break;
    default:
        if (const int fixed = FixedItems(id); fixed >= 0) KeepFirstItems(popup, fixed);
        break;
    }
    if (MenuPreparer preparer = MenuPreparerOf(id)) preparer(popup);
}
