// The folder view's context menus: the shell's menu of the selected items,
// with "新しいタブで開く" on top for one folder, and the background menu, the
// program's view commands first and the shell's background menu after them.

#include "folderview/wFolderView.h"

#include "app/Handles.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"
#include "shell/uContextMenuHost.h"

namespace {

constexpr wchar_t kOpenInNewTab[] = L"新しいタブで開く";
// Where the shell's background menu goes: after all of the program's items.
constexpr UINT kShellBackgroundPosition = 100;

}  // namespace

POINT TFolderView::ContextMenuPoint(bool byMouse) const {
    POINT point{};
    if (byMouse) {
        GetCursorPos(&point);
        return point;
    }
    const std::vector<int> selected = SelectedIndexes();
    RECT bounds{};
    if (!selected.empty() && ListView_GetItemRect(ListView, selected.front(), &bounds, LVIR_BOUNDS)) {
        point.x = bounds.left;
        point.y = bounds.top;
    }
    ClientToScreen(ListView, &point);
    return point;
}

void TFolderView::ShowContextMenu(bool byMouse) {
    const POINT point = ContextMenuPoint(byMouse);
    if (VerbItemIndexes().empty())
        ShowBackgroundMenu(point);
    else
        ShowItemMenu(point);
}

void TFolderView::ShowItemMenu(POINT point) {
    const std::vector<int> items = VerbItemIndexes();
    ComPtr<IContextMenu> shellMenu = VerbItemsMenu();
    TContextMenu menu;
    if (!shellMenu || !menu.Build(shellMenu.get())) return;
    if (items.size() == 1) {
        PCUITEMID_CHILD item = ItemIDList(items.front());
        SFGAOF attributes = SFGAO_FOLDER;
        if (item && SUCCEEDED(Folder->GetAttributesOf(1, &item, &attributes)) && (attributes & SFGAO_FOLDER)) {
            InsertMenuW(menu.Popup(), 0, MF_BYPOSITION | MF_STRING, IDM_CONTEXT_OPEN_NEW_TAB, kOpenInNewTab);
            InsertMenuW(menu.Popup(), 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        }
    }
    std::vector<PCUITEMID_CHILD> chosenItems;
    for (int index : items) chosenItems.push_back(ItemIDList(index));
    const UINT choice = menu.Track(point.x, point.y);
    if (choice == 0) return;
    if (choice == IDM_CONTEXT_OPEN_NEW_TAB) {
        ExecuteCommand(IDM_OPEN_NEW_TAB);
        return;
    }
    const std::string verb = menu.GetVerb(choice);
    if (lstrcmpiA(verb.c_str(), "rename") == 0) {
        ExecuteCommand(IDM_RENAME);
        return;
    }
    if (FAILED(menu.Invoke(choice, AbsoluteIDList))) return;
    if (lstrcmpiA(verb.c_str(), "cut") == 0) MarkCutItems(chosenItems);
}

void TFolderView::ShowBackgroundMenu(POINT point) {
    UniqueMenu loaded(LoadMenuW(GetModuleHandleW(nullptr), L"POPUPMENU"));
    HMENU popup = loaded ? GetSubMenu(loaded.get(), 0) : nullptr;
    if (!popup) return;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_SUBMENU | MIIM_ID;
        if (GetMenuItemInfoW(popup, i, TRUE, &info) && info.hSubMenu && GetMenuItemCount(info.hSubMenu) > 0 &&
            GetMenuItemID(info.hSubMenu, 0) == 0) {
            // The arrange submenu, whose only item is a placeholder.
            FillArrangeMenu(info.hSubMenu);
        }
    }
    CheckMenuRadioItem(popup, IDM_VIEW_LARGE, IDM_VIEW_THUMBNAILS, IDM_VIEW_LARGE + ViewMode, MF_BYCOMMAND);

    TContextMenu menu;
    ComPtr<IContextMenu> shellMenu = CreateBackgroundMenu(Folder.get(), AbsoluteIDList);
    const bool withShell = shellMenu && menu.Build(shellMenu.get(), popup, kShellBackgroundPosition);
    UINT choice = 0;
    if (withShell) {
        choice = menu.Track(point.x, point.y);
    } else {
        // Without the shell's part the program's items are shown alone.
        choice = ContextMenuTrackerHook()(popup, point.x, point.y, Host->DialogOwner());
    }
    if (choice == 0) return;
    if (choice >= IDM_VIEW_LARGE && choice <= IDM_VIEW_THUMBNAILS) {
        SetViewMode(static_cast<int>(choice - IDM_VIEW_LARGE));
    } else if (choice == IDM_REFRESH || choice == IDM_PASTE || choice == IDM_PASTE_SHORTCUT) {
        ExecuteCommand(static_cast<WORD>(choice));
    } else if (choice >= IDM_SORT_FIRST && choice <= IDM_SORT_LAST) {
        SortBy(static_cast<int>(choice - IDM_SORT_FIRST));
    } else if (withShell) {
        RenameWhatAppears([&] { menu.Invoke(choice, AbsoluteIDList); });
    }
}
